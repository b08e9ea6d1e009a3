#!/usr/bin/env bash
# The command-line tools' fixed interface: exit codes, one JSON line per group, refusals, and
# output that could not be written, and reading an event log.
# Usage: cli_tools.sh ORVANE_EVAL RTF2TEXT RTF_DOCUMENT VERSION LOG_WRITER (tst_eventlog)
set -u
eval_bin="$1" rtf2text="$2" document="$3" version="$4" log_writer="$5"
fail=0
check() { # name, expected, actual
    if [[ "$2" == "$3" ]]; then echo "PASS: $1"; else echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; fail=1; fi
}

group_57=$'\n14\n6\n6\n5\n6\n5\n4\n5\n2\n4\n0'   # WBGT 14 ... totals 57
out="$(printf '%s\n' "$group_57" | "$eval_bin" evaluate)"; rc=$?
check "scored line, with the ceiling its WBGT option reaches" '{"outcome":"Scored","total":57,"display":" 57","document":"Risk Score 56-65 recommendation.rtf","ceiling":"races: cancel level","ceiling_unknown":false}|0' "$out|$rc"

out="$(printf '%s\n' $'\n14\n6\n6\n5\n6\n5\n4\n5\n2\n4\nX' | "$eval_bin" evaluate)"
check "referral" '{"outcome":"MedicalReferral","document":"Medical Conditions.rtf","ceiling":"races: cancel level","ceiling_unknown":false}' "$out"

# Windows line ends: a blank answer stays blank, it is not read as "\r" worth 0 points.
out="$(printf '%s\r\n' "" 14 6 6 5 6 5 4 5 2 "" 0 | "$eval_bin" evaluate)"
check "CR before LF ends the line" '{"outcome":"MissingAnswer","message":"Please add Venue data."}' "$out"

out="$(printf '0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0' | "$eval_bin" evaluate)"   # no final newline
check "zero total has no document, last line unterminated" '{"outcome":"Scored","total":0,"display":" 0","document":null,"ceiling":null,"ceiling_unknown":false}' "$out"
out="$(printf '%s\n' 20 "" 6 6 5 6 5 4 5 2 4 0 | "$eval_bin" evaluate)"
check "air temperature at its top: the ceiling cannot be judged" '{"outcome":"Scored","total":63,"display":" 63","document":"Risk Score 56-65 recommendation.rtf","ceiling":null,"ceiling_unknown":true}' "$out"

out="$(printf '' | "$eval_bin" evaluate)"; rc=$?
check "empty input" "|0" "$out|$rc"

err="$(printf '1\n2\n3\n' | "$eval_bin" evaluate 2>&1 >/dev/null)"; rc=$?
check "partial group refused" "2" "$rc"
[[ "$(wc -l <<<"$err")" == 1 && -n "$err" ]] || { echo "FAIL: partial group message is one line"; fail=1; }

out="$("$eval_bin" outcome Dry_Bulb $'>= 91\xc2\xb0F')"; rc=$?
check "outcome found" "20|0" "$out|$rc"
out="$("$eval_bin" outcome Other 'Shade available during breaks?')"; rc=$?
check "reminder list has no outcome" "|1" "$out|$rc"
"$eval_bin" outcome Humidity x >/dev/null 2>&1; check "unknown key" 2 $?
"$eval_bin" outcome Venue >/dev/null 2>&1; check "missing argument" 2 $?
"$eval_bin" frobnicate >/dev/null 2>&1; check "unknown command" 2 $?
"$eval_bin" >/dev/null 2>&1; check "no command" 2 $?

# A full disk: the output is lost, so the run has failed.
"$eval_bin" catalogue >/dev/full 2>/dev/null; check "orvane-eval on a full disk" 2 $?
"$rtf2text" "$document" >/dev/full 2>/dev/null; check "rtf2text on a full disk" 2 $?

# rtf2text: help and version answer, an unknown option is named, a cut-off file is told apart.
out="$("$rtf2text" --help)"; rc=$?
[[ $rc == 0 && "$out" == usage:* && "$out" == *"3  the file is damaged"* ]] \
    && echo "PASS: rtf2text --help" || { echo "FAIL: rtf2text --help"; echo "$out|$rc"; fail=1; }
