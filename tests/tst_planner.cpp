// The event-day planner end to end against a web server on 127.0.0.1: a place found by name, the
// forecast fetched, the hours with the option, points and total the calculator would give, an
// hour that answers question 1 through the calculator's own handler, the plan's record, a
// refusal from the service, and the lock on question 1.

#include "core/forecast_plan.h"
#include "tests/calculator_driver.h"
#include "tests/chart_probe.h"
#include "tests/local_http_server.h"
#include "tests/window_checks.h"
#include "ui/calculator/frm_wbgt_estimator.h"
#include "ui/charts/band_chart.h"
#include "ui/common/number_field.h"
#include "ui/planner/frm_event_planner.h"
#include "ui/planner/plan_view.h"
#include "weather/open_meteo.h"
#include "weather/weather_client.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimeEdit>
#include <QTimeZone>

using namespace orvane::ui;
using orvane::test::DrawnText;
using orvane::ui::HourRow;
using namespace orvane::test;

namespace {

const QTimeZone kAdelaide("Australia/Adelaide");

QByteArray places() {
    return R"({"results":[{"name":"Adelaide","latitude":-34.929,"longitude":138.601,
        "country":"Australia","admin1":"South Australia","timezone":"Australia/Adelaide"}]})";
}

// Today's 24 hours in Adelaide: a hot, dry, sunny day peaking at 15:00, with no wind forecast for
// 03:00, as a service leaves a value out.
QByteArray forecast() {
    const qint64 midnight =
        QDateTime(QDate::currentDate(), QTime(0, 0), kAdelaide).toSecsSinceEpoch();
    QStringList time, air, rh, wind, sun, pressure;
    for (int h = 0; h < 24; ++h) {
        time << QString::number(midnight + h * 3600);
        const double warmth = std::max(0.0, 1 - std::abs(h - 15) / 9.0);
        air << QString::number(24 + 14 * warmth);
        rh << QString::number(50 - 25 * warmth);
        wind << (h == 3 ? QString("null") : QString("2.5"));
        sun << QString::number(h >= 7 && h <= 19 ? 950 * std::sin((h - 6) * M_PI / 14) : 0);
        pressure << "1010";
    }
    return QStringLiteral(R"({"latitude":-34.93,"longitude":138.6,"timezone":"Australia/Adelaide",
        "hourly_units":{"temperature_2m":"°C","wind_speed_10m":"m/s"},
        "hourly":{"time":[%1],"temperature_2m":[%2],"relative_humidity_2m":[%3],
        "wind_speed_10m":[%4],"shortwave_radiation_instant":[%5],"surface_pressure":[%6]}})")
        .arg(time.join(u','), air.join(u','), rh.join(u','), wind.join(u','), sun.join(u','),
             pressure.join(u','))
        .toUtf8();
}

QString label(QWidget* w, const char* name) {
    return w->findChild<QLabel*>(name)->text();
}

} // namespace

