"""End to end: a first start of the real tonvera binary, with no settings yet, opens the welcome
window; walked through with the keyboard against a real sound server, it stores the speaker,
selects it and asks once about starting at login. On Qt's wayland platform under a headless
weston, seen in the client's protocol log, the welcome window opens, a second start brings it
forward and SIGTERM closes it. Usage: first_start_test.py <path to tonvera>"""
import json
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
SINKS = [("arbeitszimmer", "Arbeitszimmer"), ("wohnzimmer", "Wohnzimmer")]


class FirstStartTest(unittest.TestCase):
    def setUp(self):
        self.session = DesktopSession(SINKS, "wohnzimmer", wayland="wayland" in self.id())
        self.addCleanup(self.session.close)

    def stored(self):
        try:
            with open(self.session.path("config/tonvera/settings.json"), encoding="utf-8") as f:
                return json.load(f)
        except FileNotFoundError:
            return {}

    def test_the_welcome_window_leads_to_the_selected_speaker(self):
        app = self.session.start_app(BINARY)
        autostart = self.session.path("config/autostart/tonvera.desktop")
        welcome = self.session.wait_for(
            lambda: self.session.visible_window("Tonvera — Welcome"), 30, "the welcome window")

        # Return presses "Continue" on each step and "Done" on the last; a press that comes
        # while a button is still disabled changes nothing, so press until the window closes.
        for _ in range(8):
            self.session.xdotool("key", "--window", welcome, "Return")
            deadline = time.monotonic() + 1
            while time.monotonic() < deadline and self.session.visible_window("Tonvera — Welcome"):
                time.sleep(0.05)
            if not self.session.visible_window("Tonvera — Welcome"):
                break
        self.assertIsNone(self.session.visible_window("Tonvera — Welcome"))

        self.assertIs(self.stored().get("hasCompletedOnboarding"), True)
        self.session.wait_for(lambda: self.session.pactl("get-default-sink") == "arbeitszimmer",
                              15, "the speaker to become the output")

        # Started at login by default until the user says otherwise, once.
        self.assertTrue(os.path.exists(autostart))
        question = self.session.wait_for(lambda: self.session.visible_window("Tonvera"), 10,
                                         "the question about starting at login")
        self.session.xdotool("key", "--window", question, "Escape")
        self.session.wait_for(lambda: not os.path.exists(autostart), 5,
                              "the autostart entry to go")
        self.assertIs(self.stored().get("launchAtLoginAsked"), True)

        app.send_signal(signal.SIGTERM)
        self.assertEqual(self.session.wait_for_exit(10), 0)
        log = self.session.app_log()
        self.assertIn("[AirPlay] Onboarding abgeschlossen — Gerät: Arbeitszimmer", log)
        self.assertIn("[AirPlay] App terminating", log)


    def test_on_wayland_the_welcome_window_opens_and_a_second_start_reaches_it(self):
        session = self.session
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
        self.assertEqual(session.wait_for_exit(10), 0)
        self.assertRegex(session.app_log(), r"xdg_toplevel@\d+\.destroy\(\)")



if __name__ == "__main__":
    unittest.main()
