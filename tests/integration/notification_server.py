#!/usr/bin/python3
"""A desktop notification service on the bus given as the first argument. It offers actions,
prints each notification as one JSON line and, for one with an action, picks that action at
once, as a person clicking it would. With "markup" as the second argument it reads body markup;
the first action is then picked only by another program, the second by the service, to us."""

import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

INTERFACE = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"
MARKUP = sys.argv[2:] == ["markup"]


def round_trip(bus):
    """Returns once the bus has handed on what was sent on `bus` before."""
    bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus").GetId(
        dbus_interface="org.freedesktop.DBus")


def pick(bus, notification_id, key, destination=None):
    signal = dbus.lowlevel.SignalMessage(PATH, INTERFACE, "ActionInvoked")
    signal.append(dbus.UInt32(notification_id), key)
    if destination:
        signal.set_destination(destination)
    bus.send_message(signal)
    round_trip(bus)
    return False


class Service(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(dbus.service.BusName(INTERFACE, bus), PATH)
        self.bus = bus
        self.last_id = 0

    @dbus.service.method(INTERFACE, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"] + (["body-markup"] if MARKUP else [])

    @dbus.service.method(INTERFACE, in_signature="susssasa{sv}i", out_signature="u",
                         sender_keyword="sender")
    def Notify(self, app, replaces, icon, title, body, actions, hints, timeout, sender=None):
        self.last_id += 1
        print(json.dumps({"app": app, "title": title, "body": body, "actions": list(actions),
                          "desktopEntry": hints.get("desktop-entry", "")}), flush=True)
        if actions and not MARKUP:
            GLib.idle_add(pick, self.bus, self.last_id, actions[0])
        elif actions and self.last_id == 2:
            GLib.idle_add(self.forge_then_pick, sender, actions[0])
        return self.last_id

    def forge_then_pick(self, client, key):
        round_trip(self.bus)  # our answers reach the client first
        forger = dbus.bus.BusConnection(sys.argv[1])
        pick(forger, 1, key)
        pick(forger, 1, key, client)
        return pick(self.bus, 2, key, client)


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
service = Service(dbus.bus.BusConnection(sys.argv[1]))
print("ready", flush=True)
GLib.MainLoop().run()