out="$("$rtf2text" --version)"; rc=$?
check "rtf2text --version" "rtf2text $version|0" "$out|$rc"
err="$("$rtf2text" --frob "$document" 2>&1 >/dev/null)"; rc=$?
check "rtf2text names an unknown option" "rtf2text: unknown option --frob|2" "$(head -n 1 <<<"$err")|$rc"
# Each way a file is cut off is tst_rtf's; here, what rtf2text makes of one in either mode.
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
printf '%s' '{\rtf1 abc{\b def' >"$work/cut.rtf"
for mode in "" --document; do
    out="$("$rtf2text" $mode "$work/cut.rtf" 2>"$work/err")"; rc=$?
    check "rtf2text $mode on a cut-off file: its text, a warning, status 3" \
        "abcdef|1|3" "$out|$(grep -c 'cut off' "$work/err")|$rc"
done

# --cells parts a row's cells for a reader of the text, as the record's Copy as Text does.
printf '%s' '{\rtf1\trowd\cellx1000\cellx2000\intbl A\cell B\cell\row}' >"$work/row.rtf"
check "rtf2text --document --cells" "A | B" "$("$rtf2text" --document --cells ' | ' "$work/row.rtf" 2>/dev/null)"

# What a limit leaves out is said, with status 3, as for a cut-off file: text nested deeper than
# the reader goes, and a document of more paragraphs than a built document takes (made here, as
# a file of 60,000 empty paragraphs would be a poor thing to keep).
python3 -c 'import sys; sys.stdout.write("{\\rtf1 top" + "{" * 600 + "deep" + "}" * 600 + " end}")' >"$work/deep.rtf"
python3 -c 'import sys; sys.stdout.write("{\\rtf1 " + "x\\par " * 60000 + "}")' >"$work/pars.rtf"
out="$("$rtf2text" "$work/deep.rtf" 2>"$work/err")"; rc=$?
check "rtf2text on text nested too deep" "top end|1|3" "$out|$(grep -c 'nested deeper than 512' "$work/err")|$rc"
"$rtf2text" --document "$work/pars.rtf" >"$work/pars.txt" 2>"$work/err"; rc=$?
lines="$(wc -l <"$work/pars.txt")"
check "rtf2text --document on too many paragraphs" "50000|1|3" "$lines|$(grep -c 'cut after 50000' "$work/err")|$rc"

# wbgt: one line out per line in, member order kept, a refusal names the member; exit 1 if any failed.
ok='{"utc":"2023-07-15T17:08:00Z","lat":38.9,"lon":-77,"air_c":35,"rh":40,"wind_ms":2,"sky":"clear"}'
out="$(printf '%s\r\n\r\n\n%s\r\n' "$ok" "${ok/\"sky\":\"clear\"/\"solar_wm2\":800,\"shade\":true,\"pressure_hpa\":990}" | "$eval_bin" wbgt)"; rc=$?
[[ "$(grep -cE '^\{"wbgt_c":[0-9.]+,"globe_c":[0-9.]+,"natural_wet_bulb_c":[0-9.]+,"psychrometric_wet_bulb_c":[0-9.]+,"cos_zenith":[0-9.]+,"solar_wm2":[0-9.]+\}$' <<<"$out")|$rc" == "2|0" ]] \
    && echo "PASS: wbgt lines, CRLF and blank lines" || { echo "FAIL: wbgt lines, CRLF and blank lines"; echo "$out|$rc"; fail=1; }
bad=("${ok/35/61}" "${ok/,\"rh\":40/}" "${ok/\"sky\":\"clear\"/\"sky\":\"foggy\"}" "${ok/\"sky\"/\"solar_wm2\":500,\"sky\"}"
     "${ok/2023-07-15/2023-02-29}" "${ok/\"wind_ms\":2/\"wind_ms\":\"2\"}" 'not json' '[1]')
out="$(printf '%s\n' "$ok" "${bad[@]}" | "$eval_bin" wbgt | tail -n +2)"
check "wbgt refusals" '{"error":"air_c: must be -40 to 60 '$'\xc2\xb0''C"}
{"error":"rh: missing"}
{"error":"sky: must be \"clear\", \"partly cloudy\" or \"overcast\""}
{"error":"solar_wm2/sky: give exactly one of them"}
{"error":"utc: no such day in that month"}
{"error":"wind_ms: must be a number"}
{"error":"not JSON: illegal value"}
{"error":"not a JSON object"}' "$out"
printf '%s\n' "$ok" "${bad[0]}" | "$eval_bin" wbgt >/dev/null; check "wbgt exit status after a refusal" 1 $?
# --exact gives the rounded line's values to every digit, for comparing another build of the model.
wbgt_of() { sed -E 's/^\{"wbgt_c":(-?[0-9.]+),.*/\1/'; }
exact="$(printf '%s\n' "$ok" | "$eval_bin" wbgt --exact | wbgt_of)"
rounded="$(printf '%s\n' "$ok" | "$eval_bin" wbgt | wbgt_of)"
check "wbgt --exact keeps every digit" "$rounded|yes" \
    "$(printf '%.2f' "$exact")|$([[ "$exact" =~ \.[0-9]{10,}$ ]] && echo yes || echo "no: $exact")"

