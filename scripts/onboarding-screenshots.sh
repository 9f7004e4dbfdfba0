#!/usr/bin/env bash
# Renders every state of the onboarding window, light and dark, into docs/screenshots/ on a
# private X server.
# Usage: scripts/onboarding-screenshots.sh [preset]   (default: dev)
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-dev}"

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build "build/$preset" --target tonvera_onboarding_screenshots
rm -f docs/screenshots/onboarding-*.png
xvfb-run -a -s "-screen 0 1280x1024x24" "build/$preset/tests/tonvera_onboarding_screenshots" docs/screenshots
