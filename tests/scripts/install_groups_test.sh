#!/usr/bin/env bash
# scripts/run.sh installs the run group: nothing in it may serve only tests, lint or packaging,
# nor be a sound server or compositor daemon, which would start at every user's login.
set -euo pipefail
run_group="$("$1" --list run)"
if grep -Ex '(pulseaudio|pipewire.*|wireplumber|weston|xvfb|xauth|xdotool|xfce4-.*|x11-.*|qt6ct'\
'|imagemagick|python3.*|dbus-daemon|openssl|lib(gtest|gmock|benchmark)-dev|clang.*|libclang-.*'\
'|lintian|dpkg-dev|desktop-file-utils|appstream)' <<< "$run_group"; then
    echo "the run group holds these packages, which only tests, lint or packaging need"
    exit 1
fi
