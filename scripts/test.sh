#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the test suite of one preset.
# Usage: scripts/test.sh [dev|release|asan|tsan] [extra ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-dev}"
shift || true

scripts/install-deps.sh test
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
