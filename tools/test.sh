#!/usr/bin/env bash
# Builds and runs every test twice: in the normal build, and in a clang build with
# AddressSanitizer and UndefinedBehaviorSanitizer that also fuzzes the RTF reader for a while.
# Then the web edition's tests (tools/test-web.sh), and clang-tidy. Installs missing Debian
# packages first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/tools/setup.sh"
status=0
for preset in default asan; do
    echo "== $preset build"
    "$root/tools/build.sh" "$preset"
    # The package built by the default tests installs the web edition when it is built.
    [[ "$preset" != default ]] || "$root/tools/build-web.sh"
    echo "== $preset tests"
    ctest --preset "$preset" --parallel 2 || status=1
done
echo "== web edition"
"$root/tools/test-web.sh" || status=1
echo "== static checks"
"$root/tools/tidy.sh" "$root/build/default" || status=1
exit $status
