"""A python3-dbusmock template for a system bus of our own: BlueZ (dbusmock's bluez5 template)
whose devices connect and disconnect as BlueZ's do, and beside it on the same connection the
login manager (dbusmock's logind template). Prints "ready" once both names are owned.

Run as `python3 -m dbusmock --template <this file>` with DBUS_SYSTEM_BUS_ADDRESS set. The test
drives it through org.bluez.Mock on "/": bluez5's AddAdapter and PairDevice, and the methods
below, each named after what it does."""

import time

import dbus
import dbus.service
from dbusmock import mockobject
from dbusmock.templates import bluez5

BUS_NAME = bluez5.BUS_NAME
MAIN_OBJ = "/"
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True
CONTROL = bluez5.BLUEZ_MOCK_IFACE
DEVICE = bluez5.DEVICE_IFACE
ADAPTER = bluez5.ADAPTER_IFACE

# The bluez5 template's own, offered as they are.
AddAdapter = bluez5.AddAdapter
PairDevice = bluez5.PairDevice


def load(mock, parameters):
    bluez5.load(mock, parameters)
    login = mockobject.DBusMockObject(
        dbus.service.BusName("org.freedesktop.login1", mock.bus_name.get_bus()),
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", {})
    login.logfile, login.is_logfile_owner = mock.logfile, False
    login.AddTemplate("logind", {})
    mock.login_manager = login
    print("ready", flush=True)


def device(address):
    return next(o for o in mockobject.objects.values()
                if o.props.get(DEVICE, {}).get("Address") == address)


def set_connected(target, connected):
    target.UpdateProperties(DEVICE, {"Connected": dbus.Boolean(connected)})


# BlueZ answers Connect once the device is connected, and Disconnect once it is not; the
# template's own ones change only a flag. Failures scripted for the device come first; a device
# that hangs never answers, while everything else is still answered.
def connect(target, reply, fail):
    target.call_log.append((int(time.time()), "Connect", []))
    if target.hangs:
        return
    if target.failures:
        fail(target.failures.pop(0))
    elif target.props[DEVICE]["Connected"]:
        fail(dbus.exceptions.DBusException("Already Connected",
                                           name="org.bluez.Error.AlreadyConnected"))
    else:
        set_connected(target, True)
        reply()


def disconnect(target):
    if not target.props[DEVICE]["Connected"]:
        raise dbus.exceptions.DBusException("Not Connected", name="org.bluez.Error.NotConnected")
    set_connected(target, False)


@dbus.service.method(CONTROL, in_signature="sss", out_signature="s")
def AddDevice(mock, adapter, address, alias):
    path = bluez5.AddDevice(mock, adapter, address, alias)
    added = mockobject.objects[path]
    added.failures, added.hangs = [], False
    # Decorated here: the template's loader would offer a module-level method on "/" too.
    added.methods[DEVICE]["Connect"] = ("", "", "", dbus.service.method(
        DEVICE, in_signature="", out_signature="", async_callbacks=("reply", "fail"))(connect))
    added.AddMethod(DEVICE, "Disconnect", "", "", disconnect)
    return path


@dbus.service.method(CONTROL, in_signature="siss", out_signature="")
def FailConnects(_mock, address, times, error, message):
    device(address).failures += [dbus.exceptions.DBusException(message, name=error)] * times


@dbus.service.method(CONTROL, in_signature="s", out_signature="")
def HangConnects(_mock, address):
    device(address).hangs = True


@dbus.service.method(CONTROL, in_signature="sb", out_signature="")
def SetConnected(_mock, address, connected):
    set_connected(device(address), connected)


@dbus.service.method(CONTROL, in_signature="sb", out_signature="")
def SetAdapterPowered(_mock, adapter, powered):
    mockobject.objects["/org/bluez/" + adapter].UpdateProperties(
        ADAPTER, {"Powered": dbus.Boolean(powered)})


@dbus.service.method(CONTROL, in_signature="s", out_signature="s")
def DeviceCalls(_mock, address):
    return " ".join(call[1] for call in device(address).call_log)


@dbus.service.method(CONTROL, in_signature="b", out_signature="")
def PrepareForSleep(mock, going_to_sleep):
    mock.login_manager.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                                  [dbus.Boolean(going_to_sleep)])
