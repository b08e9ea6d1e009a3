#!/usr/bin/env bash
# Configures and builds one CMake preset (default: "default"). Installs nothing: run.sh and
# test.sh see to the Debian packages first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
preset="${1:-default}"
cd "$root"
[[ -f "build/$preset/build.ninja" ]] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
