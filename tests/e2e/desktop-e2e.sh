#!/usr/bin/env bash
# End-to-end on a real X server: Xvfb with the openbox window manager. Each scenario starts the
# built program as its own process, drives it only with real input events (xdotool), and reads
# what is on screen through the window system (titles, geometry, window hints) and screenshots.
# Usage: desktop-e2e.sh PROGRAM SOURCE_DIR
set -uo pipefail
program="$1" source="$2"
# shellcheck source=tools/virtual-display.sh
source "$source/tools/virtual-display.sh"
start_virtual_display 1024x700 || exit 1
shots="$(mktemp -d)"
trap '_vd_cleanup; rm -rf "$shots"' EXIT

passed=0 failed=0 pid=""
SCREEN_W=1024 SCREEN_H=700

start() { # [NAME=VALUE...]: the program's environment beyond this script's
    env "$@" "$program" >"$shots/program.log" 2>&1 &
    pid=$!
    track_pid "$pid"
    splash="$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | head -1)" || return 1
    sleep 0.5
}
stop() { [[ -n "$pid" ]] && kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=""; }
# Waits for the program to end by itself; prints its exit code.
exit_code() {
    local waited=0
    while kill -0 "$pid" 2>/dev/null && [[ $waited -lt 100 ]]; do sleep 0.1; waited=$((waited + 1)); done
    if kill -0 "$pid" 2>/dev/null; then echo running; return; fi
    wait "$pid"; echo $?; pid=""
}
# The program's top-level windows: tooltips and list popups are windows too, but not these.
windows() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q -E 'TYPE_(NORMAL|DIALOG)' && echo "$w"
    done
}
named() { timeout 10 xdotool search --sync --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -1; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1 mousemove 0 0; sleep 0.4; }
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; sleep 0.2; }
# Counts the pixels of one exact colour inside a rectangle of a window's client area.
pixels() { # window colour x y w h
    import -window "$1" "$shots/shot.png"
    convert "$shots/shot.png" -crop "$5x$6+$3+$4" +repage -fill white +opaque "$2" \
        -fill black -opaque "$2" -format '%[fx:int(w*h*(1-mean))]' info:
}

check() { # name, then the scenario function
    local name="$1"; shift
    # In this shell, not a subshell: the scenario's program must be stopped from here.
    if "$@" >"$shots/reason" 2>&1; then
        echo "PASS: $name"; passed=$((passed + 1))
    else
        echo "FAIL: $name: $(tail -n 1 "$shots/reason")"; failed=$((failed + 1))
        import -window root "$source/build/e2e-failure-${name// /-}.png" 2>/dev/null
    fi
    stop
}

# Splash buttons, in the splash's client pixels.
README=(140 360) ACCEPT=(299 360) DECLINE=(475 360)
# Calculator controls, in the designed client area between the window's menu bar and its status
# line, each MENU high, which is measured when a calculator opens.
MENU=0
at() { echo "$1" $(($2 + MENU)); } # x, y in the designed area -> x, y in the window
EXIT=(68 376) STAR=(152 376) GUIDELINES_BOX=(8 272 609 81)
measure_menu() { eval "$(xdotool getwindowgeometry --shell "$1")"; MENU=$(((HEIGHT - 395) / 2)); }

letter_key_ends() {
    start || { echo "no window"; return 1; }
    focus "$splash"
    keys q
    local code; code="$(exit_code)"
    [[ "$code" == 0 ]] || { echo "exit code $code"; return 1; }
}

decline_ends() {
    start || return 1
    click "$splash" "${DECLINE[@]}"
    local code; code="$(exit_code)"
    [[ "$code" == 0 ]] || { echo "exit code $code"; return 1; }
}

