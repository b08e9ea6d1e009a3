#pragma once

namespace orvane::cli {

// orvane-eval forecast [--urban]: one Open-Meteo forecast answer on stdin, one JSON line per
// hour on stdout. Exit status 1, after one {"error": ...} line, when the answer cannot be used.
int forecastCommand(bool urban);

} // namespace orvane::cli
