// The WBGT estimator window, driven by keys and clicks: an estimate and its option, input that
// stops the estimate and says why at its field, the daylight-saving gap, the remembered place,
// and "Use in question 1" answering the calculator as a person's own choice would.

#include "tests/calculator_driver.h"
#include "ui/calculator/frm_wbgt_estimator.h"
#include "ui/common/number_field.h"
#include "ui/common/single_window.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QLabel>
#include <QSettings>

using namespace orvane::ui;
using namespace orvane::test;

namespace {

// The control of this kind that a screen reader names so.
template <class T> T* named(QWidget* w, const QString& accessible) {
    for (auto* c : w->findChildren<T*>())
        if (c->accessibleName() == accessible)
            return c;
    return nullptr;
}
const auto field = named<NumberField>;
const auto combo = named<QComboBox>;
QString label(QWidget* w, const QString& accessible) {
    const QLabel* l = named<QLabel>(w, accessible);
    return l ? l->text() : QString();
}

void type(QWidget* box, const QString& value) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, value);
}

const QString kAir = "Air temperature in degrees Fahrenheit";
const QString kHumidity = "Relative humidity in percent";
const QString kWind = "Wind speed in miles per hour, at 2 meters";

} // namespace

class TestEstimator : public QObject {
    Q_OBJECT

private slots:
    void init() {
        prepareWindows();
        calc_ = openCalculator();
    }

    void cleanup() {
        closeCalculator();
        QSettings("Solvane", "OrvaneCalculatorF").clear();
    }

