#!/usr/bin/env python3
# Start-up of the tray application, two builds side by side: from starting the process until
# its first log line ("App started", written once the application object, the single-instance
# claim, the settings and the delegate are made), the wall time and the CPU time all its
# threads used by then (from /proc/<pid>/task/*/schedstat, which a busy machine disturbs
# less). The two programs start alternately, each run in a fresh session folder, on one
# private X server (Xvfb) and session bus. Prints the medians of each and the differences.
# Usage: gui_start_bench.py BEFORE AFTER [RUNS]     (RUNS defaults to 30)
import os, shutil, signal, statistics, subprocess, sys, tempfile, time

before, after = sys.argv[1:3]
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 30
work = tempfile.mkdtemp(prefix="tonvera-gui-start-")
children = []
try:
    display = next(n for n in range(90, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
    children.append(subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1280x800x24",
                                      "-nolisten", "tcp"], stderr=subprocess.DEVNULL))
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    children.append(bus)
    bus_address = bus.stdout.readline().strip()
    while not os.path.exists(f"/tmp/.X11-unix/X{display}"):
        time.sleep(0.05)
    os.makedirs(f"{work}/config/tonvera")
    with open(f"{work}/config/tonvera/settings.json", "w") as settings:
        settings.write('{"hasCompletedOnboarding": true, "launchAtLoginAsked": true,'
                       ' "connectAutomaticallyAtLogin": false}')

    def start_once(binary, run):
        runtime = f"{work}/runtime-{run}"
        os.makedirs(runtime, mode=0o700)
        environment = {"HOME": work, "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8",
                       "DISPLAY": f":{display}", "XDG_CONFIG_HOME": f"{work}/config",
                       "XDG_RUNTIME_DIR": runtime, "DBUS_SESSION_BUS_ADDRESS": bus_address,
                       "DBUS_SYSTEM_BUS_ADDRESS": bus_address,
                       "PULSE_SERVER": f"unix:{work}/no-sound-server"}
        started = time.monotonic()
        app = subprocess.Popen([binary], env=environment, stderr=subprocess.PIPE, text=True)
        for line in app.stderr:
            if "App started" in line:
                break
        elapsed = time.monotonic() - started
        cpu = 0
        for task in os.listdir(f"/proc/{app.pid}/task"):
            with open(f"/proc/{app.pid}/task/{task}/schedstat") as stat:
                cpu += int(stat.read().split()[0])
        app.send_signal(signal.SIGTERM)
        app.communicate(timeout=20)
        return elapsed * 1000, cpu / 1e6

    builds = {"before": before, "after": after}
    times = {label: [] for label in builds}
    for run in range(runs):
        for label, binary in builds.items():
            times[label].append(start_once(binary, f"{label}-{run}"))
    wall = {label: statistics.median(t[0] for t in values) for label, values in times.items()}
    cpu = {label: statistics.median(t[1] for t in values) for label, values in times.items()}
    for label, binary in builds.items():
        print(f"{label}: median wall {wall[label]:.1f} ms, CPU {cpu[label]:.1f} ms over {runs} "
              f"starts ({binary})")
    print(f"after - before: wall {wall['after'] - wall['before']:+.1f} ms, "
          f"CPU {cpu['after'] - cpu['before']:+.1f} ms")
finally:
    for child in reversed(children):
        child.terminate()
        child.wait()
    shutil.rmtree(work, ignore_errors=True)
