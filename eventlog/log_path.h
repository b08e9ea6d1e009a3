#pragma once

// Which file is the event log: `--log FILE` on the command line, else the environment variable
// ORVANE_EVENT_LOG, else events.sqlite in the user's data folder for this program. Working it
// out touches nothing on disk; the folder is made only when the log is first written.

#include <QString>

namespace orvane::eventlog {

inline constexpr char kEventLogVariable[] = "ORVANE_EVENT_LOG";

// The log's absolute path from an explicit choice (empty: none), the environment and the
// default. The default needs the application's name, so call it after that is set.
QString resolveEventLogPath(const QString& explicitFile);

// Kept by main() from the command line (empty when --log was not given), so the windows can
// ask for it later. A relative path is taken from the folder the program started in.
void setEventLogPath(const QString& fileFromCommandLine);
QString eventLogPath();

} // namespace orvane::eventlog
