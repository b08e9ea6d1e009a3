#!/usr/bin/env bash
# Takes the README's screenshots: the real program on a virtual display with a window manager,
# driven by real mouse and key events. Usage: tools/screenshots.sh [OUTPUT_FOLDER]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$root/docs/screenshots}"
mkdir -p "$out"
# shellcheck source=tools/virtual-display.sh
source "$root/tools/virtual-display.sh"
start_virtual_display 1024x768
# Settings and an event log of its own, and a forecast served on this machine: the pictures never
# depend on, or change, the user's own, and nothing goes to the internet.
home="$(mktemp -d)"
python3 - "$home/forecast.json" <<'PY'
import json, math, sys, datetime, zoneinfo
zone = zoneinfo.ZoneInfo("Australia/Adelaide")
day = datetime.datetime.now(zone).date() # the planner's first date: the place's today
midnight = datetime.datetime(day.year, day.month, day.day, tzinfo=zone)
hours = [midnight + datetime.timedelta(hours=h) for h in range(24)]
warm = [max(0.0, 1 - abs(h - 15) / 9) for h in range(24)]
json.dump({"latitude": -34.93, "longitude": 138.6, "timezone": "Australia/Adelaide",
           "hourly": {"time": [int(t.timestamp()) for t in hours],
                      "temperature_2m": [round(22 + 14 * w, 1) for w in warm],
                      "relative_humidity_2m": [round(60 - 30 * w) for w in warm],
                      "wind_speed_10m": [3.0] * 24,
                      "shortwave_radiation_instant": [round(max(0, 950 * math.sin((h - 6) * math.pi / 14))) if 7 <= h <= 19 else 0 for h in range(24)],
                      "surface_pressure": [1012] * 24}}, open(sys.argv[1], "w"))
PY
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$home" >/dev/null 2>&1 &
track_pid $!
HOME="$home" XDG_CONFIG_HOME="$home/config" ORVANE_EVENT_LOG="$home/events.sqlite" \
    ORVANE_FORECAST_URL="http://127.0.0.1:$port/forecast.json" \
    "$root/build/default/bin/OrvaneCalculatorF" >/dev/null 2>&1 &
track_pid $!

window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
active() { # the active window; openbox may take a moment to announce it
    local id
    for _ in $(seq 1 30); do id="$(xdotool getactivewindow 2>/dev/null)" && break; sleep 0.2; done
    echo "$id"
}
shoot() { # window id, file: the window with its frame
    import -frame -window "$1" "$out/$2"
}
click() { # window id, x, y in client pixels
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

sleep 1.5
import -window root -crop 640x430+192+136 +repage "$out/conditions-of-use.png"
xdotool key Tab Tab Tab # Readme, Decline, Accept: back on Readme
xdotool key --delay 100 Shift+Tab Shift+Tab
splash="$(active)"
click "$splash" 130 355 # Readme: Conditions of Use
about="$(window 'About Solvane Calculator')"
sleep 0.5
shoot "$about" about.png
click "$about" 300 200   # into the conditions, then to their end: the lists
xdotool key ctrl+End
sleep 0.3
shoot "$about" about-lists.png
click "$about" 562 371 # Back
sleep 0.8
splash="$(active)"
click "$splash" 250 355 # Accept Conditions of Use
calc="$(window 'Solvane Calculator - Daduzo')"
sleep 0.5
# The calculator's designed area lies between its menu bar and its status line, as high.
eval "$(xdotool getwindowgeometry --shell "$calc")"
menu=$(((HEIGHT - 395) / 2))
pick() { # x, y of a list in the designed area, which option (1 is the first)
    click "$calc" "$1" $(($2 + menu))
    for _ in $(seq 2 "$3"); do xdotool key Down; done # the open list starts on its first option
    xdotool key Return
    sleep 0.2
}
calc_click() { click "$calc" "$1" $(($2 + menu)); }
pick 236 70 3   # Ordinary Air Temperature: 86-90.9
pick 232 104 3  # length: 60 to 120
pick 160 146 3  # intensity: moderate pace throughout
pick 160 194 2  # used to warm weather
pick 160 242 2  # good fitness level
pick 524 26 2   # 13 to 17
pick 540 58 2   # drinks every 15 to 25 min
pick 524 90 4   # 4 pm to sunset
pick 504 122 2  # grass
pick 488 154 2  # indoor, no air conditioning
pick 464 197 1  # no medical condition
calc_click 508 376       # Calculate Total:
sleep 0.5
shoot "$calc" calculator.png
# The record of this assessment, saved through the dialog and its first page rendered.
xdotool key ctrl+s
window 'Save the assessment as PDF' >/dev/null
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 10 "$out/record.pdf"
xdotool key Return
for _ in $(seq 1 50); do [[ -s "$out/record.pdf" ]] && break; sleep 0.1; done
sleep 0.5
pdftoppm -png -r 72 -f 1 -singlefile "$out/record.pdf" "$out/record"
rm -f "$out/record.pdf"
# The WBGT estimator, from the same menu, at a place.
xdotool key ctrl+e
estimator="$(window 'Estimate WBGT')"
sleep 0.5
xdotool key alt+p Down Down Down Down Return # Houston, TX
sleep 0.5
shoot "$estimator" estimator.png
xdotool key Escape
sleep 0.5
# The day's plan for Adelaide from the forecast served here.
xdotool windowactivate --sync "$calc"
xdotool key ctrl+d
planner="$(window 'Plan the Event Day')"
sleep 0.5
xdotool key alt+p
for _ in $(seq 1 10); do xdotool key Down; done # Adelaide, SA
xdotool key Return alt+g
sleep 2
shoot "$planner" planner.png
xdotool key Escape
sleep 0.5
# Two assessments added to a new event, and the event log.
xdotool windowactivate --sync "$calc"
xdotool key ctrl+l
window 'Event for the Log' >/dev/null
sleep 0.5
xdotool type --delay 10 "Junior athletics day"
xdotool key Tab
xdotool type --delay 10 "Riverside Oval"
xdotool key Return
window 'Add to Event Log' >/dev/null
sleep 0.5
xdotool type --delay 10 "Go ahead with extra precautions"
xdotool key alt+a # Add to Log (Return would first take the offered completion)
sleep 0.8
xdotool windowactivate --sync "$calc"
sleep 0.5
# The open list shows its current option under the pointer: the next one is a line below.
calc_click 488 154
calc_click 488 175       # venue: from indoors to outdoors, 61
calc_click 508 376
sleep 0.5
xdotool key ctrl+l
window 'Add to Event Log' >/dev/null
sleep 0.5
xdotool type --delay 10 "Extra drink station on the course"
xdotool key alt+a
sleep 0.8
xdotool key alt+a v # Assessment, Event Log...
eventlog="$(window 'Event Log')"
sleep 0.8
shoot "$eventlog" eventlog.png
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$calc"
sleep 0.3
calc_click 151 376       # *: the starred items
viewer="$(window 'Readme Viewer')"
sleep 0.5
shoot "$viewer" viewer-starred.png
xdotool key space       # Back, which has the focus
sleep 0.8
calc_click 340 376       # View Full RIR Guidelines
viewer="$(window 'Readme Viewer')"
sleep 0.5
shoot "$viewer" viewer.png
echo "Screenshots in $out"
