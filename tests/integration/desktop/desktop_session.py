"""A private desktop session for tests and screenshots: an X server (Xvfb) or a headless
Wayland compositor (weston), a session bus with a StatusNotifierWatcher (the part of a panel
that tray items register with) unless a real panel is to bring its own, a PulseAudio server
with null sinks, and private settings and runtime folders. Everything is started by the caller
and stopped by close()."""
import os
import shutil
import subprocess
import tempfile
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_INTROSPECTION = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg type="s" direction="out"/></method>
  </interface>
</node>"""


class Watcher(dbus.service.Object):
    """Answers as a panel would: a host is registered, items may register."""

    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item may register by object path; then its bus name is the sender.
        self.items.append(sender + service if service.startswith("/") else service)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return WATCHER_INTROSPECTION

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }


class DesktopSession:
    def __init__(self, sinks, default_sink, settings=None, wayland=False, watcher=True):
        self.root = tempfile.mkdtemp(prefix="tonvera-desktop-")
        self.processes = []
        self.bus = None
        self.app = None
        self.display = self.wayland_display = None
        try:
            os.makedirs(self.path("runtime"), mode=0o700)
            if wayland:
                self._start_weston()
            else:
                self._start_x()
            self._start_bus(watcher)
            self._start_pulse(sinks, default_sink)
            os.makedirs(self.path("config/tonvera"))
            if settings is not None:
                import json
                with open(self.path("config/tonvera/settings.json"), "w", encoding="utf-8") as f:
                    json.dump(settings, f)
        except BaseException:
            self.close()
            raise

    def path(self, relative):
        return os.path.join(self.root, relative)

    def _spawn(self, command, **kwargs):
        process = subprocess.Popen(command, **kwargs)
        self.processes.append(process)
        return process

    def _start_x(self):
        # Without -noreset the server resets whenever its last client leaves, and drops a client
        # that is still connecting then: an xdotool look that ends while the application
        # connects would fail its start with "could not connect to display".
        read_end, write_end = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                     "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                    stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            self.display = ":" + numbers.readline().strip()

    def _start_weston(self):
        # Its socket goes into the application's runtime folder, where Wayland clients look.
        self.wayland_display = "wayland-tonvera"
        env = dict(os.environ, XDG_RUNTIME_DIR=self.path("runtime"))
        self._spawn(["weston", "--backend=headless-backend.so", "--socket=" + self.wayland_display,
                     "--idle-time=0", "--log=" + self.path("weston.log")], env=env,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        socket = self.path("runtime/" + self.wayland_display)
        self.wait_for(lambda: os.path.exists(socket), 10, "weston to start")

    def _start_bus(self, watcher):
        # What the bus starts on demand (a panel's settings store) stays in the private folders.
        env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.path("config"),
                   XDG_RUNTIME_DIR=self.path("runtime"))
        daemon = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)
        self.bus_address = daemon.stdout.readline().strip()
        daemon.stdout.close()
        dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
        self.bus = dbus.bus.BusConnection(self.bus_address)
        if watcher:
            self.watcher_name = dbus.service.BusName(WATCHER, self.bus)
            self.watcher = Watcher(self.bus)

    def stop_watcher(self):
        """The panel quits: the watcher's name goes, and with it what registered."""
        self.watcher_name = None
        self.bus.release_name(WATCHER)
        self.watcher.items.clear()

    def start_watcher(self):
        self.watcher_name = dbus.service.BusName(WATCHER, self.bus)

    def _start_pulse(self, sinks, default_sink):
        home = self.path("pulse")
        os.makedirs(home)
        lines = [f"load-module module-native-protocol-unix auth-anonymous=1 socket={home}/native"]
        for name, description in sinks:
            lines.append(f"load-module module-null-sink sink_name={name} "
                         f"sink_properties=\"device.description='{description}'\"")
        lines.append(f"set-default-sink {default_sink}")
        with open(os.path.join(home, "server.pa"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, XDG_CONFIG_HOME=home,
                   PULSE_STATE_PATH=home + "/state", PULSE_RUNTIME_PATH=home + "/runtime")
        self._spawn(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "-F",
                     home + "/server.pa", "--log-target=file:" + home + "/server.log"], env=env)
        self.pulse_server = "unix:" + home + "/native"
        self.wait_for(lambda: self.pactl("info") is not None, 10, "PulseAudio to start")

    def pactl(self, *arguments):
        result = subprocess.run(["pactl", "--server=" + self.pulse_server, *arguments],
                                capture_output=True, text=True, check=False)
        return result.stdout.strip() if result.returncode == 0 else None

    def environment(self):
        # A sanitizer build of the application reads its options like the test does.
        sanitizers = {name: os.environ[name] for name in
                      ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS")
                      if name in os.environ}
        display = ({"WAYLAND_DISPLAY": self.wayland_display, "QT_QPA_PLATFORM": "wayland"}
                   if self.wayland_display else {"DISPLAY": self.display, "QT_QPA_PLATFORM": "xcb"})
        return sanitizers | display | {
            "PATH": "/usr/bin:/bin",
            "HOME": self.root,
            "LANG": "C.UTF-8",
            "DBUS_SESSION_BUS_ADDRESS": self.bus_address,
            "PULSE_SERVER": self.pulse_server,
            "XDG_CONFIG_HOME": self.path("config"),
            "XDG_RUNTIME_DIR": self.path("runtime"),
            # The update check, 10 s in, must not leave this machine: a proxy that refuses.
            "https_proxy": "http://127.0.0.1:9",
        }

    def start_app(self, binary, extra_environment=None):
        env = self.environment()
        env.update(extra_environment or {})
        # The log goes to a file, so a failed wait can show it while the app still runs.
        with open(self.path("app.log"), "w", encoding="utf-8") as log:
            self.app = subprocess.Popen([binary], env=env, stdout=log, stderr=subprocess.STDOUT)
        return self.app

    def app_log(self):
        try:
            with open(self.path("app.log"), encoding="utf-8", errors="replace") as log:
                return log.read()
        except FileNotFoundError:
            return ""

    def xdotool(self, *arguments):
        result = subprocess.run(["xdotool", *arguments], capture_output=True, text=True,
                                check=False, env={"DISPLAY": self.display})
        return result.stdout.split() if result.returncode == 0 else []

    def visible_window(self, title):
        """The first shown window whose title, as a window manager shows it, is exactly
        `title`, or None."""
        for window in self.xdotool("search", "--onlyvisible", "--name", "^" + title):
            result = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                                    text=True, check=False, env={"DISPLAY": self.display})
            if result.stdout.rstrip("\n") == title:
                return window
        return None

    def replace_text(self, window, x, y, text):
        """Clicks at (x, y) in `window`, selects what the field holds and types `text`."""
        self.xdotool("mousemove", "--window", window, str(x), str(y), "click", "1")
        self.xdotool("key", "--window", window, "ctrl+a")
        self.xdotool("type", "--window", window, "--delay", "20", text)

    def wait_for_exit(self, seconds):
        """The application's exit status once it has ended, the bus served meanwhile; fails
        with its log's tail, which holds a sanitizer's report too, after `seconds`."""
        self.wait_for(lambda: self.app.poll() is not None, seconds, "the application to end")
        return self.app.returncode

    def wait_for(self, condition, seconds, what):
        """Runs the bus's main loop until `condition` holds; fails after `seconds`."""
        context = GLib.MainContext.default()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            value = condition()
            if value:
                return value
            context.iteration(False)
            time.sleep(0.02)
        raise AssertionError("timed out waiting for " + what + "; the application's log:\n"
                             + "\n".join(self.app_log().splitlines()[-20:]))

    def close(self):
        if self.bus is not None:
            self.watcher_name = None
            self.bus.close()
            self.bus = None
        for process in [self.app] + list(reversed(self.processes)):
            if process is None:
                continue
            if process.poll() is None:
                process.kill()
                process.wait()
            if process.stdout is not None:
                process.stdout.close()
        shutil.rmtree(self.root, ignore_errors=True)