splash_has_no_title_bar_and_no_taskbar_entry() {
    start || return 1
    xprop -id "$splash" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || { echo "in the taskbar"; return 1; }
    local extents; extents="$(xprop -id "$splash" _NET_FRAME_EXTENTS)"
    [[ "$extents" == *"= 0, 0, 0, 0" ]] || { echo "frame: $extents"; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$splash")"
    (( X + WIDTH / 2 - SCREEN_W / 2 <= 2 && SCREEN_W / 2 - X - WIDTH / 2 <= 2 )) || { echo "not centred: x=$X"; return 1; }
}

readme_then_escape_returns() {
    start || return 1
    click "$splash" "${README[@]}"
    local about; about="$(named 'About Solvane Calculator')"
    [[ -n "$about" ]] || { echo "no About window"; return 1; }
    [[ "$(xdotool getwindowname "$about")" == "About Solvane Calculator °F" ]] || { echo "title: $(xdotool getwindowname "$about")"; return 1; }
    xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || { echo "About in the taskbar"; return 1; }
    [[ "$(windows | wc -l)" == 1 ]] || { echo "splash still open"; return 1; }
    keys Escape
    sleep 0.5
    local open; open="$(windows)"
    [[ "$(wc -l <<<"$open")" == 1 && "$(xprop -id "$open" _NET_FRAME_EXTENTS)" == *"= 0, 0, 0, 0" ]] || { echo "splash not back"; return 1; }
}

accept_opens_the_calculator() {
    start || return 1
    click "$splash" "${ACCEPT[@]}"
    calc="$(named 'Solvane Calculator - Daduzo')"
    [[ -n "$calc" ]] || { echo "no calculator"; return 1; }
    [[ "$(xdotool getwindowname "$calc")" == "Solvane Calculator - Daduzo Vizeruda Zavevodov (SA Branch) - Non-Desert Version*" ]] || { echo "title"; return 1; }
    [[ "$(windows | wc -l)" == 1 ]] || { echo "$(windows | wc -l) windows"; return 1; }
    measure_menu "$calc"
    # The designed area is 625 x 395; the menu bar stands above it, the status line below.
    (( WIDTH == 625 && MENU >= 18 && MENU <= 40 )) || { echo "size ${WIDTH}x$HEIGHT"; return 1; }
    local dx=$((X + WIDTH / 2 - SCREEN_W / 2)) dy=$((Y + HEIGHT / 2 - SCREEN_H / 2))
    # Vertically the title bar, which the window manager adds above, may shift it a little.
    (( dx * dx <= 16 && dy >= -4 && dy <= 25 )) || { echo "not centred: $X,$Y"; return 1; }
}

assessment_by_keyboard() {
    start || return 1
    focus "$splash"
    keys Tab Tab space                                  # Readme, Decline, Accept: pressed
    calc="$(named 'Solvane Calculator - Daduzo')"
    [[ -n "$calc" ]] || { echo "Space on Accept did not open the calculator"; return 1; }
    measure_menu "$calc"
    assess_57_by_keyboard
    # The 56-65 advice leads in dark red; the other bands use other colours.
    local moderate high
    local box=("${GUIDELINES_BOX[0]}" $((GUIDELINES_BOX[1] + MENU)) "${GUIDELINES_BOX[@]:2}")
    moderate="$(pixels "$calc" 'rgb(128,0,0)' "${box[@]}")"
    high="$(pixels "$calc" 'rgb(192,0,0)' "${box[@]}")"
    (( moderate > 50 && high == 0 )) || { echo "band colours: moderate=$moderate high=$high"; return 1; }
}

# From "Exit Calculator" along the stored tab order; arrows on a closed list choose.
assess_57_by_keyboard() {
    focus "$calc"
    keys Tab Tab Tab Tab Tab Down Down                 # WBGT 73-81.9: 10
    keys Tab Tab Down Down Down                        # 60 to 120: 6
    keys Tab Tab Tab Down Down Down                    # moderate pace throughout: 6
    keys Tab Tab Down Down                             # used to warm weather: 5
    keys Tab Tab Down Down                             # good fitness level: 6
    keys Tab Down Down                                 # 13 to 17: 5
    keys Tab Tab Tab Down Down                         # drinks 15 to 25: 4
    keys Tab Down Down Down Down                       # 4 pm to sunset: 5
    keys Tab Down Down                                 # grass: 2
    keys Tab Tab Down                                  # medical none: 0
    keys Tab Tab Tab Tab Tab Down Down Down            # outdoors: 8 (total 57)
    keys Tab Tab Tab Tab Tab Tab space                 # "Calculate Total:"
    sleep 0.5
}

keyboard_assessment_saved_as_pdf() {
    assessment_by_keyboard || return 1
    local pdf="$shots/by keyboard.pdf"
    keys ctrl+s                                         # the save dialog, on the file name
    local dialog; dialog="$(named 'Save the assessment as PDF')"
    [[ -n "$dialog" ]] || { echo "no save dialog"; return 1; }
    keys ctrl+a
    xdotool type --delay 20 "$pdf"
    keys Return
    local waited=0
    while [[ ! -s "$pdf" && $waited -lt 50 ]]; do sleep 0.1; waited=$((waited + 1)); done
    [[ -s "$pdf" ]] || { echo "no PDF written"; return 1; }
    local text; text="$(pdftotext -layout "$pdf" - | tr -s ' ')"
    for fact in "Heat illness risk assessment" "1. Wet Bulb Globe Temperature 73-81.9 10" \
                "10. Venue Outdoors 8" "Total: 57" "MODERATE RISK"; do
        grep -qF "$fact" <<<"$text" || { echo "PDF lacks: $fact"; return 1; }
    done
}

# Counts the dark pixels of the total's digits in the total box.
total_ink() { pixels "$calc" 'rgb(0,0,0)' $(at 572 368) 41 17; }

referral_after_a_score_empties_the_total() {
    assessment_by_keyboard || return 1
    (( $(total_ink) > 20 )) || { echo "no total shown before"; return 1; }
    click "$calc" $(at 464 197)                        # open the medical list
    keys End Return                                    # "Extreme: ...": a referral
    click "$calc" $(at 508 376)                        # "Calculate Total:"
    local ink; ink="$(total_ink)"
    (( ink == 0 )) || { echo "a total still shows beside the referral ($ink dark pixels)"; return 1; }
}

save_on_an_account_without_documents() {
    local home="$shots/new home"
    mkdir -p "$home"
    start HOME="$home" XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_DOCUMENTS_DIR= || return 1
    focus "$splash"
    keys Tab Tab space
    calc="$(named 'Solvane Calculator - Daduzo')"
    [[ -n "$calc" ]] || { echo "no calculator"; return 1; }
    measure_menu "$calc"
    assess_57_by_keyboard
    keys ctrl+s
    [[ -n "$(named 'Save the assessment as PDF')" ]] || { echo "no save dialog"; return 1; }
    keys Return                                         # the proposed folder and name
    local waited=0
    while ! compgen -G "$home/Heat risk assessment *.pdf" >/dev/null && [[ $waited -lt 50 ]]; do
        sleep 0.1; waited=$((waited + 1))
    done
    compgen -G "$home/Heat risk assessment *.pdf" >/dev/null \
        || { echo "no PDF in the home folder: $(find "$home" -name '*.pdf')"; return 1; }
}

estimator_closes_on_escape() {
    accept_opens_the_calculator || return 1
    focus "$calc"
    keys ctrl+e
    local estimator; estimator="$(named 'Estimate WBGT')"
    [[ -n "$estimator" ]] || { echo "no estimator"; return 1; }
    focus "$estimator"
    keys Escape
    sleep 0.5
    xdotool search --all --onlyvisible --pid "$pid" --name 'Estimate WBGT' >/dev/null \
        && { echo "Escape left the estimator open"; return 1; }
    [[ "$(windows)" == "$calc" ]] || { echo "windows: $(windows | wc -l)"; return 1; }
}

# Ctrl+L on a calculated assessment: a new event, the decision, and the entry in the log's file
# as SQLite's own tool reads it.
assessment_added_to_the_event_log() {
    local home="$shots/log home" db="$shots/events.sqlite"
    mkdir -p "$home"
    start HOME="$home" XDG_CONFIG_HOME="$home/config" ORVANE_EVENT_LOG="$db" || return 1
    focus "$splash"
    keys Tab Tab space
    calc="$(named 'Solvane Calculator - Daduzo')"
    [[ -n "$calc" ]] || { echo "no calculator"; return 1; }
    measure_menu "$calc"
    assess_57_by_keyboard
    [[ ! -e "$db" ]] || { echo "the log was made before it was used"; return 1; }
    keys ctrl+l
    [[ -n "$(named 'Event for the Log')" ]] || { echo "no event dialog"; return 1; }
    xdotool type --delay 20 "Harbour fun run"
    keys Tab
    xdotool type --delay 20 "Esplanade"
    keys Return
    [[ -n "$(named 'Add to Event Log')" ]] || { echo "no entry dialog"; return 1; }
    xdotool type --delay 20 "Go ahead, extra water"
    keys alt+a
    local row="" waited=0
    while [[ -z "$row" && $waited -lt 50 ]]; do
        row="$(sqlite3 -separator '|' "file:$db?mode=ro" "SELECT e.name, e.place, n.total, \
            n.decision, n.temperature_source FROM entries n JOIN events e ON e.id = n.event_id" \
            2>/dev/null)"
        sleep 0.1; waited=$((waited + 1))
    done
    [[ "$row" == "Harbour fun run|Esplanade|57|Go ahead, extra water|wbgt-by-hand" ]] \
        || { echo "in the log: [$row]"; return 1; }
}

viewer_refuses_alt_f4_and_back_returns() {
    accept_opens_the_calculator || return 1
    click "$calc" $(at "${STAR[@]}")
    local viewer; viewer="$(named 'Readme Viewer')"
    [[ -n "$viewer" ]] || { echo "no viewer"; return 1; }
    focus "$viewer"
    keys alt+F4
    sleep 0.5
    [[ -n "$(named 'Readme Viewer')" ]] || { echo "Alt+F4 closed the viewer"; return 1; }
    click "$viewer" 568 374 # Back
    sleep 0.5
    xdotool search --all --onlyvisible --pid "$pid" --name 'Readme Viewer' >/dev/null && { echo "viewer still open"; return 1; }
    [[ "$(windows)" == "$calc" ]] || { echo "not the same calculator: [$(windows | tr "\n" " ")] vs [$calc]"; return 1; }
}

exit_with_viewer_open_then_back_then_exit() {
    accept_opens_the_calculator || return 1
    click "$calc" $(at "${STAR[@]}")
    local viewer; viewer="$(named 'Readme Viewer')"
    focus "$calc"
    click "$calc" $(at "${EXIT[@]}")
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || { echo "program ended with the viewer open"; return 1; }
    [[ "$(windows)" == "$viewer" ]] || { echo "windows: $(windows | wc -l)"; return 1; }
    click "$viewer" 568 374 # Back: a new calculator
    local second; second="$(named 'Solvane Calculator - Daduzo')"
    [[ -n "$second" && "$second" != "$calc" ]] || { echo "no new calculator"; return 1; }
    focus "$second"
    click "$second" $(at "${EXIT[@]}")
    local code; code="$(exit_code)"
    [[ "$code" == 0 ]] || { echo "exit code $code"; return 1; }
}

check "a letter key ends the program" letter_key_ends
check "decline ends the program" decline_ends
check "splash has no title bar and no taskbar entry" splash_has_no_title_bar_and_no_taskbar_entry
check "readme, then escape returns to the splash" readme_then_escape_returns
check "accept opens the calculator" accept_opens_the_calculator
check "from the start, the keyboard alone accepts and assesses to 56-65" assessment_by_keyboard
check "the keyboard alone saves the assessment as a PDF" keyboard_assessment_saved_as_pdf
check "a referral after a score leaves no total" referral_after_a_score_empties_the_total
check "saving on an account without a documents folder" save_on_an_account_without_documents
check "escape closes the estimator" estimator_closes_on_escape
check "an assessment added to the event log is in its file" assessment_added_to_the_event_log
check "viewer refuses alt+f4, back returns" viewer_refuses_alt_f4_and_back_returns
check "exit with the viewer open, back, exit ends" exit_with_viewer_open_then_back_then_exit

echo "e2e: $passed passed, $failed failed"
[[ $failed == 0 ]]
