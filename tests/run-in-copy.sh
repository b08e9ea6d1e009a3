#!/usr/bin/env bash
# Runs a test program from a scratch folder holding a copy of it, of the documents and of the
# network module that lie beside the built program, so a test may add, change or remove documents "beside the program"
# without touching the build's bin/, and tests can run side by side.
# Usage: run-in-copy.sh TEST_PROGRAM BIN_DIR [ARGS...]
set -euo pipefail
program="$1" bin="$2"
shift 2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/"
cp "$bin"/*.rtf "$bin"/*.htm "$work/"
# Only what asks for a forecast needs the module; a test built on its own may run without it.
if [[ -d "$bin/modules" ]]; then cp -r "$bin/modules" "$work/"; fi
"$work/$(basename "$program")" "$@"
