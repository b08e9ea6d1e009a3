// orvane-eval log: an event log for scripts. Reading never writes to the log or creates it;
// importing writes to it (and creates it) in one transaction, or not at all.
//
//   orvane-eval log --db FILE events               one JSON line per event, newest first:
//                                                  id, name, place, date, entries (their count)
//   orvane-eval log --db FILE export-csv EVENT_ID  the event's CSV, as the window exports it
//   orvane-eval log --db FILE import-csv CSV       the entries of a CSV that this program or the
//                                                  web edition wrote, each to its event; one
//                                                  JSON line with how many were added and
//                                                  skipped (already in the log)
//
// Exit status 1 with the log's own message when the file cannot be read or has no such event, or
// the CSV is refused (with its line), 2 for a wrong call.

#include "cli/log_command.h"

#include "cli/json_line.h"
#include "eventlog/csv_reader.h"
#include "eventlog/event_log.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace orvane::cli {

namespace {

int wrongCall(const std::string& why) {
    std::fprintf(stderr,
                 "orvane-eval: %s (usage: orvane-eval log --db FILE events | "
                 "export-csv EVENT_ID | import-csv CSV)\n",
                 why.c_str());
    return 2;
}

int logFailed(const eventlog::LogError& error) {
    std::fprintf(stderr, "orvane-eval: %s\n", qPrintable(error.message));
    return 1;
}

void write(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
}

int importCsv(const QString& logPath, const QString& csvPath) {
    const auto read = eventlog::readEventCsvFile(csvPath);
    if (const auto* refused = std::get_if<QString>(&read)) {
        std::fprintf(stderr, "orvane-eval: %s\n", qPrintable(*refused));
        return 1;
    }
    auto log = eventlog::EventLog::open(logPath, eventlog::EventLog::Access::Create);
    if (!log)
        return logFailed(log.error());
    const auto count = log->importDays(std::get<QList<eventlog::ImportedDay>>(read));
    if (!count)
        return logFailed(count.error());
    write(json::Object().add("added", count->added).add("skipped", count->skipped).finish() + '\n');
    return 0;
}

} // namespace

int logCommand(int argc, char** argv) {
    if (argc < 5 || std::strcmp(argv[2], "--db") != 0)
        return wrongCall("log needs --db FILE and a command");
    const std::string command = argv[4];
    if (command == "import-csv" && argc == 6)
        return importCsv(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[5]));
    qint64 eventId = 0;
    if (command == "export-csv" && argc == 6) {
        bool number = false;
        eventId = QByteArray(argv[5]).toLongLong(&number);
        if (!number)
            return wrongCall("'" + std::string(argv[5]) + "' is not an event id");
    } else if (command != "events" || argc != 5) {
        return wrongCall("wrong arguments for 'log " + command + "'");
    }

    auto log = eventlog::EventLog::open(QString::fromLocal8Bit(argv[3]),
                                        eventlog::EventLog::Access::ReadOnly);
    if (!log)
        return logFailed(log.error());
    if (command == "export-csv") {
        const auto csv = log->csv(eventId);
        if (!csv)
            return logFailed(csv.error());
        write(*csv);
        return 0;
    }
    const auto events = log->events();
    if (!events)
        return logFailed(events.error());
    for (const eventlog::Event& event : *events)
        write(json::Object()
                  .add("id", event.id)
                  .add("name", event.name)
                  .add("place", event.place)
                  .add("date", event.date.toString(Qt::ISODate))
                  .add("entries", event.entryCount)
                  .finish() +
              '\n');
    return 0;
}

} // namespace orvane::cli
