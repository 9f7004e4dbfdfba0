#!/usr/bin/env bash
# Builds Tonvera (the run preset: release, without tests) and runs it in the foreground with
# its log on this terminal. It installs only what building and running need.
#
# On a desktop it uses your display, your sound server and your settings. Where no sound
# server answers, it installs PulseAudio when missing (enabled for nobody's login) and starts
# a private one with three speakers ("Arbeitszimmer", "Wohnzimmer" as the current output,
# "Küche Radio") and a private settings folder, so you can watch Tonvera switch to
# "Arbeitszimmer" two seconds after start. Where no display exists, it installs and starts a
# private X server (Xvfb), and where no session or system bus runs, a private bus daemon for
# each. It says once what is private; everything private is stopped when Tonvera ends (Ctrl+C).
# Usage: scripts/run.sh [tonvera options]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset run >/dev/null
cmake --build --preset run
binary="$PWD/build/run/src/tonvera"

work="$(mktemp -d -t tonvera-run.XXXXXX)"
children=()
cleanup() {
    # A second Ctrl+C must not cut the cleanup short and leave the servers running.
    trap '' INT TERM
    for pid in "${children[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# The private servers run in sessions of their own (setsid), so Ctrl+C reaches only Tonvera and
# this script: Tonvera quits cleanly first, then cleanup stops the servers it was using.
trap 'exit 130' INT TERM
# What this run provides privately, said once before Tonvera starts.
private=()

# The session's bus is where the desktop's own session puts it; asked before the private
# sound server below changes XDG_RUNTIME_DIR.
session_bus=true
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/bus" ]; then
    session_bus=false
fi

if ! pactl info >/dev/null 2>&1; then
    scripts/install-deps.sh sound-server
    mkdir -p "$work/pulse" "$work/config" "$work/runtime"
    chmod 700 "$work/runtime"
    cat > "$work/pulse/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native
load-module module-null-sink sink_name=arbeitszimmer sink_properties="device.description='Arbeitszimmer'"
load-module module-null-sink sink_name=wohnzimmer sink_properties="device.description='Wohnzimmer'"
load-module module-null-sink sink_name=kueche sink_properties="device.description='Küche Radio'"
set-default-sink wohnzimmer
PA
    env HOME="$work/pulse" XDG_RUNTIME_DIR="$work/pulse" XDG_CONFIG_HOME="$work/pulse" \
        PULSE_STATE_PATH="$work/pulse/state" PULSE_RUNTIME_PATH="$work/pulse/runtime" \
        setsid pulseaudio --daemonize=no --exit-idle-time=-1 -n -F "$work/pulse/server.pa" \
        --log-target=file:"$work/pulse/server.log" &
    children+=($!)
    export PULSE_SERVER="unix:$work/pulse/native"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    pactl info >/dev/null 2>&1 || { echo "run: the private PulseAudio did not start"; exit 1; }
    private+=("a PulseAudio with three speakers, as no sound server answers here (current \
output $(pactl get-default-sink), PULSE_SERVER=$PULSE_SERVER)" "settings in $work/config")
    # A private settings folder and session folder: nothing of yours is read or changed.
    export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    display=99
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    scripts/install-deps.sh display
    setsid Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    children+=($!)
    export DISPLAY=":$display"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.05
    done
    private+=("an X server (Xvfb :$display), as there is no display: windows and tray are \
invisible there, the log shows the work")
fi

# A bus daemon of its own where the machine runs no session bus (a server, a container) or no
# system bus (a container), so that no part of Tonvera starts by reporting a missing bus. No
# sleep or wake signal ever comes on such a system bus: there is no login manager behind it.
start_bus() {
    local name="$1" variable="$2"
    scripts/install-deps.sh bus
    setsid dbus-daemon --session --nofork --address="unix:path=$work/$name-bus" \
        >"$work/$name-bus.log" 2>&1 &
    children+=($!)
    for _ in $(seq 100); do
        [ -S "$work/$name-bus" ] && break
        sleep 0.05
    done
    export "$variable=unix:path=$work/$name-bus"
}
if ! $session_bus; then
    start_bus session DBUS_SESSION_BUS_ADDRESS
    private+=("a session bus")
fi
if [ -z "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] && [ ! -S /run/dbus/system_bus_socket ]; then
    start_bus system DBUS_SYSTEM_BUS_ADDRESS
    private+=("a system bus, which carries no sleep and wake signals")
fi
if [ "${#private[@]}" -gt 0 ]; then
    echo "run: private for this run, and stopped when Tonvera ends:"
    printf 'run:   %s\n' "${private[@]}"
fi

"$binary" "$@" &
app=$!
children=("$app" "${children[@]}")
set +e
wait "$app"
status=$?
children=("${children[@]:1}")
exit "$status"
