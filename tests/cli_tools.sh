#!/usr/bin/env bash
# The command-line tools' fixed interface: exit codes, one JSON line per group, refusals, and
# output that could not be written. Usage: cli_tools.sh ORVANE_EVAL RTF2TEXT RTF_DOCUMENT
set -u
eval_bin="$1" rtf2text="$2" document="$3"
fail=0
check() { # name, expected, actual
    if [[ "$2" == "$3" ]]; then echo "PASS: $1"; else echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; fail=1; fi
}

group_57=$'\n14\n6\n6\n5\n6\n5\n4\n5\n2\n4\n0'   # WBGT 14 ... totals 57
out="$(printf '%s\n' "$group_57" | "$eval_bin" evaluate)"; rc=$?
check "scored line" '{"outcome":"Scored","total":57,"display":" 57","document":"Risk Score 56-65 recommendation.rtf"}|0' "$out|$rc"

out="$(printf '\n\n\n\n\n\n\n\n\n\n\n\n' | "$eval_bin" evaluate)"
check "missing temperature" '{"outcome":"MissingAnswer","message":"Please add Temperature data."}' "$out"

out="$(printf '%s\n' $'\n14\n6\n6\n5\n6\n5\n4\n5\n2\n4\nX' | "$eval_bin" evaluate)"
check "referral" '{"outcome":"MedicalReferral","document":"Medical Conditions.rtf"}' "$out"

# Windows line ends: a blank answer stays blank, it is not read as "\r" worth 0 points.
out="$(printf '%s\r\n' "" 14 6 6 5 6 5 4 5 2 "" 0 | "$eval_bin" evaluate)"
check "CR before LF ends the line" '{"outcome":"MissingAnswer","message":"Please add Venue data."}' "$out"

out="$(printf '0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0' | "$eval_bin" evaluate)"   # no final newline
check "zero total has no document, last line unterminated" '{"outcome":"Scored","total":0,"display":" 0","document":null}' "$out"

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

# wbgt: one line out per line in, member order kept, a refusal names the member; exit 1 if any failed.
ok='{"utc":"2023-07-15T17:08:00Z","lat":38.9,"lon":-77,"air_c":35,"rh":40,"wind_ms":2,"sky":"clear"}'
out="$(printf '%s\r\n\r\n\n%s\r\n' "$ok" "${ok/\"sky\":\"clear\"/\"solar_wm2\":800,\"shade\":true,\"pressure_hpa\":990}" | "$eval_bin" wbgt)"; rc=$?
[[ "$(grep -cE '^\{"wbgt_c":[0-9.]+,"globe_c":[0-9.]+,"natural_wet_bulb_c":[0-9.]+,"psychrometric_wet_bulb_c":[0-9.]+,"cos_zenith":[0-9.]+,"solar_wm2":[0-9.]+\}$' <<<"$out")|$rc" == "2|0" ]] \
    && echo "PASS: wbgt lines, CRLF and blank lines" || { echo "FAIL: wbgt lines, CRLF and blank lines"; echo "$out|$rc"; fail=1; }
bad=("${ok/35/61}" "${ok/,\"rh\":40/}" "${ok/\"sky\":\"clear\"/\"sky\":\"foggy\"}" "${ok/\"sky\"/\"solar_wm2\":500,\"sky\"}"
     "${ok/2023-07-15/2023-02-29}" "${ok/\"wind_ms\":2/\"wind_ms\":\"2\"}" "${ok/\"lat\"/\"latitude\"}" 'not json' '[1]')
out="$(printf '%s\n' "$ok" "${bad[@]}" | "$eval_bin" wbgt | tail -n +2)"
check "wbgt refusals" '{"error":"air_c: must be -40 to 60 '$'\xc2\xb0''C"}
{"error":"rh: missing"}
{"error":"sky: must be \"clear\", \"partly cloudy\" or \"overcast\""}
{"error":"solar_wm2/sky: give exactly one of them"}
{"error":"utc: no such day in that month"}
{"error":"wind_ms: must be a number"}
{"error":"lat: missing"}
{"error":"not JSON: illegal value"}
{"error":"not a JSON object"}' "$out"
printf '%s\n' "$ok" "${bad[0]}" | "$eval_bin" wbgt >/dev/null; check "wbgt exit status after a refusal" 1 $?
"$eval_bin" wbgt extra </dev/null >/dev/null 2>&1; check "wbgt takes no arguments" 2 $?

# forecast: an Open-Meteo answer in, a line per hour in member order, a gap named; an answer it
# cannot use is one error line and status 1.
fc='{"latitude":38.9,"longitude":-77,"timezone":"America/New_York","hourly":{"time":[1689444000,1689447600],"temperature_2m":[33,null],"relative_humidity_2m":[50,50],"wind_speed_10m":[3,3],"shortwave_radiation_instant":[700,700],"surface_pressure":[1012,1012]}}'
out="$(printf '%s' "$fc" | "$eval_bin" forecast)"; rc=$?
check "forecast hours" '{"utc":"2023-07-15T18:00:00Z","air_c":33,"rh":50,"wind_10m_ms":3,"wind_2m_ms":2.68,"solar_wm2":700,"pressure_hpa":1012,"wbgt_c":30.51,"wbgt_f":86.92,"option":">= 86'$'\xc2\xb0''F","points":"20"}
{"utc":"2023-07-15T19:00:00Z","error":"no air temperature in the forecast"}|0' "$out|$rc"
out="$(printf '%s' "$fc" | "$eval_bin" forecast --urban | grep -o '"wind_2m_ms":[0-9.]*')"
check "forecast --urban" '"wind_2m_ms":2.36' "$out"
out="$(printf '%s' "${fc/,\"surface_pressure\":\[1012,1012\]/}" | "$eval_bin" forecast)"; rc=$?
check "forecast without a series" '{"error":"The forecast has no surface_pressure series."}|1' "$out|$rc"
"$eval_bin" forecast --rural </dev/null >/dev/null 2>&1; check "forecast takes only --urban" 2 $?

count="$("$eval_bin" catalogue | grep -o '"key":' | wc -l)"
check "catalogue lists thirteen questions" 13 "$count"
"$eval_bin" catalogue | grep -q '"key":"Other","label":"12. Other factors: Consider, but no points added.","options":\[{"text":"Shade available during breaks?","outcome":null}' \
    && echo "PASS: catalogue member order and nulls" || { echo "FAIL: catalogue member order and nulls"; fail=1; }
exit $fail
