#pragma once

namespace orvane::cli {

// orvane-eval forecast [--urban] [--answer KEY=TEXT ...]: one Open-Meteo forecast answer on
// stdin, one JSON line per hour on stdout. Exit status 1, after one {"error": ...} line, when the
// answer cannot be used; 2 for a wrong call. `argv` holds the words after "forecast".
int forecastCommand(int argc, char** argv);

} // namespace orvane::cli