# An answer comes back while the input is still open: a program can talk to it line by line.
coproc EVAL { "$eval_bin" wbgt; }
printf '%s\n' "$ok" >&"${EVAL[1]}"
answer=""; read -r -t 10 answer <&"${EVAL[0]}"
check "wbgt answers each line as it comes" '{"wbgt_c"' "${answer:0:9}"
exec {EVAL[1]}>&-; wait "$EVAL_PID" 2>/dev/null

# Help, version and options are answered, and an option it does not know is named.
"$eval_bin" --help | grep -q '^Usage: orvane-eval COMMAND'; check "orvane-eval --help" 0 $?
check "orvane-eval --version" "orvane-eval (Solvane Calculator °F) $version" "$("$eval_bin" --version)"
err="$("$eval_bin" evaluate --fast 2>&1 >/dev/null)"; rc=$?
check "an unknown option is named" "2|yes" "$rc|$([[ "$err" == *"unknown option '--fast'"* ]] && echo yes)"

# forecast: an Open-Meteo answer in, a line per hour in member order, a gap named; an answer it
# cannot use is one error line and status 1.
fc='{"latitude":38.9,"longitude":-77,"timezone":"America/New_York","hourly":{"time":[1689444000,1689447600],"temperature_2m":[33,null],"relative_humidity_2m":[50,50],"wind_speed_10m":[3,3],"shortwave_radiation_instant":[700,700],"surface_pressure":[1012,1012]}}'
out="$(printf '%s' "$fc" | "$eval_bin" forecast)"; rc=$?
check "forecast hours" '{"utc":"2023-07-15T18:00:00Z","local":"2023-07-15T14:00","zone":"America/New_York","air_c":33,"rh":50,"wind_10m_ms":3,"wind_2m_ms":2.68,"solar_wm2":700,"pressure_hpa":1012,"wbgt_c":30.51,"wbgt_f":86.92,"option":">= 86'$'\xc2\xb0''F","points":"20","ceiling":"not acclimatized: cancel","time_option":"12 noon to 4 pm"}
{"utc":"2023-07-15T19:00:00Z","local":"2023-07-15T15:00","zone":"America/New_York","error":"no air temperature in the forecast"}|0' "$out|$rc"
# With the other answers, each hour's total as the planner's table gives it, question 8 taken at
# the hour's own time of day (2 pm: "12 noon to 4 pm", 10 points, not the "Before 9 am" given).
answers=(--answer "Duration=60 to 120" --answer "Intensity=Moderate pace throughout"
         --answer "Acclimatization=Used to warm weather conditions" --answer "Ability=Good fitness level"
         --answer "Age=13 to 17" --answer "Drinks=15 to 25" --answer "Time=Before 9 am"
         --answer "Surface=Grass" --answer "Venue=Outdoors" --answer "Medical=None")
out="$(printf '%s' "$fc" | "$eval_bin" forecast "${answers[@]}" | head -n 1 | grep -o '"time_option.*')"
check "forecast with the other answers" '"time_option":"12 noon to 4 pm","total":72,"band":"HIGH RISK (66 to 74)"}' "$out"
printf '%s' "$fc" | "$eval_bin" forecast --answer "Venue=Moon" >/dev/null 2>&1; check "forecast with an option not in the list" 2 $?
out="$(printf '%s' "$fc" | "$eval_bin" forecast --answer "Venue=Outdoors")"; rc=$?
check "forecast with answers missing" '{"error":"Please add Overall Length of Event data."}|1' "$out|$rc"
out="$(printf '%s' "$fc" | "$eval_bin" forecast --urban | grep -o '"wind_2m_ms":[0-9.]*')"
check "forecast --urban" '"wind_2m_ms":2.36' "$out"
out="$(printf '%s' "${fc/,\"surface_pressure\":\[1012,1012\]/}" | "$eval_bin" forecast)"; rc=$?
check "forecast without a series" '{"error":"The forecast has no surface_pressure series."}|1' "$out|$rc"

