// The event log: what it keeps and gives back, files it must refuse and leave alone, writes
// that fail without harm and can be tried again, a writer killed inside its transaction, and two
// programs writing at once. The test program also plays those other programs: run with
// --killed-writer, --writer or --write-sample it is a child process (see main at the end).

#include "eventlog/event_log.h"
#include "eventlog/log_path.h"
#include "eventlog/test_hooks.h"
#include "tests/eventlog_fixtures.h"
#include "tests/file_permissions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::eventlog;
using namespace orvane::test;
using Access = EventLog::Access;
using Kind = LogError::Kind;

Q_DECLARE_METATYPE(orvane::eventlog::LogError::Kind)

class TestEventLog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(kAdelaide.isValid());
        test::obeyFilePermissions();
    }

    void cleanup() { testing::setHooks({}); }

    void keepsWhatItIsGiven() {
        // A missing log is refused, not made, unless asked to: cli_tools.sh's "no log" line.
        const QString path = dir_.filePath("new folder/events.sqlite");
        auto log = EventLog::open(path, Access::Create);
        QVERIFY2(log, why(log).constData());
        const qint64 earlier = must(log->addEvent(newEvent("Earlier", QDate(2026, 12, 5))));
        const qint64 day = must(log->addEvent(newEvent("Day", QDate(2026, 12, 7))));
        const qint64 later =
            must(log->addEvent(newEvent("Same day, added later", QDate(2026, 12, 7))));

        // Added out of order, and the UTC time reads as an earlier text than the Adelaide one
        // while it is the later instant.
        Entry utc = assessment(day, 0, "57", "second");
        utc.assessment.at = assessedAt(QDateTime(QDate(2026, 12, 7), QTime(0, 0), Qt::UTC));
        utc.assessment.answers[0] = {
            "WBGT", "82-85.9", "14", {AnswerSource::Kind::Estimated, "air 35 °C, RH 40 %", 84.25}};
        utc.assessment.ceiling = JudgeCeiling(utc.assessment.question1());
        for (const Entry& entry :
             {utc, assessment(day, 0, "53", "first"), assessment(day, 100, {}, "referral"),
              assessment(day, 120, "70", "struck"), assessment(day, 180, "68", "high"),
              assessment(day, 240, "72", "higher, same band")})
            QVERIFY(log->addEntry(entry));
        QVERIFY(log->strikeOut(4, "added by mistake"));
        log = EventLog::open(path, Access::ReadOnly);
        QVERIFY(log);

        QList<qint64> order;
        for (const Event& e : must(log->events()))
            order << e.id;
        QCOMPARE(order, (QList<qint64>{later, day, earlier}));
        QVERIFY(must(log->event(day)).created.isValid());

        const QList<Entry> entries = must(log->entries(day));
        QCOMPARE(notesOf(entries), (QStringList{"first", "second", "referral", "struck", "high",
                                                "higher, same band"}));
        QList<bool> rose;
        for (const Entry& entry : entries)
            rose << entry.bandRose;
        QCOMPARE(rose, (QList<bool>{false, true, false, false, true, false}));

        // Everything the assessment was, its tool's exact WBGT and its ceiling as numbers and
        // keys of their own, not words to parse.
        const Entry& second = entries[1];
        QCOMPARE(isoWithOffset(second.time()), "2026-12-07T00:00:00+00:00");
        QCOMPARE(second.assessment.at, utc.assessment.at);
        QVERIFY(second.assessment.answers == utc.assessment.answers);
        QCOMPARE(second.assessment.temperatureSource(), TemperatureSource::Estimated);
        QCOMPARE(second.assessment.band->range, "56\u201365");
        QVERIFY(second.ceilingJudged);
        QVERIFY(second.assessment.ceiling == utc.assessment.ceiling);
        QCOMPARE(second.assessment.ceiling.level, CeilingLevel::Races);
        QCOMPARE(OtherConnection(path).value("SELECT wbgt_f || ' ' || ceiling || ' ' || band FROM "
                                             "entries WHERE note = 'second'"),
                 "84.25 races-cancel 56\u201365");
        QVERIFY(!second.programVersion.isEmpty());
        QVERIFY(entries[3].struck && !entries[4].struck);
    }

    void entriesAreOnlyStruckOut_data() {
        QTest::addColumn<QString>("attempt");
        QTest::addColumn<Kind>("refused");
        QTest::newRow("strike out twice") << "strike 1" << Kind::Invalid;
        QTest::newRow("strike out without a reason") << "strike 2 " << Kind::Invalid;
        QTest::newRow("strike out an entry not there") << "strike 9 no such" << Kind::Invalid;
        QTest::newRow("an entry for an event not there") << "add 9" << Kind::Invalid;
        QTest::newRow("a referral with a total") << "add referral" << Kind::Invalid;
        QTest::newRow("an event without a name") << "event" << Kind::Invalid;
        // Another program going round the log: the file itself refuses.
        QTest::newRow("change a note") << "UPDATE entries SET note = 'x'" << Kind::Failed;
        QTest::newRow("change a WBGT") << "UPDATE entries SET wbgt_f = 90" << Kind::Failed;
        QTest::newRow("change a ceiling") << "UPDATE entries SET ceiling = 'none'" << Kind::Failed;
        QTest::newRow("change an answer") << "UPDATE answers SET points = '0'" << Kind::Failed;
        QTest::newRow("unstrike") << "UPDATE entries SET struck_reason = NULL, struck_time = NULL"
                                  << Kind::Failed;
        QTest::newRow("delete answers") << "DELETE FROM answers" << Kind::Failed;
        QTest::newRow("delete an event with entries") << "DELETE FROM events" << Kind::Failed;
    }

    void entriesAreOnlyStruckOut() {
        QFETCH(QString, attempt);
        QFETCH(Kind, refused);
        const QString path = dir_.filePath(QTest::currentDataTag() + QString(".sqlite"));
        auto log = EventLog::open(path, Access::Create);
        const qint64 day = must(log->addEvent(newEvent("Day", QDate(2026, 12, 7))));
        QVERIFY(log->addEntry(assessment(day, 0, "57", "kept")));
        QVERIFY(log->addEntry(assessment(day, 30, "60", "kept too")));
        QVERIFY(log->strikeOut(1, "wrong event"));
        const QByteArray before = contents(path);

        std::optional<LogError> error;
        const auto keepError = [&](const auto& done) {
            if (!done)
                error = done.error();
        };
        const QStringList words = attempt.split(' ');
        if (words[0] == "strike") {
            keepError(log->strikeOut(words[1].toLongLong(), words.mid(2).join(' ')));
        } else if (words[0] == "add") {
            Entry entry = assessment(words[1] == "referral" ? day : 9, 60, "57");
            entry.assessment.referral = words[1] == "referral";
            keepError(log->addEntry(entry));
        } else if (words[0] == "event") {
            keepError(log->addEvent(newEvent(" ", QDate(2026, 12, 7))));
        } else {
            OtherConnection other(path);
            QVERIFY(other.exec("PRAGMA foreign_keys = ON"));
            QVERIFY(!other.exec(attempt));
            error = LogError{Kind::Failed, {}};
        }
        QVERIFY(error);
        QCOMPARE(error->kind, refused);
        QCOMPARE(contents(path), before);
        QCOMPARE(notesOf(must(log->entries(day))), (QStringList{"kept", "kept too"}));
    }

    void filesLeftAlone_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: a log of a newer format
        QTest::addColumn<Kind>("refused");
        QTest::addColumn<QString>("said");
        QByteArray noise(8192, 0);
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("random bytes") << noise << Kind::NotALog << "not a database";
        QTest::newRow("another program's database")
            << QByteArray("other") << Kind::NotALog << "not an event log of Solvane";
        QTest::newRow("a newer format") << QByteArray() << Kind::Newer << "log format 3";
        QTest::newRow("format 0 of a log") << QByteArray("0") << Kind::NotALog << "log format 0";
        QTest::newRow("a pipe") << QByteArray("pipe") << Kind::NotALog << "not a regular file";
    }

    void filesLeftAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(Kind, refused);
        QFETCH(QString, said);
        const QString path = dir_.filePath(QTest::currentDataTag() + QString(".sqlite"));
        if (bytes == "pipe") {
            // Opened as a file, a pipe with no writer would block the read for ever.
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (bytes.isEmpty() || bytes == "0" || bytes == "other") {
            if (bytes != "other")
                QVERIFY(EventLog::open(path, Access::Create));
            OtherConnection other(path);
            QVERIFY(other.exec(bytes.isEmpty() ? "PRAGMA user_version = 3"
                               : bytes == "0"  ? "PRAGMA user_version = 0"
                                               : "CREATE TABLE t (x)"));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        const bool pipe = bytes == "pipe"; // reading it would wait for a writer, as SQLite would
        const QByteArray before = pipe ? QByteArray() : contents(path);
        for (const Access access : {Access::ReadOnly, Access::ReadWrite, Access::Create}) {
            const auto log = EventLog::open(path, access);
            QVERIFY(!log);
            QCOMPARE(log.error().kind, refused);
            QVERIFY2(log.error().message.contains(said) && log.error().message.contains(path),
                     qPrintable(log.error().message));
        }
        QCOMPARE(pipe ? QByteArray() : contents(path), before);
        QCOMPARE(QDir(dir_.path()).entryList({"*journal"}, QDir::Files), QStringList());
    }

    void failedWritesLoseNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<Kind>("refused");
        QTest::addColumn<QString>("said");
        QTest::newRow("another writer holds the log") << "write lock" << Kind::Busy << "in use";
        QTest::newRow("read-only file") << "read-only file" << Kind::ReadOnly << "only be read";
        QTest::newRow("read-only folder") << "read-only folder" << Kind::ReadOnly << "only be read";
        QTest::newRow("full disk") << "full" << Kind::Full << "is full";
    }

    void failedWritesLoseNothing() {
        QFETCH(QString, fault);
        QFETCH(Kind, refused);
        QFETCH(QString, said);
        const QDir folder(dir_.filePath(QTest::currentDataTag()));
        QVERIFY(folder.mkpath("."));
        const QString path = folder.filePath("events.sqlite");
        qint64 day = 0;
        {
            auto log = EventLog::open(path, Access::Create);
            day = must(log->addEvent(newEvent("Day", QDate(2026, 12, 7))));
            QVERIFY(log->addEntry(assessment(day, 0, "53", "before")));
        }
        if (fault == "full")
            testing::setHooks({{}, OtherConnection(path).value("PRAGMA page_count").toInt()});
        else if (fault.startsWith("read-only"))
            QVERIFY(QFile::setPermissions(fault.endsWith("file") ? path : folder.path(),
                                          QFile::ReadOwner | QFile::ExeOwner));
        auto log = EventLog::open(path, Access::ReadWrite, {200});
        QVERIFY2(log, why(log).constData());
        std::optional<OtherConnection> other;
        if (fault == "write lock") {
            other.emplace(path);
            QVERIFY(other->exec("BEGIN IMMEDIATE"));
            QVERIFY(other->exec("INSERT INTO events (name, date, created) VALUES ('x', "
                                "'2026-12-07', '2026-12-07T09:00:00+10:30')"));
        }
        // An entry long enough to need new pages wherever the file has room left.
        Entry candidate = assessment(day, 30, "57", "candidate");
        candidate.assessment.answers.push_back({"Other", std::string(20000, 'x'), "", {}});
        const auto added = log->addEntry(candidate);
        QVERIFY(!added);
        QCOMPARE(added.error().kind, refused);
        QVERIFY2(added.error().message.contains(said) && added.error().message.contains(path),
                 qPrintable(added.error().message));
        if (other) // reading goes on while another program writes
            QCOMPARE(notesOf(must(log->entries(day))), QStringList{"before"});

        other.reset(); // its insert is rolled back
        testing::setHooks({});
        QVERIFY(QFile::setPermissions(folder.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        log = EventLog::open(path, Access::ReadWrite);
        QCOMPARE(notesOf(must(log->entries(day))), QStringList{"before"});
        QVERIFY(log->addEntry(candidate)); // kept by the caller, it goes in at the next try
        QCOMPARE(log->entries(day)->size(), 2);
        QCOMPARE(OtherConnection(path).value("PRAGMA integrity_check").toString(), "ok");
    }

    void killedWriter() {
        const QString path = dir_.filePath("killed.sqlite");
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {"--killed-writer", path});
        QByteArray said;
        while (!said.endsWith("inside\n")) {
            QVERIFY2(writer.waitForReadyRead(60000), "the writer never reached its transaction");
            said += writer.readAllStandardOutput();
        }
        // The open transaction has already put pages of the half-written entry into the file.
        QVERIFY(QFile::exists(path + "-journal"));
        QCOMPARE_GT(QFileInfo(path).size(), said.split(' ').value(1).toLongLong());
        writer.kill();
        QVERIFY(writer.waitForFinished());

        const auto reader = EventLog::open(path, Access::ReadOnly);
        QVERIFY(!reader);
        QVERIFY2(reader.error().message.contains("stopped in the middle"),
                 qPrintable(reader.error().message));
        const auto log = EventLog::open(path, Access::ReadWrite);
        QVERIFY2(log, why(log).constData());
        QCOMPARE(notesOf(must(log->entries(1))),
                 (QStringList{"committed 1", "committed 2", "committed 3"}));
        QVERIFY(!QFile::exists(path + "-journal"));
        QCOMPARE(OtherConnection(path).value("PRAGMA integrity_check").toString(), "ok");
    }

    void twoProgramsWrite() {
        const QString path = dir_.filePath("shared.sqlite");
        auto log = EventLog::open(path, Access::Create, kPatient);
        const qint64 day = must(log->addEvent(newEvent("Day", QDate(2026, 12, 7))));
        QProcess first;
        QProcess second;
        first.start(QCoreApplication::applicationFilePath(), {"--writer", path, "first"});
        second.start(QCoreApplication::applicationFilePath(), {"--writer", path, "second"});
        QStringList expected;
        for (int i = 0; i < 20; ++i) {
            QVERIFY(log->addEntry(assessment(day, i, "57", QString("this %1").arg(i))));
            expected << QString("this %1").arg(i) << QString("first %1").arg(i)
                     << QString("second %1").arg(i);
        }
        for (QProcess* writer : {&first, &second}) {
            QVERIFY(writer->waitForFinished(120000));
            QVERIFY2(writer->exitCode() == 0, writer->readAllStandardError().constData());
        }
        QStringList notes = notesOf(must(log->entries(day)));
        notes.sort();
        expected.sort();
        QCOMPARE(notes, expected);
        QCOMPARE(OtherConnection(path).value("PRAGMA integrity_check").toString(), "ok");
    }

    void whichFile_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("expected");
        const QString here = QDir::currentPath();
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QTest::newRow("--log first") << "a.sqlite"
                                     << "/elsewhere/b.sqlite" << here + "/a.sqlite";
        QTest::newRow("then the variable") << ""
                                           << "shared/b.sqlite" << here + "/shared/b.sqlite";
        QTest::newRow("then the data folder") << ""
                                              << "" << data + "/events.sqlite";
    }

    void whichFile() {
        QFETCH(QString, option);
        QFETCH(QString, variable);
        QFETCH(QString, expected);
        qputenv(kEventLogVariable, variable.toUtf8());
        setEventLogPath(option);
        QCOMPARE(eventLogPath(), expected);
        QCOMPARE(resolveEventLogPath(option), expected);
        qunsetenv(kEventLogVariable);
        QVERIFY(!QFile::exists(expected));
    }

