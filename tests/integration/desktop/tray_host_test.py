"""End to end: the real tonvera binary on a private X server starts its work whatever the
session bus does, and shows its tray item to a panel that comes up after it or restarts.
Usage: tray_host_test.py <path to tonvera>"""
import os
import socket
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DesktopSession  # noqa: E402

BINARY = sys.argv.pop(1) if len(sys.argv) > 1 else "tonvera"


class TrayHostTest(unittest.TestCase):
    def setUp(self):
        self.session = DesktopSession([("arbeitszimmer", "Arbeitszimmer"),
                                       ("wohnzimmer", "Wohnzimmer")], "wohnzimmer", settings={
            "preferredAudioOutput": "Arbeitszimmer",
            "hasCompletedOnboarding": True,
            "launchAtLoginAsked": True,
        })
        self.addCleanup(self.session.close)

    def logged(self, text):
        return text in self.session.app_log()

    def test_a_session_bus_that_never_answers_holds_up_neither_start_nor_login_run(self):
        # Accepts connections (the kernel does, into the backlog) and never says a word.
        silent = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.addCleanup(silent.close)
        silent.bind(self.session.path("silent-bus"))
        silent.listen(64)
        self.session.start_app(BINARY, {"DBUS_SESSION_BUS_ADDRESS":
                                        "unix:path=" + self.session.path("silent-bus")})
        self.session.wait_for(lambda: self.logged("[AirPlay] App started"), 3, "the start")
        self.session.wait_for(lambda: self.logged("Reconnect requested for Arbeitszimmer"), 6,
                              "the login run")
        self.session.wait_for(lambda: self.session.pactl("get-default-sink") == "arbeitszimmer",
                              10, "the speaker to be selected")
        self.assertTrue(self.logged("Tray: the session bus does not answer"))

    def test_a_panel_that_comes_later_or_restarts_gets_the_item(self):
        self.session.stop_watcher()
        self.session.start_app(BINARY)
        self.session.wait_for(lambda: self.logged("[AirPlay] App started"), 10, "the start")
        started = time.monotonic()
        self.session.wait_for(lambda: time.monotonic() - started > 3, 5, "the panel's start")
        self.session.start_watcher()
        self.session.wait_for(lambda: self.session.watcher.items, 10, "the item to register")
        log = self.session.app_log()
        self.assertLess(log.index("Tray: no panel hosts the icon"),
                        log.index("Tray: shown through the panel's StatusNotifier host"))

        self.session.stop_watcher()
        self.session.wait_for(lambda: self.logged("StatusNotifier host is gone"), 10,
                              "the panel to be missed")
        self.session.start_watcher()
        self.session.wait_for(lambda: self.session.watcher.items, 10,
                              "the item to register again")


if __name__ == "__main__":
    unittest.main()
