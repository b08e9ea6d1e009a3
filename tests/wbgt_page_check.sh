#!/usr/bin/env bash
# The shipped page of estimated WBGT is exactly what the generator writes, and a few of its cells
# hold what the published formula gives when worked by hand, dashes included.
set -euo pipefail
generator="$1" page="$2"
diff <("$generator") "$page" >/dev/null || { echo "FAIL: page differs from make-wbgt-page output"; exit 1; }

fail=0
cell() { # air temperature row, humidity column (10..100), expected cell
    local got
    got="$(grep -o "^<tr><th>$1</th>.*" "$page" | grep -o '<td[^<]*</td>' | sed -n "$(($2 / 10))p")"
    [[ "$got" == "$3" ]] || { echo "FAIL: $1 F, $2 %: $got, expected $3"; fail=1; }
}
# 70 F = 21.111 C; e = 0.1 * 6.105 * exp(17.27 * 21.111 / 258.811) = 2.497 hPa;
# WBGT = 0.567 * 21.111 + 0.393 * 2.497 + 3.94 = 16.891 C = 62.40 F: below 73, the first option.
cell 70 10 '<td class="low">62.4</td>'
# 74 F = 23.333 C; e = 14.321 hPa; WBGT = 22.798 C = 73.04 F: just into "73-81.9".
cell 74 50 '<td class="moderate">73.0</td>'
# 90 F = 32.222 C; e = 23.988 hPa; WBGT = 31.637 C = 88.95 F, shown 88.9.
cell 90 50 '<td class="extreme">88.9</td>'
# 110 F = 43.333 C at 60 %: e = 52.516 hPa, dew point 33.8 C, below the 35 C record: shown.
cell 110 60 '<td class="extreme">120.5</td>'
# At 70 % the dew point is 36.6 C, and at 100 % it is the air temperature: 96 F = 35.6 C is
# above the record, 94 F = 34.4 C is not.
cell 110 70 '<td class="none">&ndash;</td>'
cell 96 100 '<td class="none">&ndash;</td>'
cell 94 100 '<td class="extreme">112.7</td>'
[[ "$(grep -c '^<tr><th>[0-9]*</th>' "$page")" == 21 ]] || { echo "FAIL: not 21 rows"; fail=1; }
if grep -q 'src=\|href=\|url(' "$page"; then echo "FAIL: the page refers to outside resources"; fail=1; fi
[[ $fail == 0 ]] && echo "PASS: page matches its generator and the hand-worked cells"
exit $fail
