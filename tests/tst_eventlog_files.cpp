// The event log's files: a log that an older version wrote, read as it is and brought up to date;
// texts of any length from a file kept within bounds; and a day out as CSV and back in again.

#include "eventlog/csv_reader.h"
#include "eventlog/event_log.h"
#include "tests/eventlog_fixtures.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;
using namespace orvane::eventlog;
using namespace orvane::test;
using Access = EventLog::Access;
using Kind = LogError::Kind;

class TestEventLogFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // A log that version 1.2.0 wrote: readable as it is without a word written to it, and
    // brought to the current format in one step when opened to write. Its band names become
    // ranges, the WBGT its words held becomes a number (in Arabic digits too), its entries stay
    // unchangeable, and none claims a ceiling it never showed.
    void aLogOfFormat1() {
        const QString path = dir_.filePath("format-1.sqlite");
        QVERIFY(QFile::copy(ORVANE_TEST_DATA "/eventlog-format-1.sqlite", path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        const QByteArray before = contents(path);
        const auto read = [&](Access access) {
            auto log = EventLog::open(path, access);
            if (!log)
                qFatal("%s", qPrintable(log.error().message));
            QStringList seen;
            for (const Entry& e : must(log->entries(1)))
                seen << QString("%1 %2 %3 %4 %5")
                            .arg(qs(e.assessment.total),
                                 e.assessment.band ? qs(e.assessment.band->range) : "-",
                                 e.assessment.wbgtF() ? QString::number(*e.assessment.wbgtF())
                                                      : "-",
                                 e.ceilingJudged ? "judged" : "-", e.struck ? "struck" : "-");
            return std::pair(log->version(), seen);
        };
        const QStringList expected{"53 55 and below - - -", "57 56–65 84.3 - struck",
                                   "67 66–74 87.9 - -",     " - - - -",
                                   "76 75 and above - - -", "57 56–65 - - -"};
        const auto [oldVersion, asRead] = read(Access::ReadOnly);
        QCOMPARE(oldVersion, 1);
        QCOMPARE(contents(path), before);
        const auto [newVersion, upgraded] = read(Access::ReadWrite);
        QCOMPARE(newVersion, EventLog::kSchemaVersion);
        QCOMPARE(upgraded, expected);
        QCOMPARE(asRead, QStringList(expected).replaceInStrings(QRegularExpression(" [0-9.]+ - "),
                                                                " - - "));
        OtherConnection other(path);
        QCOMPARE(other.value("PRAGMA user_version").toInt(), EventLog::kSchemaVersion);
        QCOMPARE(other.value("SELECT group_concat(band, '|') FROM entries").toString(),
                 "55 and below|56–65|66–74|75 and above|56–65");
        QCOMPARE(other.value("SELECT count(*) FROM entries WHERE ceiling IS NULL").toInt(), 6);
        QVERIFY(!other.exec("UPDATE entries SET band = 'x'"));
        QVERIFY(!other.exec("UPDATE entries SET wbgt_f = 1"));
        QCOMPARE(other.value("PRAGMA integrity_check").toString(), "ok");
        QVERIFY(EventLog::open(path, Access::ReadWrite)); // once is enough: nothing left to do
        QCOMPARE(other.value("PRAGMA user_version").toInt(), EventLog::kSchemaVersion);
    }

    // Texts a log from elsewhere may hold at any length come back cut, with a mark, at once; a
    // text over its length is refused when added, and the entry stays with its caller.
    void longTextsAreBounded() {
        const QString path = dir_.filePath("long.sqlite");
        auto log = EventLog::open(path, Access::Create);
        const qint64 day = must(log->addEvent(newEvent("Day", QDate(2026, 12, 7))));
        Entry tooLong = assessment(day, 0, "57", QString(kMaxNoteLength + 1, u'n'));
        const auto refused = log->addEntry(tooLong);
        QVERIFY(!refused);
        QCOMPARE(refused.error().kind, Kind::Invalid);
        QVERIFY(log->addEntry(assessment(day, 0, "57", "short")));
        {
            OtherConnection other(path);
            QVERIFY(other.exec("INSERT INTO entries (event_id, time, time_zone, "
                               "temperature_source, referral, total, note, program_version) "
                               "SELECT event_id, time, time_zone, temperature_source, referral, "
                               "total, printf('%.10000000c', 'w'), 'elsewhere' FROM entries"));
            QVERIFY(other.exec("INSERT INTO events (name, place, date, created) VALUES "
                               "(printf('%.1000000c', 'e'), '', '2026-12-08', '')"));
        }
        const QList<Entry> entries = must(log->entries(day));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1].note, QString(kMaxNoteLength, u'w') + cutMark());
        QCOMPARE(must(log->events()).first().name, QString(kMaxNameLength, u'e') + cutMark());
    }

    // A day out as CSV and in again, into a log of its own: the same CSV out once more; taken in
    // a second time, nothing added; a file with one broken line refused whole, naming the line,
    // the log's bytes as they were.
    void csvComesBackWhole() {
        const QString from = dir_.filePath("csv-from.sqlite"), to = dir_.filePath("csv-to.sqlite");
        auto source = EventLog::open(from, Access::Create);
        const qint64 day =
            must(source->addEvent(newEvent("=Fun run, \"north\"", QDate(2026, 12, 7))));
        Entry estimated = complete(day, 0, 3, "-extra drinks", "two\nlines");
        estimated.assessment.answers[0].source = {AnswerSource::Kind::Estimated, "air 95 °F", 88.4};
        estimated.assessment.ceiling = JudgeCeiling(estimated.assessment.question1());
        for (const Entry& e : {estimated, complete(day, 30, 1, "go", "@note"),
                               complete(day, 60, 2, "stop", "", "Medical")}) {
            const auto added = source->addEntry(e);
            QVERIFY2(added, why(added).constData());
        }
        QVERIFY(source->strikeOut(2, "=wrong"));
        const QByteArray csv = must(source->csv(day));

        const QString file = dir_.filePath("day.csv");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(csv) == csv.size());
        out.close();
        auto read = readEventCsvFile(file);
        const auto* refused = std::get_if<QString>(&read);
        QVERIFY2(!refused, refused ? qPrintable(*refused) : "");
        auto target = EventLog::open(to, Access::Create);
        const ImportCount first = must(target->importDays(std::get<QList<ImportedDay>>(read)));
        QCOMPARE(first.added, 3);
        QCOMPARE(must(target->csv(first.events.front())), csv);
        const ImportCount again = must(target->importDays(std::get<QList<ImportedDay>>(read)));
        QCOMPARE(again.added, 0);
        QCOMPARE(again.skipped, 3);

        const QByteArray before = contents(to);
        const QList<QByteArray> lines = csv.split('\n');
        for (const auto& [broken, said] :
             {std::pair{QByteArray(csv).replace(",57,", ",58,"), "line 4: its total"},
              std::pair{QByteArray(csv).replace("Outdoors", "Moon"), "no option"},
              std::pair{QByteArray(csv).replace("\"two", "two"), "fields where the header"},
              std::pair{csv.left(csv.indexOf('\n')) + "\r\n", "nothing to"}}) {
            QFile bad(file);
            QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write(broken) == broken.size());
            bad.close();
            const auto refused = readEventCsvFile(file);
            if (std::string_view(said) == "nothing to") { // a header alone: no day, nothing done
                QVERIFY(std::get<QList<ImportedDay>>(refused).isEmpty());
                continue;
            }
            QVERIFY(std::holds_alternative<QString>(refused));
            QVERIFY2(std::get<QString>(refused).contains(said) &&
                         std::get<QString>(refused).contains("Nothing was imported"),
                     qPrintable(std::get<QString>(refused)));
        }
        QCOMPARE(contents(to), before);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestEventLogFiles)
#include "tst_eventlog_files.moc"