"$eval_bin" catalogue | grep -q '"key":"Other","label":"12. Other factors: Consider, but no points added.","options":\[{"text":"Shade available during breaks?","outcome":null}' \
    && echo "PASS: catalogue member order and nulls" || { echo "FAIL: catalogue member order and nulls"; fail=1; }

# log: a sample written through the event log itself, read by the driver and Python's CSV reader;
# the driver never writes or creates a file. SQLite's own tool makes a log of a newer format.
db="$work/events.sqlite"
"$log_writer" --write-sample "$db" || { echo "FAIL: sample log not written"; exit 1; }
sum="$(md5sum <"$db")"
out="$("$eval_bin" log --db "$db" events)"; rc=$?
check "log events, newest first" '{"id":2,"name":"=HYPERLINK(\"http://x\")","place":"Oval, \"North\" gate","date":"2026-12-07","entries":4}
{"id":1,"name":"Earlier day","place":"Oval","date":"2026-12-06","entries":0}|0' "$out|$rc"
"$eval_bin" log --db "$db" export-csv 2 >"$work/day.csv"; rc=$?
python3 - "$work/day.csv" <<'PY' && check "CSV read back" 0 "$rc" || check "CSV read back" "fields as written" "see above"
import csv, re, sys
raw = open(sys.argv[1], 'rb').read()
assert raw.count(b'\r\n') == 5 and b'"two\nlines"' in raw, 'CRLF ends rows, a note keeps its own'
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))
head, body = rows[0], [dict(zip(rows[0], row)) for row in rows[1:]]
assert len(body) == 4 and all(len(row) == len(head) for row in rows)
assert not [f for row in rows for f in row if f and f[0] in '=+-@'], 'a field a spreadsheet would run'
first, struck, referral, rose = body
wbgt = '1. Wet Bulb Globe Temperature'
assert (first['Event'], first['Place']) == ("'=HYPERLINK(\"http://x\")", 'Oval, "North" gate')
assert (first['Time'], first['Time zone']) == ('2026-12-07T09:00:00+10:30', 'Australia/Adelaide')
assert (first[wbgt], first[wbgt + ': points'], first['Total'], first['Band']) == \
    ('73-81.9', '10', '53', '55 and below')
assert (first['Note'], first['Decision'], first['Struck out']) == ('two\nlines', "'-extra drinks", 'no')
assert (struck['Note'], struck['Struck out'], struck['Reason struck out']) == ("'@mistake", 'yes', "'=wrong event")
assert re.fullmatch(r'\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d', struck['Time struck out'])
assert (referral['Medical referral'], referral['Total'],
        referral["11. Athletes' Other Risky Medical Conditions*: points"]) == ('yes', '', 'X')
assert [row['Band rose'] for row in body] == ['no', 'no', 'no', 'yes'], 'the struck-out entry is passed over'
assert 'Dry_Bulb' not in ','.join(head) and 'WBGT °F' in head, 'names a person reads'
PY
check "the driver leaves the file as it was" "$sum" "$(md5sum <"$db")"
out="$("$eval_bin" log --db "$work/none.sqlite" events 2>&1)"; rc=$?
check "no log: refused, not created" "1|orvane-eval: There is no event log at \"$work/none.sqlite\".|absent" \
    "$rc|$out|$([[ -e "$work/none.sqlite" ]] && echo present || echo absent)"
cp "$db" "$work/newer.sqlite" && sqlite3 "$work/newer.sqlite" 'PRAGMA user_version = 3'
"$eval_bin" log --db "$work/newer.sqlite" events 2>&1 | grep -q 'newer version'; check "a newer format refused" "1|0" "${PIPESTATUS[0]}|${PIPESTATUS[1]}"
"$eval_bin" log --db "$db" export-csv 9 >/dev/null 2>&1; check "no such event" 1 $?
# import-csv: a file that is no day's CSV is refused with its line, and the log is left as it was
# (the round trip of a whole day is tst_eventlog's).
sum="$(md5sum <"$db")"
printf 'Event,Place
x,y
' >"$work/not-a-day.csv"
err="$("$eval_bin" log --db "$db" import-csv "$work/not-a-day.csv" 2>&1)"; rc=$?
check "import-csv of a CSV that is no day's" "1|yes|$sum" "$rc|$([[ "$err" == *'line 1: this is not an event log'*'Nothing was imported.' ]] && echo yes)|$(md5sum <"$db")"
"$eval_bin" log --db "$db" import-csv "$work" >/dev/null 2>&1; check "import-csv of a folder" 1 $?
"$eval_bin" log events >/dev/null 2>&1; check "log without --db" 2 $?
exit $fail
