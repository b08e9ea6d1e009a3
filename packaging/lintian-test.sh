#!/usr/bin/env bash
# Builds the .deb and holds it to Debian's own checker: no error and no warning, and its manual
# page to groff's warnings. (No override is needed; one would sit beside its reason here.)
# Usage: lintian-test.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >/dev/null) || { echo "FAIL: cpack could not build the package"; exit 1; }
deb="$(ls "$work"/*.deb)"
# Lintian refuses to run as root unless told that this is meant.
report="$(lintian --allow-root --tag-display-limit 0 "$deb" 2>&1 || true)"
echo "$report"
if grep -qE '^[EW]: ' <<<"$report"; then
    echo "FAIL: lintian reports errors or warnings for $(basename "$deb")"
    exit 1
fi
echo "PASS: lintian accepts $(basename "$deb")"
# The manual page as man shows it, with every warning groff has.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/OrvaneCalculatorF.1.gz | gzip -d >"$work/page.1"
warnings="$(groff -ww -man -Tutf8 "$work/page.1" 2>&1 >/dev/null)"
[[ -z "$warnings" ]] || { echo "FAIL: the manual page has warnings: $warnings"; exit 1; }
echo "PASS: the manual page formats without warnings"
