"""End to end on Wayland: the real tonvera binary on Qt's wayland platform under a headless
weston opens its welcome window, shows its tray item over D-Bus, opens no stray window for a
left click on it, brings itself forward for a second start and ends cleanly on SIGTERM. The
windows are seen in the client's protocol log (WAYLAND_DEBUG). Usage: wayland_test.py <tonvera>"""
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


def toplevels(session):
    """The titles of the windows the application has opened so far."""
    return re.findall(r'xdg_toplevel@\d+\.set_title\("([^"]*)"\)', session.app_log())


class WaylandTest(unittest.TestCase):
    def test_windows_tray_and_a_second_start_on_wayland(self):
        session = DesktopSession([("wohnzimmer", "Wohnzimmer")], "wohnzimmer", wayland=True)
        self.addCleanup(session.close)
        app = session.start_app(BINARY, {"WAYLAND_DEBUG": "client"})
        session.wait_for(lambda: "Tonvera — Welcome" in toplevels(session), 30,
                         "the welcome window")

        item = session.wait_for(lambda: session.watcher.items, 15, "the tray item")[0]
        TrayMenu(session, item).activate()
        time.sleep(1)  # a menu popped up as a window would show by now
        self.assertEqual(toplevels(session), ["Tonvera — Welcome"])

        second = subprocess.run([BINARY], env=session.environment() | {
            "XDG_ACTIVATION_TOKEN": "token-from-the-launcher"}, timeout=30, check=False)
        self.assertEqual(second.returncode, 0)
        session.wait_for(lambda: "Started again: bringing the running Tonvera forward"
                         in session.app_log(), 10, "the running one to hear of it")

        app.send_signal(signal.SIGTERM)
        self.assertEqual(app.wait(timeout=10), 0)
        log = session.app_log()
        self.assertIn("[AirPlay] App terminating", log)
        self.assertRegex(log, r"xdg_toplevel@\d+\.destroy\(\)")


if __name__ == "__main__":
    unittest.main()
