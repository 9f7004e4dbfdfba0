#!/usr/bin/env bash
# scripts/run.sh installs the run group: it must hold nothing that only tests, lint or the
# Debian package need, and no sound server or compositor daemon, which would start for every
# user at login. The test group must hold the servers the desktop tests start.
# Usage: install_groups_test.sh <path to scripts/install-deps.sh>
set -euo pipefail
deps="$1"
not_for_running='^(pulseaudio|pipewire.*|wireplumber|weston|xvfb|xauth|xdotool|xfce4-.*|x11-.*'
not_for_running+='|imagemagick|python3.*|dbus-daemon|openssl|lib(gtest|gmock|benchmark)-dev'
not_for_running+='|clang.*|libclang-rt-.*|lintian|dpkg-dev|desktop-file-utils|appstream)$'
run_group="$("$deps" --list run)"
status=0
if found="$(grep -E "$not_for_running" <<< "$run_group")"; then
    echo "the run group holds packages only tests, lint or packaging need:" $found
    status=1
fi
test_group="$("$deps" --list test)"
for server in pulseaudio pulseaudio-utils pipewire wireplumber pipewire-pulse weston qt6-wayland \
    xvfb; do
    grep -qx "$server" <<< "$test_group" || { echo "the test group lacks $server"; status=1; }
done
exit "$status"
