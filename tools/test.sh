#!/usr/bin/env bash
# Builds and runs every test. Installs missing Debian packages first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/build.sh" default
cd "$root"
ctest --preset default
