// The event log from the calculator and in its window, driven by keys and clicks: three
// assessments added to a new event, the table and the band that rose, the timeline's points,
// an entry struck out, the CSV read back by a CSV reader, the day report as pdftotext reads it,
// an entry kept while the log is locked, and the reminder.

#include "coreqt/core_qt.h"
#include "settings/settings.h"
#include "tests/calculator_driver.h"
#include "tests/chart_probe.h"
#include "tests/window_checks.h"
#include "ui/charts/band_chart.h"
#include "ui/eventlog/event_log_keeper.h"
#include "ui/eventlog/frm_event_log.h"
#include "ui/eventlog/log_entries.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
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
        QVERIFY(
            events->item(0)->text().startsWith("Junior athletics day  \u25c0 new assessments\n"));
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

        // Struck out with a reason, asked again for one left empty, the entry named by its time
        // and total: kept in the table, marked, gone from the timeline, counted apart.
        table->selectRow(1);
        QStringList asked;
        {
            MessageCapture told;
            whenDialog([&](QDialog* empty) {
                asked << empty->findChild<QLabel*>()->text();
                empty->accept();
                whenDialog([&](QDialog* ask) {
                    asked << ask->findChild<QLabel*>()->text();
                    QTest::keyClicks(ask->findChild<QLineEdit*>(), "Wrong venue chosen");
                    ask->accept();
                });
            });
            QTest::mouseClick(window->findChild<QPushButton*>("cmdStrikeOut"), Qt::LeftButton);
            QCOMPARE(told.texts,
                     QStringList{"An entry is struck out only with a reason: type why."});
        }
        QCOMPARE(asked.size(), 2);
        QVERIFY2(
            asked[1].contains(QRegularExpression("the assessment of \\d\\d:\\d\\d \\(total 67\\)")),
            qPrintable(asked[1]));
        QCOMPARE(table->rowCount(), 3);
        QVERIFY2(events->item(0)->text().endsWith("2 assessments (1 struck out)"),
                 qPrintable(events->item(0)->text()));
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

        // The same day's CSV taken in again: each entry is known, none added twice.
        setOpenFileChooser([&] { return out.filePath(day + ".csv"); });
        const auto forgetOpen = qScopeGuard([] { setOpenFileChooser({}); });
        QTest::mouseClick(window->findChild<QPushButton*>("cmdImportCsv"), Qt::LeftButton);
        QVERIFY2(window->findChild<QLabel*>("lblStatus")
                     ->text()
                     .endsWith(": 0 added, 3 already in the log."),
                 qPrintable(window->findChild<QLabel*>("lblStatus")->text()));
        QCOMPARE(table->rowCount(), 3);

        // The day report, as a reader of the PDF sees it.
        QTest::mouseClick(window->findChild<QPushButton*>("cmdDayReport"), Qt::LeftButton);
        keepFile(out.filePath("Heat risk day report " + day + ".pdf"));
        saveShot(window, "eventlog");
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

    // A log held by another program for a long while: the window never waits on it, the entry
    // waits in the program with everything typed, and goes in once the log is free.
    void entryWaitsWhileTheLogIsLocked() {
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
        whenDialog([&](QDialog* entry) {
            type(entry, "txtDecision", "second");
            type(entry, "txtNote", "typed while locked");
            press(entry, "cmdAdd");
        });
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QElapsedTimer pressed;
        pressed.start();
        QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
        QVERIFY2(pressed.elapsed() < 1000, qPrintable(QString::number(pressed.elapsed())));
        QVERIFY(w->eventLog()->waiting());
        QVERIFY(w->findChild<QLabel*>("lblStatus")->text().contains("in use by another program"));
        // The window answers at once, again and again, while the lock holds.
        qint64 longest = 0;
        QElapsedTimer held, beat;
        held.start();
        beat.start();
        while (held.elapsed() < 2000) {
            QTest::qWait(5);
            longest = std::max(longest, beat.restart());
        }
        QVERIFY2(longest < 100, qPrintable(QString::number(longest)));
        QVERIFY(w->eventLog()->waiting());
        QVERIFY(QSqlQuery(other).exec("COMMIT"));
        QTRY_VERIFY(!w->eventLog()->waiting());
        QSqlQuery stored(other);
        QVERIFY(stored.exec(
                    "SELECT group_concat(decision || '/' || ifnull(note, ''), ' | ') FROM entries "
                    "WHERE event_id = (SELECT max(id) FROM events)") &&
                stored.next());
        QCOMPARE(stored.value(0).toString(), "first/ | second/typed while locked");
        QVERIFY(w->findChild<QLabel*>("lblStatus")->text().startsWith("Added to the event log"));
    }

    // With a font half as large again and a dark desktop theme, the Event Log window shows the
    // day whole: no label cut, nothing over anything else, on a 1024x768 screen.
    void largeFontDarkTheme() {
        LargeDarkDesktop desktop;
        frm_Solvane_Calc* w = assessed(kModerate);
        addToLog(w, "Go ahead as planned", "Big letters day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        w->mnuEventLog_Click();
        frmEventLog* window = w->eventLog()->window();
        QVERIFY(window && QTest::qWaitForWindowActive(window));
        QTest::qWait(50);
        saveShot(window, "eventlog-large-dark");
        QCOMPARE(clippedOrOverlapping(window).join(" / "), QString());
        QCOMPARE(clashingMnemonics(window), QStringList());
    }

    // An event made in the Event Log window takes assessments only when asked to; an event of
    // another day is asked about first; the Add dialog names the event that receives the entry.
    void whereAssessmentsGo() {
        frm_Solvane_Calc* w = assessed(kModerate);
        addToLog(w, "go", "Race day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier); // Event Log...
        frmEventLog* window = w->eventLog()->window();
        QVERIFY(window && QTest::qWaitForWindowActive(window));
        orvane::settings::plannerPlace.set("Riverside Oval"); // the last place planned for
        whenDialog([](QDialog* fresh) {
            QVERIFY(!fresh->findChild<QCheckBox*>("chkAddHere")->isChecked());
            QCOMPARE(fresh->findChild<QLineEdit*>("txtEventPlace")->text(), "Riverside Oval");
            type(fresh, "txtEventName", "Next week's tournament");
            auto* date = fresh->findChild<QDateEdit*>("dtEventDate");
            date->setDate(date->date().addDays(7));
            fresh->accept();
        });
        QTest::mouseClick(window->findChild<QPushButton*>("cmdNewEvent"), Qt::LeftButton);
        QCOMPARE((*w->eventLog()->currentEvent())->name, "Race day"); // not the new one
        QString named;
        whenDialog([&](QDialog* entry) {
            named = entry->findChild<QLabel*>("lblEvent")->text();
            saveShot(entry, "add-dialog");
            entry->reject();
        });
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
        QVERIFY2(named.startsWith("Race day, "), qPrintable(named));

        // Asked for, it takes them, and adding to it asks first: it is not today.
        auto* events = window->findChild<QListWidget*>("lstEvents");
        events->setCurrentRow(0); // newest first: next week's
        QTest::mouseClick(window->findChild<QPushButton*>("cmdUseEvent"), Qt::LeftButton);
        QCOMPARE((*w->eventLog()->currentEvent())->name, "Next week's tournament");
        MessageCapture asked; // no one answers: "no", and the event is chosen again
        whenDialog([](QDialog* choose) { choose->reject(); });
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(asked.texts.size(), 1);
        QVERIFY2(asked.texts[0].contains("not today"), qPrintable(asked.texts[0]));
        QCOMPARE(events->item(0)->text().count("0 assessments"), 1); // nothing added to it
    }

    // A log edited elsewhere, with entries in the years 1 and 9999 and a note of 10 MB: the
    // window shows it at once, its timeline labels a bounded number of ticks, the note comes
    // back cut with a mark, and the day report prints a page's worth of it.
    void aLogFromElsewhere() {
        frm_Solvane_Calc* w = assessed(kModerate);
        addToLog(w, "go", "Edited day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "elsewhere");
            other.setDatabaseName(qEnvironmentVariable("ORVANE_EVENT_LOG"));
            QVERIFY(other.open());
            for (const char* time : {"0001-01-01T00:00:00+00:00", "9999-12-31T23:00:00+00:00"})
                QVERIFY(QSqlQuery(other).exec(
                    QStringLiteral("INSERT INTO entries (event_id, time, time_zone, "
                                   "temperature_source, referral, total, note, program_version) "
                                   "SELECT event_id, '%1', time_zone, temperature_source, 0, '57', "
                                   "printf('%.10000000c', 'n'), 'elsewhere' FROM entries WHERE "
                                   "event_id = (SELECT max(id) FROM events) LIMIT 1")
                        .arg(time)));
            other.close();
        }
        QSqlDatabase::removeDatabase("elsewhere");
        w->mnuEventLog_Click();
        frmEventLog* window = w->eventLog()->window();
        QVERIFY(window && QTest::qWaitForWindowActive(window));
        auto* table = window->findChild<QTableWidget*>("tblEntries");
        QCOMPARE(table->rowCount(), 3);
        QVERIFY(table->item(0, 6)->text().endsWith(orvane::eventlog::cutMark()));
        QCOMPARE(table->item(0, 6)->text().size(),
                 orvane::eventlog::kMaxNoteLength + orvane::eventlog::cutMark().size());
        const ChartModel& chart = window->findChild<BandChart*>("chtTimeline")->model();
        const auto texts = textsDrawn(chart);
        QVERIFY2(!texts.empty() && texts.size() < 120, qPrintable(QString::number(texts.size())));
        const auto report = buildDayReport(*window->shownEvent(), window->shownEntries());
        const QString text = report->toPlainText();
        QVERIFY(text.contains(QString(kPrintedNoteLength, u'n') + " [\u2026 cut here"));
        QVERIFY(text.size() < 20'000);
    }

    // A log that turns unreadable under the program: "Add to Event Log" says why, and no dialog
    // goes on with an event it could not read.
    void aLogThatCannotBeRead() {
        frm_Solvane_Calc* w = assessed(kModerate);
        addToLog(w, "go", "Damaged day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        {
            // The events' page overwritten, and the file's change counter moved on, so that the
            // program's connection reads the file again rather than its cache.
            QFile file(qEnvironmentVariable("ORVANE_EVENT_LOG"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray header = file.read(100);
            const int pageSize = (uchar(header[16]) << 8) | uchar(header[17]);
            file.seek(pageSize);
            file.write(QByteArray(pageSize, '\xff'));
            file.seek(24);
            file.write(QByteArray(4, '\x7f'));
        }
        MessageCapture messages;
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains("was not added"), qPrintable(messages.texts[0]));
        QCOMPARE(messages.titles, QStringList{"Solvane Calculator"}); // as its windows name it
        QVERIFY(!QApplication::activeModalWidget());
        closeCalculator(); // the log's last user gone, the damaged file goes too
        QVERIFY(QFile::remove(qEnvironmentVariable("ORVANE_EVENT_LOG")));
    }

    // An entry's answers go back to the calculator, as choices by hand: the result turns stale.
    void answersComeBack() {
        frm_Solvane_Calc* w = assessed(kModerate);
        addToLog(w, "go", "Loaded day");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        choose(w, "Age", 4);
        calculate(w); // 60 now
        w->mnuEventLog_Click();
        frmEventLog* window = w->eventLog()->window();
        QVERIFY(window && QTest::qWaitForWindowActive(window));
        window->findChild<QTableWidget*>("tblEntries")->selectRow(0);
        QTest::mouseClick(window->findChild<QPushButton*>("cmdLoadAnswers"), Qt::LeftButton);
        QCOMPARE(w->resultState(), ResultState::Stale);
        QVERIFY(w->wbgtLocked()); // the air temperature answered question 1 then
        for (const auto& [key, option] : kModerate)
            QCOMPARE(w->list(key)->currentIndex(), option);
        calculate(w);
        QCOMPARE(total(w), " 57");
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
        // Every 30 minutes until cancelled; closing the calculator meanwhile asks first, and
        // unanswered it stays open.
        w->findChild<QAction*>("mnuRemindEvery30")->trigger();
        QTRY_COMPARE(messages.texts.size(), 3);
        w->close();
        QCOMPARE(messages.texts.size(), 4);
        QVERIFY2(messages.texts.last().contains("ends with the calculator"),
                 qPrintable(messages.texts.last()));
        QVERIFY(frm_Solvane_Calc::instance() == w);
        w->findChild<QAction*>("mnuRemindCancel")->trigger();
    }
};

ORVANE_TEST_MAIN_OWN_SETTINGS(TestEventLogWindow)

#include "tst_eventlog_window.moc"