    // A hot, humid, sunny noon in Houston: an estimate in the top option, which "Use in question 1"
    // writes as a click would: points, the lock on the air temperature, and the inputs kept with
    // the answer for the record.
    void estimateAnswersQuestionOne() {
        for (const auto& [key, option] : with(kModerate, "Dry_Bulb", -1))
            choose(calc_, key, option);
        frmWbgtEstimator* estimator = open();
        QVERIFY(estimator);
        type(field(estimator, kAir), "95");
        type(field(estimator, kHumidity), "60");
        type(field(estimator, kWind), "3");
        combo(estimator, "Place")->setCurrentText("Houston, TX");
        estimator->findChild<QDateTimeEdit*>()->setDateTime(
            QDateTime(QDate(2025, 7, 15), QTime(13, 0)));
        QVERIFY2(label(estimator, "Estimated WBGT").startsWith("WBGT 9"),
                 qPrintable(label(estimator, "Estimated WBGT")));
        QCOMPARE(label(estimator, "Question 1 option for the estimate"),
                 QString("Question 1: \">= 86\u00b0F\", 20 points"));

        QTest::mouseClick(estimator->findChild<QPushButton*>("cmdUseInQuestion1"), Qt::LeftButton);
        QCOMPARE(calc_->pointsBox("WBGT")->text(), QString("20"));
        QVERIFY(!calc_->list("Dry_Bulb")->isEnabled()); // locked, as after a click
        calculate(calc_);
        QTest::keyClick(calc_, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        const QString record = QApplication::clipboard()->text();
        QVERIFY2(
            record.contains("1. Wet Bulb Globe Temperature: estimated from the weather, air 95.0 "
                            "\u00b0F, relative humidity 60 %, wind 3.0 mph at 2 m, clear sky; "
                            "Houston, TX, 2025-07-15 13:00 CDT: WBGT 9"),
            qPrintable(record));
    }

    // The lock follows the calculator while the estimator is open: set by an answer to the air
    // temperature, freed by Reset.
    void questionOneLockedByAirTemperature() {
        frmWbgtEstimator* estimator = open();
        combo(estimator, "Place")->setCurrentText("Miami, FL");
        auto* use = estimator->findChild<QPushButton*>("cmdUseInQuestion1");
        QVERIFY(use->isEnabled());
        calc_->activateWindow();
        choose(calc_, "Dry_Bulb", 0);
        QVERIFY(!use->isEnabled());
        bool explained = false;
        for (auto* l : estimator->findChildren<QLabel*>())
            explained = explained || l->text().contains("ordinary air temperature is\nanswered");
        QVERIFY(explained);
        QTest::mouseClick(calc_->findChild<QPushButton*>("cmd_Reset"), Qt::LeftButton);
        QVERIFY(use->isEnabled());
    }

    // Each row types into one field; the estimate must go, the field must say why, "Use in question
    // 1" must be off, and putting the field right must bring the estimate back.
    void inputThatStopsTheEstimate_data() {
        QTest::addColumn<QString>("fieldName"); // accessible name
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("whole");
        const auto row = [](const char* name, const QString& field, const char* typed,
                            const char* reason, const char* whole) {
            QTest::newRow(name) << field << QString(typed) << QString(reason) << QString(whole);
        };
        row("past the top, not cut to 20", kAir, "200", "-40 to 140", "90");
        row("a sign alone", kWind, "-", "give the wind speed", "5");
        row("dew point above the air", "Dew point in degrees Fahrenheit", "99", "cannot be above",
            "70");
    }

    void inputThatStopsTheEstimate() {
        QFETCH(QString, fieldName);
        QFETCH(QString, typed);
        QFETCH(QString, reason);
        QFETCH(QString, whole);
        frmWbgtEstimator* estimator = open();
        combo(estimator, "Place")->setCurrentText("Denver, CO");
        if (fieldName.startsWith("Dew"))
            combo(estimator, "Humidity given as")->setCurrentIndex(1);
        QVERIFY2(estimator->option().has_value(),
                 qPrintable(label(estimator, "Problem with the input")));
        NumberField* box = field(estimator, fieldName);
        if (fieldName.startsWith("Dew")) // the field is labelled by what it holds
            for (const QLabel* l : estimator->findChildren<QLabel*>())
                if (l->buddy() == box)
                    QCOMPARE(l->text(), QString("Dew point:"));
        type(box, typed);
        QCOMPARE(box->text(), typed + box->suffix()); // kept as typed
        QVERIFY(!estimator->option().has_value());
        QCOMPARE(label(estimator, "Estimated WBGT"), QString("\u2014"));
        QVERIFY2(label(estimator, "Problem with the input").contains(reason),
                 qPrintable(label(estimator, "Problem with the input")));
        QVERIFY(box->toolTip().contains(reason)); // said at the field too
        QVERIFY(!box->styleSheet().isEmpty());
        QVERIFY(!estimator->findChild<QPushButton*>("cmdUseInQuestion1")->isEnabled());
        type(box, whole);
        QVERIFY(estimator->option().has_value());
        QVERIFY(label(estimator, "Problem with the input").isEmpty());
        QVERIFY(box->styleSheet().isEmpty());
    }

    // Values the model takes but the weather never gives get an estimate with a warning beside it;
    // a gale in the cold, where the model does not settle, blames no field.
    void weatherThatDoesNotOccurIsFlagged() {
        frmWbgtEstimator* estimator = open();
        combo(estimator, "Place")->setCurrentText("Phoenix, AZ");
        type(field(estimator, kAir), "130");
        QVERIFY(estimator->option().has_value());
        QVERIFY(label(estimator, "Warning about the input").contains("No air this hot"));
        type(field(estimator, kAir), "110");
        type(field(estimator, kHumidity), "90"); // a dew point near 106 °F
        QVERIFY(label(estimator, "Warning about the input").contains("never been measured"));
        type(field(estimator, kHumidity), "20");
        QVERIFY(label(estimator, "Warning about the input").isEmpty());

        type(field(estimator, kAir), "14");
        type(field(estimator, kWind), "67");
        QVERIFY(!estimator->option().has_value());
        QVERIFY(label(estimator, "Problem with the input").contains("did not settle"));
        for (auto* box : estimator->findChildren<NumberField*>())
            QVERIFY2(box->styleSheet().isEmpty(), qPrintable(box->accessibleName()));
    }

    // 02:30 on the morning the clocks in Chicago go forward does not exist; it is read as 03:30
    // CDT, 08:30 UTC, and the window says so, instead of taking 02:30 as UTC.
    void timeInADaylightSavingGap() {
        frmWbgtEstimator* estimator = open();
        combo(estimator, "Place")->setCurrentText("Chicago, IL");
        estimator->findChild<QDateTimeEdit*>()->setDateTime(
            QDateTime(QDate(2025, 3, 9), QTime(2, 30)));
        const auto reading = estimator->read();
        QVERIFY(std::holds_alternative<frmWbgtEstimator::Reading>(reading));
        const orvane::WbgtInput& in = std::get<frmWbgtEstimator::Reading>(reading).input;
        QCOMPARE(QTime(in.hour, in.minute), QTime(8, 30));
        QVERIFY2(label(estimator, "Warning about the input").contains("clocks go forward") &&
                     label(estimator, "Warning about the input").contains("03:30 CDT"),
                 qPrintable(label(estimator, "Warning about the input")));
        estimator->findChild<QDateTimeEdit*>()->setDateTime(
            QDateTime(QDate(2025, 3, 9), QTime(4, 30)));
        QCOMPARE(std::get<frmWbgtEstimator::Reading>(estimator->read()).input.hour, 9);
        QVERIFY(label(estimator, "Warning about the input").isEmpty());
    }

    // With no place yet there is no estimate; the place used last is there at the next opening,
    // with the time now in that place.
    void placeIsRememberedBetweenRuns() {
        frmWbgtEstimator* estimator = open();
        QCOMPARE(combo(estimator, "Place")->currentText(), QString("Choose a place\u2026"));
        QVERIFY(!estimator->option().has_value());
        QVERIFY(!estimator->findChild<QPushButton*>("cmdUseInQuestion1")->isEnabled());
        QVERIFY(label(estimator, "Problem with the input").contains("choose the place"));
        const auto* form =
            qobject_cast<QFormLayout*>(combo(estimator, "Place")->parentWidget()->layout());
        QCOMPARE(qobject_cast<QLabel*>(form->labelForField(combo(estimator, "Place")))->text(),
                 QString("&Place:")); // the reason goes beside a field, never over a label
        combo(estimator, "Place")->setCurrentText("Another place\u2026");
        type(field(estimator, "Latitude in degrees, north positive"), "-31.95");
        type(field(estimator, "Longitude in degrees, east positive"), "115.86");
        type(field(estimator, "Time zone, hours ahead of UTC"), "8");
        QVERIFY(estimator->option().has_value());
        QPointer<frmWbgtEstimator> closing = estimator;
        estimator->close();
        QTRY_VERIFY(!closing);

        estimator = open();
        QCOMPARE(combo(estimator, "Place")->currentText(), QString("Another place\u2026"));
        QCOMPARE(field(estimator, "Longitude in degrees, east positive")->number(), 115.86);
        QVERIFY(estimator->option().has_value());
        const QDateTime shown = estimator->findChild<QDateTimeEdit*>()->dateTime();
        const QDateTime perth = QDateTime::currentDateTimeUtc().addSecs(8 * 3600);
        QVERIFY(std::abs(shown.secsTo(QDateTime(perth.date(), perth.time()))) < 120);
    }

    void placedBesideTheCalculator_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("expected");
        // A 700x560 window on a 1366x768 screen with a 32-pixel panel at the top.
        QTest::newRow("right of it") << QRect(10, 100, 640, 440) << QPoint(650, 100);
        QTest::newRow("left of it") << QRect(700, 100, 640, 440) << QPoint(0, 100);
        QTest::newRow("kept on screen vertically") << QRect(10, 500, 640, 200) << QPoint(650, 208);
        QTest::newRow("no room anywhere: against the roomiest edge")
            << QRect(363, 164, 640, 440) << QPoint(666, 164);
    }

    void placedBesideTheCalculator() {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, expected);
        QCOMPARE(besidePosition(anchor, QSize(700, 560), QRect(0, 32, 1366, 736)), expected);
    }

    // One estimator at a time, closed by its Close button alone or with the calculator.
    void oneEstimatorClosingAloneOrWithTheCalculator() {
        QPointer<frmWbgtEstimator> first = open();
        QCOMPARE(open(), first.data());
        QCOMPARE(calc_->findChildren<frmWbgtEstimator*>().size(), 1);
        QTest::mouseClick(first->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
        QTRY_VERIFY(!first);
        QVERIFY(calc_->isVisible());
        first = open();
        calc_->close();
        QTRY_VERIFY(!first);
    }

private:
    frm_Solvane_Calc* calc_ = nullptr;

    frmWbgtEstimator* open() { return openFromCalculator<frmWbgtEstimator>(calc_, Qt::Key_E); }
};

ORVANE_TEST_MAIN_OWN_SETTINGS(TestEstimator)

#include "tst_estimator.moc"