class TrayMenu:
    """The menu of a registered tray item, read and clicked over com.canonical.dbusmenu. Every
    call is asynchronous: the application may be calling our watcher at the same moment, and
    a blocking call would leave both waiting for each other."""

    def __init__(self, session, item):
        service, _, path = item.partition("/")
        self.session = session
        self.service = service
        self.item_path = "/" + path if path else "/StatusNotifierItem"
        self.item_properties = self.call(self.item_path, dbus.PROPERTIES_IFACE, "GetAll",
                                         "org.kde.StatusNotifierItem")
        self.menu_path = str(self.item_properties["Menu"])

    def call(self, path, interface, method, *arguments):
        proxy = self.session.bus.get_object(self.service, path, introspect=False)
        outcome = {}
        getattr(dbus.Interface(proxy, interface), method)(
            *arguments, reply_handler=lambda *reply: outcome.setdefault("reply", reply),
            error_handler=lambda error: outcome.setdefault("error", error))
        self.session.wait_for(lambda: outcome, 10, method)
        if "error" in outcome:
            raise outcome["error"]
        reply = outcome["reply"]
        return reply[0] if len(reply) == 1 else reply

    def entries(self):
        """The top-level entries as dictionaries with their id."""
        _, layout = self.call(self.menu_path, "com.canonical.dbusmenu", "GetLayout", 0, -1,
                              dbus.Array([], signature="s"))
        result = []
        for child in layout[2]:
            entry_id, properties = int(child[0]), dict(child[1])
            result.append({"id": entry_id, **{str(k): v for k, v in properties.items()}})
        return result

    @staticmethod
    def shown(label):
        """A dbusmenu label as a panel shows it: "__" is one underscore, and the first single
        underscore only marks the access key."""
        text, i, marked = "", 0, False
        while i < len(label):
            if label[i] == "_" and label[i + 1:i + 2] == "_":
                text, i = text + "_", i + 2
            elif label[i] == "_" and not marked:
                marked, i = True, i + 1
            else:
                text, i = text + label[i], i + 1
        return text

    def activate(self):
        """A left click on the tray icon."""
        self.call(self.item_path, "org.kde.StatusNotifierItem", "Activate", dbus.Int32(400),
                  dbus.Int32(10))

    def click(self, label):
        for entry in self.entries():
            if self.shown(str(entry.get("label", ""))) == label:
                self.call(self.menu_path, "com.canonical.dbusmenu", "Event", entry["id"],
                          "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
                return
        raise AssertionError("no menu entry " + repr(label))
