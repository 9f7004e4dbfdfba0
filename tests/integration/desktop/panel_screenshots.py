"""Pictures of a running tonvera in a real panel: its tray icon in xfce4-panel (whose systray
plugin hosts StatusNotifier items) and the menu a click on the icon opens, in a light theme and
a dark one (Adwaita dark for the panel, qt6ct's "darker" colours for Qt). Each on a private X
server with a private session bus, with the tray glyph installed in a private icon folder.
Usage: panel_screenshots.py <tonvera> <folder for tray-panel-light.png, menu.png, …>"""
import os
import re
import shutil
import subprocess
import sys
import time

import dbus

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import WATCHER, DesktopSession  # noqa: E402

SETTINGS = {"hasCompletedOnboarding": True, "launchAtLoginAsked": True,
            "connectAutomaticallyAtLogin": False}
# One panel along the top of the 1280 pixel wide screen: free space, then the tray at the
# right end, its icon centred about 16 pixels from the edge.
PANEL = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=640;y=14"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray"/>
  </property>
</channel>
"""
QT6CT = """[Appearance]
color_scheme_path={}
custom_palette=true
style=Fusion
"""
ICON = (1264, 16)
THEMES = {False: "light", True: "dark"}
GLYPH = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                     "../../../resources/icons/tonvera-symbolic.svg")


def rgb(argb):
    """The red, green and blue of "#aarrggbb"."""
    return [int(argb[i:i + 2], 16) for i in (3, 5, 7)]


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def dark_colours(session):
    """qt6ct's "darker" scheme, with the embossing of disabled texts in the menu's own colour:
    Fusion draws it in the light colour, which this scheme keeps bright, and fills menus with
    the base colour lightened by 8 %."""
    with open("/usr/share/qt6ct/colors/darker.conf", encoding="utf-8") as f:
        lines = f.read().splitlines()
    base = rgb(next(l for l in lines if l.startswith("active_colors")).split(", ")[9])
    menu = "#ff" + "".join(f"{min(255, round(c * 1.08)):02x}" for c in base)
    for i, line in enumerate(lines):
        if line.startswith("disabled_colors"):
            colours = line.split(", ")
            colours[2] = menu
            lines[i] = ", ".join(colours)
    path = session.path("config/qt6ct/colors/dark.conf")
    write(path, "\n".join(lines) + "\n")
    return path


def crop(image, geometry, output):
    subprocess.run(["convert", image, "-crop", geometry, "+repage", output], check=True)


def shoot(binary, dark, folder):
    session = DesktopSession([("arbeitszimmer", "Arbeitszimmer"), ("wohnzimmer", "Wohnzimmer")],
                             "arbeitszimmer", settings=SETTINGS, watcher=False)
    try:
        write(session.path("config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"), PANEL)
        write(session.path("config/qt6ct/qt6ct.conf"), QT6CT.format(dark_colours(session)))
        icons = session.path("data/icons/hicolor/symbolic/apps")
        os.makedirs(icons)
        shutil.copy(GLYPH, icons)
        data = {"XDG_DATA_DIRS": session.path("data") + ":/usr/share"}
        env = session.environment() | data | {"GTK_THEME": "Adwaita:dark" if dark else "Adwaita"}
        subprocess.run(["display", "-window", "root", "-size", "1280x800", "xc:#33414f"], env=env,
                       check=False)
        session.processes.append(subprocess.Popen(
            ["xfce4-panel", "--disable-wm-check"], env=env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL))
        bus = session.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus")
        session.wait_for(lambda: bus.NameHasOwner(WATCHER), 20, "the panel's tray")
        session.start_app(binary, data | ({"QT_QPA_PLATFORMTHEME": "qt6ct"} if dark
                                          else {"QT_STYLE_OVERRIDE": "Fusion"}))
        watcher = session.bus.get_object(WATCHER, "/StatusNotifierWatcher")
        session.wait_for(lambda: watcher.Get(WATCHER, "RegisteredStatusNotifierItems",
                                             dbus_interface=dbus.PROPERTIES_IFACE), 15,
                         "the tray item")
        time.sleep(2)  # the panel fetches and draws the icon
        root = session.path("root.png")
        subprocess.run(["import", "-window", "root", root], env=env, check=True)
        crop(root, "360x32+920+0", os.path.join(folder, "tray-panel-%s.png" % THEMES[dark]))
        session.xdotool("mousemove", str(ICON[0]), str(ICON[1]), "click", "1")
        time.sleep(1.5)  # the menu maps and paints
        subprocess.run(["import", "-window", "root", root], env=env, check=True)
        # The menu below the panel, with a margin of the desktop around it.
        width, height, x, y = map(int, re.split("[x+]", subprocess.run(
            ["convert", root, "-crop", "1280x768+0+32", "+repage", "-trim", "-format", "%@",
             "info:"], capture_output=True, text=True, check=True).stdout))
        crop(root, f"{1280 - x + 12}x{y + height + 44}+{x - 12}+0",
             os.path.join(folder, "menu-dark.png" if dark else "menu.png"))
    finally:
        session.close()


def main():
    for dark in (False, True):
        shoot(sys.argv[1], dark, sys.argv[2])


if __name__ == "__main__":
    main()
