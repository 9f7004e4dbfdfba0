#!/usr/bin/env bash
# Draws the windows in their main states, light and dark, and the tray icon of a running Tonvera
# with its menu in a real panel, light and dark, into docs/screenshots/ on a private X server.
# Usage: scripts/screenshots.sh [name filter, e.g. settings-devices]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh screenshots
cmake --preset dev >/dev/null
cmake --build build/dev --target tonvera_screenshots tonvera

# A fixed screen and resolution, so the pictures do not depend on the machine they come from.
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    env QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= QT_SCALE_FACTOR=1 \
    build/dev/tools/tonvera_screenshots docs/screenshots "$@"

# The tray icon in a real panel (xfce4-panel) and the menu a click on it opens, light and dark.
if [[ "tray-panel-light tray-panel-dark menu-dark" == *"${1:-}"* ]]; then
    /usr/bin/python3 tests/integration/desktop/panel_screenshots.py build/dev/src/tonvera \
        docs/screenshots
    echo "wrote docs/screenshots/tray-panel-{light,dark}.png and docs/screenshots/menu{,-dark}.png"
fi
