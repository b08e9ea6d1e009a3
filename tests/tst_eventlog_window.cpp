// The event log from the calculator and in its window, driven by keys and clicks: three
// assessments added to a new event, the table and the band that rose, the timeline's points,
// an entry struck out, the CSV read back by a CSV reader, the day report as pdftotext reads it,
// an entry kept while the log is locked, and the reminder.

#include "coreqt/core_qt.h"
#include "tests/calculator_driver.h"
#include "ui/charts/band_chart.h"
#include "ui/eventlog/event_log_keeper.h"
#include "ui/eventlog/frm_event_log.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace orvane::ui;
using namespace orvane::test;

namespace {

// Acts on the next modal dialog as soon as it shows, instead of a person.
void whenDialog(std::function<void(QDialog*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start();
}

void type(QDialog* dialog, const char* field, const QString& text) {
    QWidget* w = dialog->findChild<QWidget*>(field);
    w->setFocus();
    QTest::keyClicks(w, text);
}

void press(QDialog* dialog, const char* name) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(name), Qt::LeftButton);
}

// Adds the calculated assessment with Ctrl+L: a new event the first time, then the decision.
void addToLog(frm_Solvane_Calc* w, const QString& decision, const QString& newEvent = {}) {
    const auto decide = [decision](QDialog* entry) {
        type(entry, "txtDecision", decision);
        press(entry, "cmdAdd");
    };
    whenDialog([=](QDialog* first) {
        if (first->objectName() == "dlgChooseEvent") {
            type(first, "txtEventName", newEvent);
            type(first, "txtEventPlace", "Riverside Oval");
            whenDialog(decide);
            first->accept();
        } else {
            decide(first);
        }
    });
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
}

QStringList column(QTableWidget* table, int c) {
    QStringList texts;
    for (int r = 0; r < table->rowCount(); ++r)
        texts << table->item(r, c)->text();
    return texts;
}

} // namespace

class TestEventLogWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareWindows(); }

    void cleanup() {
        setSaveFileChooser({});
        closeCalculator();
        QSettings("Solvane", "OrvaneCalculatorF").clear(); // each test starts its own event
    }

    // 57 by hand, 63 with question 1 estimated, a referral, then the 63 struck out.
    void aDayOfAssessments() {
        frm_Solvane_Calc* w = assessed(kModerate);
        QVERIFY(w->findChild<QAction*>("mnuAddToEventLog")->isEnabled());
        addToLog(w, "Go ahead as planned", "Junior athletics day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        choose(w, "Age", 4);                                               // 60: still moderate
        QVERIFY(!w->findChild<QAction*>("mnuAddToEventLog")->isEnabled()); // not for a stale result
        QTest::mouseClick(w->findChild<QPushButton*>("cmd_Reset"), Qt::LeftButton);
        for (const auto& [key, option] : with(with(kModerate, "Dry_Bulb", -1), "Venue", 2))
            choose(w, key, option);
        w->chooseOption("WBGT", 3,
                        {AnswerSource::Kind::Estimated, "air 95 °F: WBGT 88.4 °F (31.3 °C)", 88.4});
        calculate(w);
        QCOMPARE(total(w), QString(" 67"));
        addToLog(w, "=HYPERLINK(\"x\") extra drink breaks"); // the event is remembered now
        QTRY_VERIFY(!QApplication::activeModalWidget());
        choose(w, "Medical", 1);
        calculate(w);
        addToLog(w, "Send the asthmatic runner to the doctor");
        QTRY_VERIFY(!QApplication::activeModalWidget());

        w->mnuEventLog_Click();
        frmEventLog* window = w->eventLog()->window();
        QVERIFY(window && QTest::qWaitForWindowActive(window));
        auto* events = window->findChild<QListWidget*>("lstEvents");
        QCOMPARE(events->count(), 1);
        QVERIFY(events->item(0)->text().startsWith("Junior athletics day\n"));
        auto* table = window->findChild<QTableWidget*>("tblEntries");
        QCOMPARE(column(table, 2), (QStringList{"57", "67", "\u2014"}));
        QCOMPARE(column(table, 1), (QStringList{"air 86-90.9", "WBGT >= 86°F (estimated 88.4 °F)",
                                                "WBGT >= 86°F (estimated 88.4 °F)"}));
        // The ceiling each showed: unknown from the air, and from the estimate's own value.
        QCOMPARE(column(table, 4),
                 (QStringList{"not known (air temperature)", "not acclimatized: cancel",
                              "not acclimatized: cancel"}));
        QCOMPARE(column(table, 3),
                 (QStringList{"MODERATE RISK (56 to 65)", "HIGH RISK (66 to 74)  \u25b2 rose",
                              "medical referral"}));
        const ChartModel& chart = window->findChild<BandChart*>("chtTimeline")->model();
        // The totals, and the WBGT where there was one.
        QCOMPARE(chart.series.size(), std::size_t(2));
        const auto& totals = chart.series[0].points;
        QCOMPARE(totals.size(), std::size_t(3));
        QCOMPARE(totals[0].value, std::optional<double>(57));
        QVERIFY(!totals[0].marked && totals[1].marked); // the rise is marked
        QCOMPARE(totals[1].value, std::optional<double>(67));
        QVERIFY(!totals[2].value); // a referral has no total to draw
        QCOMPARE(chart.series[1].points.front().value, std::optional<double>(88.4));

        // Struck out with a reason: kept in the table, marked, gone from the timeline.
        table->selectRow(1);
        whenDialog([](QDialog* ask) {
            auto* reason = ask->findChild<QLineEdit*>();
            QTest::keyClicks(reason, "Wrong venue chosen");
            ask->accept();
        });
        QTest::mouseClick(window->findChild<QPushButton*>("cmdStrikeOut"), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 3);
        QVERIFY(table->item(1, 6)->text().startsWith("Struck out: Wrong venue chosen."));
        QVERIFY(table->item(1, 2)->font().strikeOut());
        QCOMPARE(window->findChild<BandChart*>("chtTimeline")->model().series[0].points.size(),
                 std::size_t(2));

        // The day's CSV as a CSV reader reads it; its quoting and formula marks are cli_tools.sh's.
        QTemporaryDir out;
        setSaveFileChooser([&](const QString& suggested) {
            return out.filePath(QFileInfo(suggested).fileName());
        });
        QTest::mouseClick(window->findChild<QPushButton*>("cmdExportCsv"), Qt::LeftButton);
        const QString day = "Junior athletics day " + QDate::currentDate().toString(Qt::ISODate);
        QProcess reader;
        reader.start("python3",
                     {"-c",
                      "import csv,sys\nfor r in csv.DictReader(open(sys.argv[1],newline='',"
                      "encoding='utf-8')): "
                      "print(r['Total'],r['Struck out'],r['Question 1 answered by'],"
                      "r['WBGT °F'],r['WBGT ceiling'])",
                      out.filePath(day + ".csv")});
        QVERIFY(reader.waitForFinished());
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()),
                 "57 no air-temperature  unknown\n"
                 "67 yes estimated 88.4 not acclimatized: cancel\n"
                 " no estimated 88.4 not acclimatized: cancel\n");

        // The day report, as a reader of the PDF sees it.
        QTest::mouseClick(window->findChild<QPushButton*>("cmdDayReport"), Qt::LeftButton);
        QProcess text;
        text.start("pdftotext", {out.filePath("Heat risk day report " + day + ".pdf"), "-"});
        QVERIFY(text.waitForFinished());
        const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const char* fact :
             {"Heat illness risk: day report", "Junior athletics day", "Place: Riverside Oval",
              "Responsible person: ___", "STRUCK OUT: Wrong venue chosen",
              "Send the asthmatic runner", "medical referral", "WBGT ceiling",
              "not acclimatized: cancel", "not medical advice"})
            QVERIFY2(report.contains(QString::fromUtf8(fact)), fact);
    }

    // A log held by another program: the entry stays in its dialog with what was typed, and goes in
    // once the log is free.
    void entryKeptWhileTheLogIsLocked() {
        frm_Solvane_Calc* w = assessed(kModerate);
        addToLog(w, "first", "Locked day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
        other.setDatabaseName(qEnvironmentVariable("ORVANE_EVENT_LOG"));
        QVERIFY(other.open());
        QSqlQuery(other).exec("PRAGMA busy_timeout = 0");
        QVERIFY(QSqlQuery(other).exec("BEGIN IMMEDIATE"));
        const auto release = qScopeGuard([&] {
            QSqlQuery(other).exec("ROLLBACK");
            other.close();
        });
        MessageCapture messages;
        bool retried = false;
        whenDialog([&](QDialog* entry) {
            type(entry, "txtDecision", "second");
            type(entry, "txtNote", "typed while locked");
            // The same dialog again, once the log has said it is busy.
            whenDialog([&, entry](QDialog* again) {
                QCOMPARE(again, entry);
                QCOMPARE(messages.texts.size(), 1);
                QVERIFY2(messages.texts.front().contains("in use"),
                         qPrintable(messages.texts.front()));
                QCOMPARE(again->findChild<QLineEdit*>("txtDecision")->text(), QString("second"));
                QVERIFY(QSqlQuery(other).exec("COMMIT"));
                press(again, "cmdAdd");
                retried = true;
            });
            press(entry, "cmdAdd");
        });
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(retried);
        QSqlQuery stored(other);
        QVERIFY(stored.exec(
                    "SELECT group_concat(decision || '/' || ifnull(note, ''), ' | ') FROM entries "
                    "WHERE event_id = (SELECT max(id) FROM events)") &&
                stored.next());
        QCOMPARE(stored.value(0).toString(), "first/ | second/typed while locked");
    }

    void reminder() {
        frm_Solvane_Calc* w = assessed(kModerate);
        QVERIFY(!w->findChild<QMenu*>("mnuRemind")->isEnabled()); // nothing added yet
        addToLog(w, "go", "Reminded day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(w->findChild<QMenu*>("mnuRemind")->isEnabled());
        w->eventLog()->setMinuteLength(10);
        MessageCapture messages;
        w->findChild<QAction*>("mnuRemind30")->trigger();
        QVERIFY(w->findChild<QLabel*>("lblStatus")->text().contains("only while the program"));
        w->mnuEstimateWbgt_Click(); // other windows come and go meanwhile
        QTRY_COMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts.front().startsWith("Time to re-assess Reminded day.") &&
                     messages.texts.front().contains(
                         orvane::localTime(w->currentAssessment()->at).toString("HH:mm")),
                 qPrintable(messages.texts.front()));
        QVERIFY(QApplication::activeWindow() == w);
        // Cancelled, and gone with the calculator.
        w->findChild<QAction*>("mnuRemind15")->trigger();
        w->findChild<QAction*>("mnuRemindCancel")->trigger();
        QTest::qWait(300);
        QCOMPARE(messages.texts.size(), 1);
    }
};

ORVANE_TEST_MAIN_OWN_SETTINGS(TestEventLogWindow)

#include "tst_eventlog_window.moc"
