#!/usr/bin/env bash
# The command-line tools' fixed interface: exit codes, one JSON line per group, refusals, and
# output that could not be written. Usage: cli_tools.sh ORVANE_EVAL RTF2TEXT RTF_DOCUMENT VERSION
set -u
eval_bin="$1" rtf2text="$2" document="$3" version="$4"
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

# rtf2text: help and version answer, an unknown option is named, a cut-off file is told apart.
out="$("$rtf2text" --help)"; rc=$?
[[ $rc == 0 && "$out" == usage:* && "$out" == *"3  the file is damaged"* ]] \
    && echo "PASS: rtf2text --help" || { echo "FAIL: rtf2text --help"; echo "$out|$rc"; fail=1; }
out="$("$rtf2text" --version)"; rc=$?
check "rtf2text --version" "rtf2text $version|0" "$out|$rc"
err="$("$rtf2text" --frob "$document" 2>&1 >/dev/null)"; rc=$?
check "rtf2text names an unknown option" "rtf2text: unknown option --frob|2" "$(head -n 1 <<<"$err")|$rc"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
printf '%s' '{\rtf1 abc{\b def' >"$scratch/unbalanced.rtf"
printf '%s' '{\rtf1 abc{\pict\pngblip\bin99 def}}' >"$scratch/binary-cut.rtf"
for mode in "" --document; do
    for name in unbalanced binary-cut; do
        out="$("$rtf2text" $mode "$scratch/$name.rtf" 2>"$scratch/err")"; rc=$?
        check "rtf2text $mode on a cut-off file ($name): its text, a warning, status 3" \
            "abc|1|3" "${out%def}|$(grep -c 'cut off' "$scratch/err")|$rc"
    done
done

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

count="$("$eval_bin" catalogue | grep -o '"key":' | wc -l)"
check "catalogue lists thirteen questions" 13 "$count"
"$eval_bin" catalogue | grep -q '"key":"Other","label":"12. Other factors: Consider, but no points added.","options":\[{"text":"Shade available during breaks?","outcome":null}' \
    && echo "PASS: catalogue member order and nulls" || { echo "FAIL: catalogue member order and nulls"; fail=1; }
exit $fail
