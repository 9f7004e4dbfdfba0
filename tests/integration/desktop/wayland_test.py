"""The real tonvera binary on Qt's wayland platform under a headless weston: its windows, seen
in the client's protocol log, its tray item, a second start, SIGTERM. Usage: wayland_test.py
<path to tonvera>"""
import os
import re
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DesktopSession, TrayMenu  # noqa: E402

BINARY = sys.argv.pop(1) if len(sys.argv) > 1 else "tonvera"


class WaylandTest(unittest.TestCase):
    def test_windows_tray_and_a_second_start(self):
        session = DesktopSession([("wohnzimmer", "Wohnzimmer")], "wohnzimmer", wayland=True)
        self.addCleanup(session.close)
        # Mesa's EGL driver, which Qt sets up for window decorations, keeps memory until the end;
        # only a full stack names it for the leak check's suppressions.
        slow_unwind = {"ASAN_OPTIONS": os.environ["ASAN_OPTIONS"] + ":fast_unwind_on_malloc=0"
                       } if "ASAN_OPTIONS" in os.environ else {}
        app = session.start_app(BINARY, {"WAYLAND_DEBUG": "client"} | slow_unwind)

        def windows():
            return re.findall(r'xdg_toplevel@\d+\.set_title\("(.*)"\)', session.app_log())
        session.wait_for(lambda: windows() == ["Tonvera — Welcome"], 30, "the welcome window")
        # A left click on the tray item must not open the menu as a window of its own.
        TrayMenu(session, session.wait_for(lambda: session.watcher.items, 15, "the tray")[0]
                 ).activate()
        # The bus keeps being served while we wait: the application calls our watcher.
        later = time.monotonic() + 1
        session.wait_for(lambda: time.monotonic() > later, 2, "a moment")
        self.assertEqual(windows(), ["Tonvera — Welcome"])

        second = subprocess.Popen([BINARY], env=session.environment() | {
            "XDG_ACTIVATION_TOKEN": "from-the-launcher"})
        session.wait_for(lambda: second.poll() is not None, 30, "the second start to end")
        self.assertEqual(second.returncode, 0)
        session.wait_for(lambda: "Started again: bringing the running Tonvera forward"
                         in session.app_log(), 10, "the running one to hear of it")
        app.send_signal(signal.SIGTERM)
        self.assertEqual(app.wait(timeout=10), 0)
        self.assertRegex(session.app_log(), r"xdg_toplevel@\d+\.destroy\(\)")


if __name__ == "__main__":
    unittest.main()
