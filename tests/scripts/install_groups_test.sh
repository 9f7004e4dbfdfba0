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

# An install never removes a package: on this machine's packages with the older PipeWire session
# manager in place of WirePlumber (which the test group needs and which conflicts with it), a
# simulated install is refused, naming the conflict.
fake="$(mktemp -d)"
trap 'rm -rf "$fake"' EXIT
awk -v RS= -v ORS='\n\n' '!/^Package: wireplumber\n/' /var/lib/dpkg/status > "$fake/status"
printf '%s\n' 'Package: pipewire-media-session' 'Status: install ok installed' 'Version: 0.4.2-3' \
    'Architecture: amd64' 'Conflicts: wireplumber' 'Description: x' '' >> "$fake/status"
echo "Dir::State::status \"$fake/status\";" > "$fake/apt.conf"
if output="$(DPKG_ADMINDIR="$fake" APT_CONFIG="$fake/apt.conf" "$1" --dry-run test 2>&1)" ||
    ! grep -q "wireplumber conflicts with the installed pipewire-media-session" <<< "$output"; then
    echo "an install that removes a package was not refused: $output"
    exit 1
fi
