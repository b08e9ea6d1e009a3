#!/usr/bin/env bash
# Installs missing packages, then configures and builds one CMake preset (default: "default").
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
preset="${1:-default}"
"$root/tools/setup.sh"
cd "$root"
[[ -f "build/$preset/build.ninja" ]] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
