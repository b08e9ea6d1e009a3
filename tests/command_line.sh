#!/usr/bin/env bash
# The program's options on a terminal without a display: help, version, and a clear refusal.
# Usage: command_line.sh PROGRAM VERSION
set -uo pipefail
program="$1" version="$2"
fail=0
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }
check() { # name, expected, actual
    if [[ "$2" == "$3" ]]; then echo "PASS: $1"; else echo "FAIL: $1: expected [$2], got [$3]"; fail=1; fi
}
out="$(run --help 2>&1)"; rc=$?
check "--help shows the usage" "0|Usage: OrvaneCalculatorF [--help] [--version] [--log FILE]" "$rc|$(head -1 <<<"$out")"
out="$(run -v 2>&1)"; rc=$?
check "-v shows the version" "0|OrvaneCalculatorF (Solvane Calculator $(printf '\xc2\xb0')F) $version" "$rc|$out"
out="$(run --frobnicate 2>&1)"; rc=$?
check "an unknown option is refused with status 2 and named" "2|OrvaneCalculatorF: Unknown option 'frobnicate'." "$rc|$(head -1 <<<"$out")"
out="$(run -platformpluginpath /nowhere -qmljsdebugger=port:4000 -style Fusion -reverse --version 2>&1)"; rc=$?
check "Qt's own options pass" "0|OrvaneCalculatorF" "$rc|${out%% *}"
out="$(run stray 2>&1)"; rc=$?
check "a stray argument is refused too" "2|OrvaneCalculatorF: Unexpected argument 'stray'." "$rc|$(head -1 <<<"$out")"
log="$(mktemp -u)"
out="$(run --log "$log" --version 2>&1)"; rc=$?
check "--log takes a file and opens nothing at start" "0|OrvaneCalculatorF|absent" "$rc|${out%% *}|$([[ -e "$log" ]] && echo present || echo absent)"
out="$(run --log "" 2>&1)"; rc=$?
check "--log needs a name" "2|OrvaneCalculatorF: --log needs a file name." "$rc|$(head -1 <<<"$out")"
exit $fail
