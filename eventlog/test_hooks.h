#pragma once

// Hooks for the event log's tests; no program code sets them.
//
// They are plain functions rather than code compiled in only for tests: each folder builds one
// library, and a second, test-only build of it would leave the shipped code untested. Unset,
// each costs one check per write or per open.

#include <functional>

namespace orvane::eventlog::testing {

struct Hooks {
    // Runs inside every write transaction after its statements and before COMMIT, so a test
    // can stop or kill the writer while the transaction is open.
    std::function<void()> insideWrite;
    // When above 0, `PRAGMA max_page_count` for each connection opened from now on: the limit
    // is not kept in the file, so this is how a test fills the "disk" of the program's own
    // connection.
    int maxPageCount = 0;
};

void setHooks(Hooks hooks);
// The hooks set, for the log's own code.
const Hooks& hooks();

} // namespace orvane::eventlog::testing
