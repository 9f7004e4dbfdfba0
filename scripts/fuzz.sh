#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 20) from the
# committed seeds. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in manifest:manifest_fuzzer versions:is_newer_fuzzer; do
    seeds="${target%%:*}"
    fuzzer="${target##*:}"
    mkdir -p "$work/$seeds"
    echo "=== ${fuzzer} for ${seconds}s"
    status=0
    "build/fuzz/tests/fuzz/${fuzzer}" -max_total_time="$seconds" -print_final_stats=1 \
        "$work/$seeds" "tests/fuzz/seeds/$seeds" > "$work/${fuzzer}.log" 2>&1 || status=$?
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/${fuzzer}.log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$work/${fuzzer}.log"
        echo "${fuzzer} found a problem (exit ${status})"
        exit "$status"
    fi
done
