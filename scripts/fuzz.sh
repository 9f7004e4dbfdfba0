#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 20) from the
# committed seeds. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in manifest:manifest_fuzzer versions:is_newer_fuzzer; do
    seeds="${target%%:*}"
    fuzzer="${target##*:}"
    mkdir -p "$work/$seeds"
    echo "=== ${fuzzer} for ${seconds}s"
    "build/fuzz/tests/fuzz/${fuzzer}" -max_total_time="$seconds" -print_final_stats=1 \
        "$work/$seeds" "tests/fuzz/seeds/$seeds" 2>&1 | grep -E '^(#[0-9]+ +DONE|Done|stat::number_of_executed_units|==[0-9]+==ERROR)' || true
    # libFuzzer exits non-zero on a finding; pipefail would hide it behind grep, so check again.
    test "${PIPESTATUS[0]}" -eq 0
done
