#pragma once

// Reads back the CSV that the log exports, from this program or from the web edition, which
// writes the same columns: each row an entry of an event named by its name, place and date. A
// file that is not such a CSV is refused whole, naming the line and what is wrong with it, so
// that nothing of it reaches a log.

#include "eventlog/event_log.h"

#include <QByteArray>
#include <QList>

#include <variant>

namespace orvane::eventlog {

struct CsvRefusal {
    int line = 0; // the file's line the fault is on, from 1
    QString reason;
};

std::variant<QList<ImportedDay>, CsvRefusal> readEventCsv(const QByteArray& bytes);

// The CSV at `path`, or why not, in a sentence naming the file (and the line, for a fault in
// it). Only a regular file of a size a day's CSV can have is read.
std::variant<QList<ImportedDay>, QString> readEventCsvFile(const QString& path);

} // namespace orvane::eventlog
