#!/usr/bin/env bash
# The shipped page of estimated WBGT must be exactly what the generator writes, and its numbers
# must match the formula, recomputed here independently.
set -euo pipefail
generator="$1" page="$2"
diff <("$generator") "$page" >/dev/null || { echo "FAIL: page differs from make-wbgt-page output"; exit 1; }
awk '
function wbgt(f, rh,   ta, e) { ta = (f - 32) * 5 / 9; e = rh / 100 * 6.105 * exp(17.27 * ta / (237.7 + ta)); return (0.567 * ta + 0.393 * e + 3.94) * 9 / 5 + 32 }
/^<tr><th>[0-9]+<\/th>/ {
    match($0, /<th>[0-9]+</); air = substr($0, RSTART + 4, RLENGTH - 5)
    n = split($0, cells, "<td class=\"")
    if (n != 11) { print "FAIL: row " air " has " n - 1 " cells"; bad = 1 }
    for (i = 2; i <= n; i++) {
        split(cells[i], parts, "\">"); cls = parts[1]; val = parts[2] + 0
        want = sprintf("%.1f", wbgt(air, (i - 1) * 10)) + 0
        band = want < 73 ? "low" : want < 82 ? "moderate" : want < 86 ? "high" : "extreme"
        if (val != want || cls != band) { print "FAIL: " air "F " (i - 1) * 10 "%: " val " " cls ", expected " want " " band; bad = 1 }
        count++
    }
    rows++
}
END { if (rows != 21 || count != 210) { print "FAIL: " rows " rows, " count " cells"; bad = 1 }
      if (!bad) print "PASS: " count " cells recomputed"; exit bad }' "$page"
grep -q 'src=\|href=\|url(' "$page" && { echo "FAIL: the page refers to outside resources"; exit 1; }
exit 0
