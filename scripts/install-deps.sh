#!/usr/bin/env bash
# The one list of the Debian packages Tonvera needs, grouped by what they are for, and their
# installation. Safe to run again: it only touches apt when something is missing.
#
# Usage: scripts/install-deps.sh [GROUP...]           installs the groups (default: all)
#        scripts/install-deps.sh --list GROUP...      prints their packages, installs nothing
#        scripts/install-deps.sh --dry-run GROUP...   says what installing would do, changes nothing
#
#   run           build and run the application (scripts/run.sh)
#   sound-server  a PulseAudio daemon (run.sh, only where no sound server answers)
#   display       a private X server (run.sh, only where no display exists)
#   bus           a private D-Bus daemon (run.sh, only where no session or system bus runs)
#   test          run + what the test suite starts and drives (scripts/test.sh, bench.sh)
#   screenshots   test + a real panel for the tray, qt6ct for a dark Qt (scripts/screenshots.sh)
#   lint          test + the formatter and clang-tidy (scripts/lint.sh)
#   fuzz          run + clang with libFuzzer (scripts/fuzz.sh)
#   package       run + the Debian package's tools and checker (scripts/package.sh)
#   all           everything above
#
# Installing never removes a package: where one of ours conflicts with an installed one (the
# test group's WirePlumber with the older pipewire-media-session, say), nothing is installed
# and the conflict is named. Nor does it enable a daemon for every user: the global user-unit
# links that a package's installation creates (PulseAudio's and PipeWire's postinst do) are
# removed again, so a desktop keeps the sound stack it had at the next login. Links that were
# there before stay as they were.
set -euo pipefail

# Building and running: the toolchain, the libraries, Qt 6 and the icon renderer that the
# configure step needs, and pactl, with which run.sh asks whether a sound server answers; pactl
# and jq are also what the second selection route runs (PipeWire desktops bring wpctl).
run_packages=(
    build-essential cmake ninja-build pkg-config ccache
    libfmt-dev nlohmann-json3-dev libutf8proc-dev
    libsystemd-dev libcurl4-openssl-dev ca-certificates libpulse-dev pulseaudio-utils jq
    libxcb1-dev libx11-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins qt6-wayland qt6-l10n-tools
    qt6-tools-dev qt6-tools-dev-tools libgl-dev librsvg2-bin
)
sound_server_packages=(pulseaudio)
display_packages=(xvfb)
bus_packages=(dbus-daemon)
test_packages=(
    # the unit tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # a private session bus, an HTTPS server with a fresh certificate, private sound servers
    dbus-daemon dbus-bin python3 openssl pulseaudio pipewire wireplumber pipewire-pulse
    # windows and the tray on a private X server or Wayland compositor, with a font to draw
    # them; the tray test plays a panel on the private bus
    xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick fonts-dejavu-core weston
    python3-dbus python3-gi
    # a mock login manager and Bluetooth service on a private system bus
    python3-dbusmock
    # the launcher's and metainfo's validators
    desktop-file-utils appstream
)
screenshots_packages=(xfce4-panel qt6ct)
lint_packages=(clang-format clang-tidy)
fuzz_packages=(clang libclang-rt-14-dev)
package_packages=(dpkg-dev lintian)

packages_of() {
    case "$1" in
        run) echo "${run_packages[@]}" ;;
        sound-server) echo "${sound_server_packages[@]}" ;;
        display) echo "${display_packages[@]}" ;;
        bus) echo "${bus_packages[@]}" ;;
        test) echo "${run_packages[@]} ${test_packages[@]}" ;;
        screenshots) echo "$(packages_of test) ${screenshots_packages[@]}" ;;
        lint) echo "$(packages_of test) ${lint_packages[@]}" ;;
        fuzz) echo "${run_packages[@]} ${fuzz_packages[@]}" ;;
        package) echo "${run_packages[@]} ${package_packages[@]}" ;;
        all) echo "$(packages_of screenshots) ${lint_packages[@]} ${fuzz_packages[@]}" \
            "${package_packages[@]}" ;;
        *) echo "install-deps: unknown group '$1'" >&2; return 1 ;;
    esac
}

list_only=false
dry_run=false
case "${1:-}" in
    --list) list_only=true; shift ;;
    --dry-run) dry_run=true; shift ;;
esac
[ "$#" -gt 0 ] || set -- all
packages=()
for group in "$@"; do
    listed="$(packages_of "$group")"
    read -r -a members <<< "$listed"
    packages+=("${members[@]}")
done
# Each package once, in the order first named.
read -r -a packages <<< "$(printf '%s\n' "${packages[@]}" | awk '!seen[$0]++' | tr '\n' ' ')"
if $list_only; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
$dry_run || "${sudo[@]}" apt-get update -qq

# The packages installing would remove, as apt plans it.
removed="$(apt-get --simulate install --no-install-recommends "${missing[@]}" \
    | sed -n 's/^Remv \([^ ]*\).*/\1/p')"
if [ -n "$removed" ]; then
    for package in $removed; do
        conflicting=()
        for wanted in "${missing[@]}"; do
            if apt-cache show --no-all-versions "$wanted" 2>/dev/null \
                    | grep -E '^(Conflicts|Breaks):' | grep -qw -- "$package"; then
                conflicting+=("$wanted")
            fi
        done
        if [ "${#conflicting[@]}" -gt 0 ]; then
            echo "install-deps: ${conflicting[*]} conflicts with the installed $package;" \
                "installing would remove $package" >&2
        else
            echo "install-deps: installing ${missing[*]} would remove the installed $package" >&2
        fi
    done
    echo "install-deps: nothing was installed: this script never removes a package. Replace" \
        "it yourself if you mean to (apt install), or use another machine." >&2
    exit 1
fi
if $dry_run; then
    echo "install-deps: would install ${missing[*]}"
    exit 0
fi

# The user units enabled for every user, as "unit" lines, from the links in the .wants folders.
global_user_units() {
    { find /etc/systemd/user -mindepth 2 -maxdepth 2 -path '*.wants/*' -printf '%f\n' 2>/dev/null \
        || true; } | sort -u
}

before="$(global_user_units)"
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-remove \
    --no-install-recommends "${missing[@]}"

mapfile -t enabled < <(comm -13 <(echo "$before") <(global_user_units) | grep -v '^$' || true)
if [ "${#enabled[@]}" -gt 0 ]; then
    echo "install-deps: the install enabled ${enabled[*]} for every user; disabling them again"
    if command -v systemctl >/dev/null; then
        "${sudo[@]}" systemctl --global disable "${enabled[@]}"
    else
        for unit in "${enabled[@]}"; do
            "${sudo[@]}" find /etc/systemd/user -path "*.wants/$unit" -delete
        done
    fi
fi
