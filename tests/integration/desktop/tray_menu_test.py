"""End to end: the real tonvera binary in a private desktop session shows its tray item over
the StatusNotifierItem protocol; the test reads the menu over com.canonical.dbusmenu and
clicks its entries as a panel would. Usage: tray_menu_test.py <path to tonvera>"""
import json
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DesktopSession, TrayMenu  # noqa: E402

BINARY = sys.argv.pop(1) if len(sys.argv) > 1 else "tonvera"
SINKS = [("arbeitszimmer", "Arbeitszimmer"), ("wohnzimmer", "Wohnzimmer"),
         ("bad", "Bad & Küche")]


class TrayMenuTest(unittest.TestCase):
    def setUp(self):
        self.session = DesktopSession(SINKS, "wohnzimmer", settings={
            "preferredAudioOutput": "Bad & Küche",
            "hasCompletedOnboarding": True,
            "launchAtLoginAsked": True,
            "connectAutomaticallyAtLogin": False,
        })
        self.addCleanup(self.session.close)

    def stored(self, key):
        with open(self.session.path("config/tonvera/settings.json"), encoding="utf-8") as f:
            return json.load(f).get(key)

    def test_the_menu_can_be_read_and_clicked_like_a_panel_does(self):
        self.session.start_app(BINARY)
        item = self.session.wait_for(lambda: self.session.watcher.items, 15,
                                     "the tray item to register")[0]
        menu = TrayMenu(self.session, item)
        self.assertEqual(str(menu.item_properties["ToolTip"][2]), "Tonvera")

        entries = menu.entries()
        self.assertEqual(len(entries), 17)
        labels = ["---" if e.get("type") == "separator" else menu.shown(str(e.get("label", "")))
                  for e in entries]
        self.assertEqual(labels, [
            "Tonvera", "---", "Output:", "✓ Bad & Küche", "---", "Connect now",
            "Find outputs…", "---", "Reconnect after sleep", "Connect at login", "---",
            "Open Sound Settings…", "Open Settings…", "Show Welcome / Onboarding…",
            "Check for Updates…", "---", "Quit Tonvera"])
        self.assertEqual(str(entries[3]["label"]), "✓ Bad _& Küche")  # "&" is text, not a key
        self.assertFalse(entries[0].get("enabled", True))
        self.assertFalse(entries[3].get("enabled", True))
        self.assertEqual(entries[8].get("toggle-type"), "checkmark")
        self.assertEqual(int(entries[8].get("toggle-state")), 1)
        self.assertEqual(int(entries[9].get("toggle-state")), 0)
        self.assertEqual([list(map(str, k)) for k in entries[12]["shortcut"]], [["Control", ","]])
        self.assertEqual([list(map(str, k)) for k in entries[16]["shortcut"]], [["Control", "Q"]])

        menu.click("Connect now")
        self.session.wait_for(lambda: self.session.pactl("get-default-sink") == "bad", 15,
                               "the configured speaker to become the output")

        menu.click("Reconnect after sleep")
        self.session.wait_for(lambda: self.stored("connectAutomaticallyOnWake") is False, 5,
                              "the setting to be stored")
        self.session.wait_for(lambda: int(menu.entries()[8].get("toggle-state")) == 0, 5,
                              "the check mark to go")

        # The Settings window edits what the menu then shows.
        menu.click("Open Settings…")
        window = self.session.wait_for(lambda: self.session.visible_window("Tonvera"), 10,
                                       "the Settings window")
        self.session.replace_text(window, 150, 105, "Arbeitszimmer")  # the name field
        self.session.wait_for(lambda: self.stored("preferredAudioOutput") == "Arbeitszimmer", 10,
                              "the typed name to be stored")
        self.session.wait_for(lambda: menu.shown(str(menu.entries()[3]["label"]))
                              == "✓ Arbeitszimmer", 5, "the menu to show the new name")

        menu.click("Quit Tonvera")
        self.assertEqual(self.session.wait_for_exit(10), 0)
        self.assertIn("[AirPlay] App terminating", self.session.app_log())


if __name__ == "__main__":
    unittest.main()
