#!/usr/bin/env bash
# Builds the program and starts it. Installs missing Debian packages first.
# Without a display it says so, runs the program on a virtual display for a moment and saves a
# screenshot instead.
# With --web [PORT] it builds the web edition instead and serves it on 127.0.0.1, on PORT or a
# free port, printing the address to open.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh" # visible: a first install takes a while and may ask for a password

if [[ "${1:-}" == "--web" ]]; then
    echo "Building the web edition..."
    log="$(mktemp)"
    if ! "$root/tools/build-web.sh" >"$log" 2>&1; then
        cat "$log"
        rm -f "$log"
        echo "The web edition's build failed; see the messages above." >&2
        exit 1
    fi
    rm -f "$log"
    exec node "$root/web/serve.mjs" "$root/build/web" "${2:-0}"
fi
echo "Building..."
log="$(mktemp)"
if ! "$root/tools/build.sh" default >"$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    echo "The build failed; see the messages above." >&2
    exit 1
fi
rm -f "$log"
program="$root/build/default/bin/OrvaneCalculatorF"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$program" "$@"
fi

echo "No display: DISPLAY and WAYLAND_DISPLAY are not set, so no window can be shown here."
echo "Starting the program on a virtual display (Xvfb) to take a screenshot instead..."
# shellcheck source=tools/virtual-display.sh
source "$root/tools/virtual-display.sh"
start_virtual_display 1024x700
"$program" >/dev/null 2>&1 &
track_pid $!
sleep 3
shot="$root/build/default/screenshot-conditions-of-use.png"
import -window root "$shot"
echo "Screenshot of the conditions-of-use window: $shot"
echo "Run ./tools/run.sh on a desktop session to use the program."
