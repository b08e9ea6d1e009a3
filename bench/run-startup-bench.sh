#!/usr/bin/env bash
# Runs bench_startup on a virtual display of its own, without a window manager.
# Usage: run-startup-bench.sh BUILD_BIN_DIR [ROUNDS]
set -euo pipefail
bin="$1" rounds="${2:-15}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tools/virtual-display.sh
source "$here/../tools/virtual-display.sh"
start_virtual_display 1280x800 no-wm
# Against an empty window, then against a window showing one line of text.
"$bin/bench_startup" "$bin/OrvaneCalculatorF" "$bin/minimal_window" "$rounds"
"$bin/bench_startup" "$bin/OrvaneCalculatorF" "$bin/minimal_text_window" "$rounds"
