"""Renders the tray menu of a running tonvera as a panel's left click shows it, into a PNG.
Usage: menu_screenshot.py <path to tonvera> <output.png>"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DesktopSession, TrayMenu  # noqa: E402


def main():
    binary, output = sys.argv[1], sys.argv[2]
    session = DesktopSession([("arbeitszimmer", "Arbeitszimmer"), ("wohnzimmer", "Wohnzimmer")],
                             "arbeitszimmer", settings={
                                 "hasCompletedOnboarding": True,
                                 "launchAtLoginAsked": True,
                                 "connectAutomaticallyAtLogin": False,
                             })
    try:
        x = {"DISPLAY": session.display, "PATH": "/usr/bin:/bin"}
        subprocess.run(["xsetroot", "-solid", "#33414f"], env=x, check=True)
        session.start_app(binary, {"QT_STYLE_OVERRIDE": "Fusion"})
        item = session.wait_for(lambda: session.watcher.items, 15, "the tray item")[0]
        menu = TrayMenu(session, item)
        # The pointer where a panel's icon would be, then a left click on the icon.
        subprocess.run(["xdotool", "mousemove", "420", "12"], env=x, check=True)
        menu.activate()
        time.sleep(1.0)  # the popup maps and paints
        subprocess.run(["import", "-window", "root", "-crop", "320x300+400+0", "+repage", output],
                       env=x, check=True)
    finally:
        session.close()


if __name__ == "__main__":
    main()
