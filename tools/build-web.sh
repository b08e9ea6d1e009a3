#!/usr/bin/env bash
# Builds the web edition into build/web: the risk core compiled to WebAssembly by Debian's
# emscripten (into build/web-wasm), the guidance documents converted by the desktop's own
# rtf2text (built in build/default first), the page, its icons, manifest and service worker.
# Installs nothing: run.sh --web and test.sh see to the packages first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# Debian's emscripten runs its JavaScript tools with whatever node is on the PATH and expects
# Debian's node modules (acorn) where Debian's own node finds them; another build of node, such
# as the NodeSource one, needs to be told.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"

version="$(sed -nE 's/^project\(OrvaneCalculatorF VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)"
[[ -n "$version" ]] || { echo "build-web: no version in CMakeLists.txt" >&2; exit 1; }

# The documents' converter: the desktop's reader, so both editions show the same text.
[[ -f build/default/build.ninja ]] || cmake --preset default >/dev/null
cmake --build build/default --target rtf2text

[[ -f build/web-wasm/build.ninja ]] ||
    emcmake cmake -S web -B build/web-wasm -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/web-wasm

node web/scripts/assemble.mjs "$root" "$root/build/web" "$root/build/web-wasm" \
    "$root/build/default/bin/rtf2text" "$version"
