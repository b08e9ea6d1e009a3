#pragma once

// The event log's file format and how an older file is brought up to date. Format 1 is the first;
// each later format is reached from the one before by a step of its own, migrateTo(n), and a new
// file is made at format 1 and taken through the same steps, so a new file and an upgraded one
// can never differ. The steps run in order inside one write transaction when a file is opened to
// write: a file is wholly at its old format or wholly at the new one.
//
// The file holds its own promises as triggers, so no program, a later version of this one
// included, can change or remove an entry: the only change an entry takes is being struck out,
// once. A step that must rewrite a column lifts the trigger for that statement alone, inside its
// transaction.

#include "eventlog/event_log.h"

#include <QSqlDatabase>

namespace orvane::eventlog::schema {

// "ORLG" in the file's header: tells an event log from any other SQLite file.
inline constexpr int kApplicationId = 0x4f524c47;

struct Header {
    int applicationId = 0;
    int version = 0;
    int objects = 0; // tables, indexes and triggers of any kind

    bool empty() const { return applicationId == 0 && version == 0 && objects == 0; }
};

Result<Header> readHeader(const QSqlDatabase& db, const QString& path, int busyTimeoutMs);

// Why a file with this header cannot be read by this version, or nothing when it can.
std::optional<LogError> refusal(const Header& header, const QString& path);

// Makes the log in an empty file, or brings one of an older format up to date, inside the
// caller's write transaction.
Result<> bringUpToDate(const QSqlDatabase& db, const QString& path, int busyTimeoutMs,
                       const Header& header);

} // namespace orvane::eventlog::schema