private:
    QTemporaryDir dir_;
};

namespace {

int fail(const LogError& error) {
    std::fprintf(stderr, "%s\n", qPrintable(error.message));
    return 1;
}

// --killed-writer FILE: three entries committed, then a fourth whose transaction stops open,
// saying "committed SIZE" and "inside" on stdout, until it is killed.
int killedWriter(const QString& path) {
    auto log = EventLog::open(path, Access::Create);
    if (!log)
        return fail(log.error());
    const qint64 day = must(log->addEvent(newEvent("Day", QDate(2026, 12, 7))));
    for (int i = 1; i <= 3; ++i)
        if (auto added = log->addEntry(assessment(day, i, "57", QString("committed %1").arg(i)));
            !added)
            return fail(added.error());
    std::printf("committed %lld\n", static_cast<long long>(QFileInfo(path).size()));
    testing::setHooks({[] {
        std::fputs("inside\n", stdout);
        std::fflush(stdout);
        for (;;)
            pause();
    }});
    // Larger than SQLite's page cache, so the transaction spills into the file before COMMIT.
    Entry large = assessment(day, 4, "57", "never committed");
    for (int i = 0; i < 2048; ++i)
        large.assessment.answers.push_back({"Other", std::string(4096, 'h'), "", {}});
    return log->addEntry(large) ? 2 : 3;
}

// --writer FILE NAME: twenty entries into event 1, noted "NAME 0" to "NAME 19".
int writer(const QString& path, const QString& name) {
    auto log = EventLog::open(path, Access::ReadWrite, kPatient);
    if (!log)
        return fail(log.error());
    for (int i = 0; i < 20; ++i)
        if (auto added = log->addEntry(assessment(1, i, "57", QString("%1 %2").arg(name).arg(i)));
            !added)
            return fail(added.error());
    return 0;
}

// --write-sample FILE: the log tests/cli_tools.sh reads, with texts a CSV must take care of.
int writeSample(const QString& path) {
    auto log = EventLog::open(path, Access::Create);
    if (!log)
        return fail(log.error());
    must(log->addEvent(newEvent("Earlier day", QDate(2026, 12, 6))));
    const qint64 day = must(log->addEvent(Event{
        0, "=HYPERLINK(\"http://x\")", "Oval, \"North\" gate", QDate(2026, 12, 7), {}, {}, 0}));
    Entry first = assessment(day, 0, "53", "two\nlines");
    first.decision = "-extra drinks";
    log->addEntry(first);
    log->addEntry(assessment(day, 60, "57", "@mistake"));
    log->addEntry(assessment(day, 90, {}, "+referred"));
    log->addEntry(assessment(day, 120, "60", "moderate again"));
    if (auto struck = log->strikeOut(2, "=wrong event"); !struck)
        return fail(struck.error());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--killed-writer")
        return killedWriter(args[2]);
    if (args.size() == 4 && args[1] == "--writer")
        return writer(args[2], args[3]);
    if (args.size() == 3 && args[1] == "--write-sample")
        return writeSample(args[2]);
    QStandardPaths::setTestModeEnabled(true);
    TestEventLog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_eventlog.moc"
