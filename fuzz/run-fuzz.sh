#!/usr/bin/env bash
# run-fuzz.sh FUZZER CORPUS SECONDS: fuzz from a copy of the corpus for a bounded time. An input
# that fails is kept in the folder the run started from, since the copy is removed at the end.
set -euo pipefail
fuzzer="$1" corpus="$2" seconds="$3"
here="$(pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$corpus"/* "$work/"
cd "$work"
"$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$here/" "$work" 2>&1 | tail -n 12