class TestPlanner : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        prepareWindows();
        // The window's client asks this server only.
        qputenv("ORVANE_FORECAST_URL", server_.url("/v1/forecast").toEncoded());
        qputenv("ORVANE_GEOCODING_URL", server_.url("/v1/search").toEncoded());
    }

    void cleanup() { closeCalculator(); }

    void planTheDayAndUseAnHour() {
        frm_Solvane_Calc* w = openCalculator();
        for (const auto& [key, option] : with(kModerate, "Dry_Bulb", -1))
            choose(w, key, option);
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        QVERIFY(planner);
        QVERIFY(planner->frameSize().width() <= 1024 && planner->frameSize().height() <= 768);
        QVERIFY(label(planner, "lblNotice").contains("unencrypted")); // the test server is http

        server_.answer = http(200, "OK", places());
        auto* find = planner->findChild<QLineEdit*>("txtFind");
        find->setFocus();
        QTest::keyClicks(find, "Adelaide");
        QTest::keyClick(find, Qt::Key_Return);
        QTRY_COMPARE(planner->findChild<QComboBox*>("cboPlace")->currentText(),
                     QString("Adelaide, South Australia, Australia"));
        QVERIFY(server_.requests.last().contains("name=Adelaide"));

        server_.answer = http(200, "OK", forecast());
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
        auto* table = planner->findChild<QTableWidget*>("tblHours");
        QTRY_COMPARE(table->rowCount(), 24);
        // The place found; the rest of the request is tst_weather's.
        const QByteArray asked = server_.requests.last();
        QVERIFY2(asked.contains("latitude=-34.929") && asked.contains("longitude=138.601"),
                 asked.constData());
        QVERIFY(table->item(3, 0)->text().startsWith("03:00")); // local times, Adelaide's
        // Never a zero wind: a dash, the reason in its tooltip and once below the table.
        QCOMPARE(table->item(3, HourRow::Option)->text(), "\u2014");
        QVERIFY(table->item(3, HourRow::Option)->toolTip().startsWith("No value: no wind"));
        QVERIFY2(label(planner, "lblGaps").contains("no wind speed in the forecast (03:00)"),
                 qPrintable(label(planner, "lblGaps")));
        const auto& points =
            planner->findChild<BandChart*>("chtForecast")->model().series[0].points;
        QCOMPARE(points.size(), std::size_t(24));
        QVERIFY(!points[3].value && points[15].value);
        QVERIFY2(label(planner, "lblCoolest")
                     .startsWith("The coolest start for a 3 h 00 min event between first light"),
                 qPrintable(label(planner, "lblCoolest")));
        QCOMPARE(planner->findChild<BandChart*>("chtForecast")->model().note,
                 QString("Weather data by Open-Meteo.com"));

        // The hottest hour, with the other answers as the calculator holds them and its own
        // time of day: 15:00 in an Adelaide summer is "12 noon to 4 pm", 10 points where the
        // calculator's "4 pm to sunset" has 5.
        const orvane::PlannedHour& hot = planner->plan()[15];
        QVERIFY(hot.value() && hot.outcome);
        QCOMPARE(table->item(15, HourRow::TimeOfDay)->text(), "12 noon to 4 pm");
        const int points15 = table->item(15, HourRow::Points)->text().toInt();
        const int total15 = 43 - 5 + 10 + points15; // 57 without the air temperature's 14
        QVERIFY2(
            table->item(15, HourRow::Outcome)->text().startsWith(QString::number(total15) + ", "),
            qPrintable(table->item(15, HourRow::Outcome)->text()));
        table->selectRow(15);
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdUseHour"), Qt::LeftButton);
        QCOMPARE(w->pointsBox("WBGT")->text(), QString::number(points15));
        calculate(w); // with its own answer to question 8
        QCOMPARE(total(w).trimmed(), QString::number(43 + points15));
        w->mnuCopyAsText_Click();
        const QString record = QApplication::clipboard()->text();
        QVERIFY2(
            record.contains("1. Wet Bulb Globe Temperature: from the weather forecast, Adelaide") &&
                record.contains("Weather data by Open-Meteo.com"),
            qPrintable(record));
        // When the forecast was fetched, with the zone of that time: not a bare local time.
        QVERIFY2(record.contains(QRegularExpression(
                     "\\(fetched \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d \\S*UTC[+-]\\d\\d:\\d\\d")),
                 qPrintable(record));

        // The plan's own record names its source and holds every hour.
        const QString plan = recordText(*planner->planRecord());
        QVERIFY(plan.contains("Weather data by Open-Meteo.com (CC BY 4.0)"));
        QVERIFY(plan.contains("The coolest start"));
        QCOMPARE(plan.count(u'\n' + table->item(0, 0)->text().left(5)), 1);
        // On paper no heading is broken inside a word, however narrow its column.
        QTemporaryDir out;
        QVERIFY(
            saveRecordPdf(*planner->planRecord(), out.filePath("plan.pdf"), QLocale()).isEmpty());
        keepFile(out.filePath("plan.pdf"));
        QProcess text;
        text.start("pdftotext", {"-layout", out.filePath("plan.pdf"), "-"});
        QVERIFY(text.waitForFinished());
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        for (const char* word : {"Humidity", "Question", "ceiling", "Points"})
            QVERIFY2(printed.contains(word), word);

        // The place found is the one offered next: by the estimator, and to a new event.
        QCOMPARE(planner->placeAndDate().place, "Adelaide, South Australia, Australia");
        w->mnuEstimateWbgt_Click();
        auto* estimator = w->findChild<frmWbgtEstimator*>();
        QVERIFY(estimator);
        QCOMPARE(estimator->findChild<QComboBox*>("cboPlace")->itemText(1),
                 "Adelaide, South Australia, Australia");
        // A second search's matches take the place of the first's.
        server_.answer = http(200, "OK", places().replace("Adelaide", "Adelaide River"));
        find->setFocus();
        QTest::keyClick(find, Qt::Key_Return);
        auto* place = planner->findChild<QComboBox*>("cboPlace");
        QTRY_COMPARE(place->currentText(), QString("Adelaide River, South Australia, Australia"));
        QCOMPARE(place->findText("Adelaide, South Australia, Australia"), -1);
    }

    // A refusal from the service is shown with its reason, and no earlier plan stays beside it; an
    // answer to the air temperature locks "Use This Hour", saying why.
    void refusalLeavesNoPlan() {
        frm_Solvane_Calc* w = openCalculator();
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        planner->findChild<QComboBox*>("cboPlace")->setCurrentText("Adelaide, SA");
        server_.answer = http(200, "OK", forecast());
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
        auto* table = planner->findChild<QTableWidget*>("tblHours");
        QTRY_COMPARE(table->rowCount(), 24);
        table->selectRow(12);
        QVERIFY(planner->findChild<QPushButton*>("cmdUseHour")->isEnabled());
        choose(w, "Dry_Bulb", 1);
        QVERIFY(!planner->findChild<QPushButton*>("cmdUseHour")->isEnabled());
        QVERIFY(label(planner, "lblLock").contains("air temperature"));

        // The server's reason is shown as the text it is, never as markup that could load a file.
        server_.answer = http(
            400, "Bad Request",
            R"({"error":true,"reason":"Latitude must be in range of -90 to 90°. <h1>x</h1><img src=/x.png>"})");
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
        QTRY_VERIFY(label(planner, "lblProblem").contains("Latitude must be in range"));
        QVERIFY(label(planner, "lblProblem").contains("<h1>"));
        QCOMPARE(planner->findChild<QLabel*>("lblProblem")->textFormat(), Qt::PlainText);
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(planner->findChild<BandChart*>("chtForecast")->model().series.empty());
        QVERIFY(!planner->findChild<QPushButton*>("cmdSavePlan")->isEnabled());
    }

    // A forecast asked for, and a field changed while it is on its way: the request is dropped,
    // and an answer that still comes is not shown under fields it was not asked for.
    void aChangedFieldDropsTheForecastInFlight_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("the date") << "date";
        QTest::newRow("the place") << "place";
        QTest::newRow("the coordinates") << "coordinates";
    }
    void aChangedFieldDropsTheForecastInFlight() {
        QFETCH(QString, change);
        frm_Solvane_Calc* w = openCalculator();
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        auto* place = planner->findChild<QComboBox*>("cboPlace");
        place->setCurrentIndex(place->findText("Adelaide, SA"));
        server_.answer.clear(); // it never answers
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
        QVERIFY(planner->client()->busy());
        if (change == "date") {
            auto* date = planner->findChild<QDateEdit*>("dtDate");
            date->setFocus();
            date->setCurrentSection(QDateTimeEdit::DaySection);
            QTest::keyClick(date, Qt::Key_Up);
        } else if (change == "place") {
            place->setFocus();
            QTest::keyClick(place, Qt::Key_Up); // Honolulu, HI
        } else {
            auto* latitude = planner->findChildren<NumberField*>().first();
            latitude->setFocus();
            QTest::keyClick(latitude, Qt::Key_End);
            QTest::keyClick(latitude, Qt::Key_Backspace);
        }
        QVERIFY(!planner->client()->busy());
        // The old answer, had it come after all, is for other fields than these.
        planner->showForecast(
            std::get<orvane::weather::Forecast>(orvane::weather::ParseForecast(forecast())));
        auto* table = planner->findChild<QTableWidget*>("tblHours");
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(planner->findChild<BandChart*>("chtForecast")->model().series.empty());
        QVERIFY2(label(planner, "lblProblem").contains("another place or date"),
                 qPrintable(label(planner, "lblProblem")));
        saveShot(planner, "planner-changed-" + QString(QTest::currentDataTag()).section(u' ', 1));
    }

    // Every hour at or over a level of the ceiling is marked in the table and on the chart, and
    // no other; the event that reaches one says so.
    void hoursOverTheCeilingAreMarked() {
        frm_Solvane_Calc* w = openCalculator();
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        auto* place = planner->findChild<QComboBox*>("cboPlace");
        place->setCurrentIndex(place->findText("Adelaide, SA"));
        planner->findChild<QTimeEdit*>("tmStart")->setTime(QTime(13, 0));
        planner->findChild<QTimeEdit*>("tmEnd")->setTime(QTime(16, 0));
        server_.answer = http(200, "OK", forecast());
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
        auto* table = planner->findChild<QTableWidget*>("tblHours");
        QTRY_COMPARE(table->rowCount(), 24);
        const ChartModel& chart = planner->findChild<BandChart*>("chtForecast")->model();
        QCOMPARE(chart.levels.size(), std::size_t(3));
        int marked = 0;
        for (int r = 0; r < 24; ++r) {
            const double f = table->item(r, HourRow::Wbgt)->text().section(u' ', 0, 0).toDouble();
            const QString ceiling = table->item(r, HourRow::Ceiling)->text();
            const QString expected = f > 90.0   ? "everyone: cancel"
                                     : f > 86.0 ? "not acclimatized: cancel"
                                     : f > 82.0 ? "races: cancel level"
                                                : "";
            QCOMPARE(ceiling, expected);
            QCOMPARE(chart.series[0].points[std::size_t(r)].marked, !expected.isEmpty());
            marked += !expected.isEmpty();
        }
        QVERIFY(marked > 0);
        QVERIFY2(label(planner, "lblEvent").contains("WBGT ceiling"),
                 qPrintable(label(planner, "lblEvent")));
        saveShot(planner, "planner-ceiling");
        // On paper too: the PDF's table names the level, and stars the event's hours.
        const QString plan = recordText(*planner->planRecord());
        QVERIFY(plan.contains("13:00 * |") && plan.contains("| races: cancel level |"));
    }

    // Each Alt key reaches one control; a date beyond the forecast is told, not refused without
    // a word; coordinates typed choose themselves; once the forecast is in, Enter stays.
    void keysAndFields() {
        frm_Solvane_Calc* w = openCalculator();
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        QCOMPARE(clashingMnemonics(planner), QStringList());
        auto* place = planner->findChild<QComboBox*>("cboPlace");
        place->setCurrentIndex(place->findText("Adelaide, SA"));
        auto* date = planner->findChild<QDateEdit*>("dtDate");
        date->setDate(date->date().addDays(20));
        QVERIFY2(label(planner, "lblProblem").startsWith("The forecast reaches from"),
                 qPrintable(label(planner, "lblProblem")));
        QVERIFY(!planner->findChild<QPushButton*>("cmdGetForecast")->isEnabled());
        date->setDate(date->date().addDays(-20));
        auto* latitude = planner->findChildren<NumberField*>().first();
        latitude->setFocus();
        QTest::keyClick(latitude, Qt::Key_End);
        QTest::keyClick(latitude, Qt::Key_Backspace);
        QCOMPARE(place->currentText(), "Coordinates typed below");
        server_.answer = http(200, "OK", forecast());
        auto* get = planner->findChild<QPushButton*>("cmdGetForecast");
        get->setFocus();
        QTest::keyClick(get, Qt::Key_Space);
        auto* table = planner->findChild<QTableWidget*>("tblHours");
        QTRY_COMPARE(table->rowCount(), 24);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(planner->isVisible());
    }

    // A zone of 5,000 characters from a server: UTC, said in a few words, in a window no wider.
    void aHostileTimeZone() {
        frm_Solvane_Calc* w = openCalculator();
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        const int width = planner->width();
        auto* place = planner->findChild<QComboBox*>("cboPlace");
        place->setCurrentIndex(place->findText("Adelaide, SA"));
        server_.answer =
            http(200, "OK",
                 forecast().replace("\"Australia/Adelaide\"", '"' + QByteArray(5000, 'Z') + '"'));
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
        QTRY_VERIFY(label(planner, "lblProblem").contains("does not know the time zone"));
        QVERIFY(label(planner, "lblProblem").size() < 200);
        QTest::qWait(50);
        QCOMPARE(planner->width(), width);
    }

    // Melbourne on 5 April 2026: at 03:00 daylight time the clocks go back to 02:00 standard
    // time, so the day has 25 hours and two called 02:00, told apart by their zones; a cold night
    // is drawn on the scale, not on its edge; no hour label covers another; and the narrow
    // "82-85.9" band keeps its label.
    void aDayTheClocksGoBack() {
        const QTimeZone melbourne("Australia/Melbourne");
        const qint64 midnight =
            QDateTime(QDate(2026, 4, 5), QTime(0, 0), melbourne).toSecsSinceEpoch();
        const qint64 next = QDateTime(QDate(2026, 4, 6), QTime(0, 0), melbourne).toSecsSinceEpoch();
        QCOMPARE((next - midnight) / 3600, 25);
        orvane::weather::Forecast forecast{-37.81, 144.96, "Australia/Melbourne", {}};
        for (qint64 t = midnight; t < next; t += 3600) {
            const int hour = int((t - midnight) / 3600);
            const bool day = hour >= 8 && hour <= 18;
            forecast.hours.push_back({t, day ? 31.0 : 2.0, 60.0, 2.0, day ? 600.0 : 0.0, 1010.0});
        }
        orvane::weather::SetLocalClocks(forecast, melbourne);
        const auto plan = orvane::PlanForecast(forecast.hours, forecast.latitude,
                                               forecast.longitude, orvane::Terrain::Rural);
        const DaySpan day{melbourne,
                          midnight,
                          next,
                          QDateTime(QDate(2026, 4, 5), QTime(9, 0), melbourne).toSecsSinceEpoch(),
                          QDateTime(QDate(2026, 4, 5), QTime(12, 0), melbourne).toSecsSinceEpoch(),
                          forecast.latitude,
                          forecast.longitude,
                          false};
        QStringList names;
        for (const orvane::PlannedHour& hour : plan)
            names << hourName(hour, day, plan);
        QVERIFY2(names.contains("02:00 AEDT") && names.contains("02:00 AEST"),
                 qPrintable(names.join(' ')));
        QCOMPARE(names.count("03:00"), 1);

        const ChartModel chart = dayChart(plan, day);
        for (const auto& point : chart.series[0].points)
            QVERIFY(!point.value ||
                    (*point.value >= chart.left.min && *point.value <= chart.left.max));
        QVERIFY(chart.left.min < 50);
        std::vector<QRectF> hours;
        bool bandNamed = false;
        for (const DrawnText& t : textsDrawn(chart, {640, 240})) {
            if (QRegularExpression("^\\d\\d:\\d\\d$").match(t.text).hasMatch())
                hours.push_back(t.box);
            bandNamed = bandNamed || t.text == "82-85.9";
        }
        QVERIFY(hours.size() >= 4);
        std::sort(hours.begin(), hours.end(),
                  [](const QRectF& a, const QRectF& b) { return a.left() < b.left(); });
        for (std::size_t i = 1; i < hours.size(); ++i)
            QVERIFY2(hours[i].left() >= hours[i - 1].right(), "two hour labels overlap");
        QVERIFY(bandNamed);
    }

    // The planner remembers its place and the event's hours, not its date, between runs.
    void placeAndHoursComeBack() {
        {
            frm_Solvane_Calc* w = openCalculator();
            frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
            auto* place = planner->findChild<QComboBox*>("cboPlace");
            place->setCurrentIndex(place->findText("Miami, FL"));
            planner->findChild<QTimeEdit*>("tmStart")->setTime(QTime(7, 30));
            planner->findChild<QTimeEdit*>("tmEnd")->setTime(QTime(10, 15));
            server_.answer =
                http(200, "OK", forecast().replace("Australia/Adelaide", "America/New_York"));
            QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
            QTRY_VERIFY(!planner->client()->busy());
            closeCalculator();
        }
        frm_Solvane_Calc* w = openCalculator();
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        QCOMPARE(planner->findChild<QComboBox*>("cboPlace")->currentText(), "Miami, FL");
        QCOMPARE(planner->findChild<QTimeEdit*>("tmStart")->time(), QTime(7, 30));
        QCOMPARE(planner->findChild<QTimeEdit*>("tmEnd")->time(), QTime(10, 15));
    }

    // With a font half as large again and a dark desktop theme, on a 1024x768 screen: every
    // sentence whole, no part over another, the table's header and rows in view.
    void largeFontDarkTheme() {
        LargeDarkDesktop desktop;
        frm_Solvane_Calc* w = openCalculator();
        frmEventPlanner* planner = openFromCalculator<frmEventPlanner>(w, Qt::Key_D);
        auto* place = planner->findChild<QComboBox*>("cboPlace");
        place->setCurrentIndex(place->findText("Adelaide, SA"));
        server_.answer = http(200, "OK", forecast());
        QTest::mouseClick(planner->findChild<QPushButton*>("cmdGetForecast"), Qt::LeftButton);
        auto* table = planner->findChild<QTableWidget*>("tblHours");
        QTRY_COMPARE(table->rowCount(), 24);
        QTest::qWait(50); // laid out again for the sentences below the table
        saveShot(planner, "planner-large-dark");
        QCOMPARE(clippedOrOverlapping(planner).join(" / "), QString());
        const int rowsInView = table->viewport()->height() / table->rowHeight(0);
        QVERIFY2(rowsInView >= 3, qPrintable(QString::number(rowsInView)));
        const auto inWindow = [planner](QWidget* w) {
            return QRect(w->mapTo(planner, QPoint(0, 0)), w->size());
        };
        QVERIFY(!inWindow(table->horizontalHeader())
                     .intersects(inWindow(planner->findChild<BandChart*>("chtForecast"))));
    }

private:
    LocalServer server_;
};

ORVANE_TEST_MAIN_OWN_SETTINGS(TestPlanner)

#include "tst_planner.moc"
