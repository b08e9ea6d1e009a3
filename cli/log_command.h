#pragma once

namespace orvane::cli {

// `orvane-eval log --db FILE events | export-csv EVENT_ID`; argv[1] is "log".
int logCommand(int argc, char** argv);

} // namespace orvane::cli
