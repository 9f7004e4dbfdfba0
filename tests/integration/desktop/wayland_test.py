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
        app = session.start_app(BINARY, {"WAYLAND_DEBUG": "client"})

        def windows():
            return re.findall(r'xdg_toplevel@\d+\.set_title\("(.*)"\)', session.app_log())
        session.wait_for(lambda: windows() == ["Tonvera — Welcome"], 30, "the welcome window")
        # A left click on the tray item must not open the menu as a window of its own.
        TrayMenu(session, session.wait_for(lambda: session.watcher.items, 15, "the tray")[0]
                 ).activate()
        time.sleep(1)
        self.assertEqual(windows(), ["Tonvera — Welcome"])

        second = subprocess.run([BINARY], env=session.environment() | {
            "XDG_ACTIVATION_TOKEN": "from-the-launcher"}, timeout=30, check=False)
        self.assertEqual(second.returncode, 0)
        session.wait_for(lambda: "Started again: bringing the running Tonvera forward"
                         in session.app_log(), 10, "the running one to hear of it")
        app.send_signal(signal.SIGTERM)
        self.assertEqual(app.wait(timeout=10), 0)
        self.assertRegex(session.app_log(), r"xdg_toplevel@\d+\.destroy\(\)")


if __name__ == "__main__":
    unittest.main()
