#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tonvera needs.
# Safe to run again: it only touches apt when something is missing.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build pkg-config ccache
    # core libraries
    libfmt-dev nlohmann-json3-dev libutf8proc-dev
    # Linux platform services
    libsystemd-dev libcurl4-openssl-dev ca-certificates libpulse-dev
    # the desktop application: Qt 6 widgets, SVG icons, D-Bus, translations
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins qt6-l10n-tools qt6-tools-dev
    qt6-tools-dev-tools libgl-dev
    # tests and benchmarks: a private D-Bus daemon, an HTTPS server with a fresh certificate,
    # and clang with libFuzzer for the fuzz targets
    libgtest-dev libgmock-dev libbenchmark-dev
    dbus-daemon dbus-bin python3 openssl pulseaudio pulseaudio-utils
    pipewire wireplumber pipewire-pulse
    # windows and the tray on a private X server, with a font to draw them
    xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick fonts-dejavu-core
    # the tray test plays a panel on a private session bus
    python3-dbus python3-gi
    clang libclang-rt-14-dev
    # formatting and static analysis (scripts/lint.sh)
    clang-format clang-tidy
    # desktop integration and the Debian package: icons rendered from SVG, the launcher's and
    # metainfo's validators, and the package's checker
    librsvg2-bin desktop-file-utils appstream dpkg-dev lintian
)

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

echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
