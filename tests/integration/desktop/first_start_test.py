"""End to end: a first start of the real tonvera binary, with no settings yet, opens the welcome
window; walked through with the keyboard against a real sound server, it stores the speaker,
selects it and asks once about starting at login. Usage: first_start_test.py <path to tonvera>"""
import json
import os
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DesktopSession  # noqa: E402

BINARY = sys.argv.pop(1) if len(sys.argv) > 1 else "tonvera"
SINKS = [("arbeitszimmer", "Arbeitszimmer"), ("wohnzimmer", "Wohnzimmer")]


class FirstStartTest(unittest.TestCase):
    def setUp(self):
        self.session = DesktopSession(SINKS, "wohnzimmer")
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
        self.assertEqual(app.wait(timeout=10), 0)
        log = self.session.app_log()
        self.assertIn("[AirPlay] Onboarding abgeschlossen — Gerät: Arbeitszimmer", log)
        self.assertIn("[AirPlay] App terminating", log)


if __name__ == "__main__":
    unittest.main()
