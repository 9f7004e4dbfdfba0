#!/usr/bin/python3
"""A desktop notification service on the bus given as the first argument. It offers actions,
prints each notification as one JSON line and, for one with an action, picks that action at
once, as a person clicking it would."""

import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

INTERFACE = "org.freedesktop.Notifications"


class Service(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(dbus.service.BusName(INTERFACE, bus), "/org/freedesktop/Notifications")
        self.last_id = 0

    @dbus.service.method(INTERFACE, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(INTERFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, title, body, actions, hints, timeout):
        self.last_id += 1
        print(json.dumps({"app": app, "title": title, "body": body, "actions": list(actions),
                          "desktopEntry": hints.get("desktop-entry", "")}), flush=True)
        if actions:
            GLib.idle_add(self.ActionInvoked, self.last_id, actions[0])
        return self.last_id

    @dbus.service.signal(INTERFACE, signature="us")
    def ActionInvoked(self, notification_id, key):
        return False


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
service = Service(dbus.bus.BusConnection(sys.argv[1]))
print("ready", flush=True)
GLib.MainLoop().run()
