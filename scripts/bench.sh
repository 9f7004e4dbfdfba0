#!/usr/bin/env bash
# Builds the release preset and runs every benchmark in one go, so the figures in
# docs/performance.md come from one machine state. Usage: scripts/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
cmake --preset release >/dev/null
cmake --build --preset release

echo "=== native selector against the scripted Sound menu"
build/release/bench/native_selector_bench --benchmark_min_time=0.5
echo "=== process launcher: one run of /bin/true"
build/release/bench/process_launcher_bench
echo "=== native selector against a real PulseAudio server"
build/release/bench/pulse_select_bench
echo "=== one settings write (fsync included)"
build/release/bench/settings_write_bench
echo "=== the application beside a bare Qt tray application (takes about three minutes)"
build/release/bench/app_footprint_bench
echo "=== the speaker appearing under a new name until it is the default (PulseAudio, PipeWire)"
build/release/bench/follow_speaker_bench
echo "=== a minute of idling with following the speaker on and off (takes about five minutes)"
build/release/bench/follow_idle_bench
echo "=== tonvera --list-outputs beside pactl list short sinks"
build/release/bench/list_outputs_bench
