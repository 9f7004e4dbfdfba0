#pragma once

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>
#include <systemd/sd-bus.h>

#include "support/bus_signal.h"
#include "support/child_process.h"
#include "support/temporary_directory.h"

namespace tonvera::testing {

// A private system bus for one test with python3-dbusmock's login manager (its logind
// template) and BlueZ (its bluez5 template) on it. The code under test reaches it through the
// address it is given, or through `DBUS_SYSTEM_BUS_ADDRESS=` + `address()` in its environment.
// The test adds adapters and devices, sends the login manager's sleep signals, makes a device
// connect and disconnect as BlueZ would, and reads what BlueZ was asked. Every process is
// started here and killed with this object.
class MockSystemBus {
  public:
    enum class Services { loginManagerAndBluez, loginManagerOnly };

    explicit MockSystemBus(Services services = Services::loginManagerAndBluez) {
        loginManager_ = startMock("logind", "org.freedesktop.login1");
        if (services == Services::loginManagerAndBluez) {
            bluez_ = startMock("bluez5", "org.bluez");
        }
    }

    const std::string& address() const { return address_; }

    // The login manager announces that the machine goes to sleep (true) or woke (false).
    void prepareForSleep(bool goingToSleep) const {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        check(sd_bus_call_method(bus_.get(), "org.freedesktop.login1", "/org/freedesktop/login1",
                                 kMockInterface, "EmitSignal", &error, nullptr, "sssav",
                                 "org.freedesktop.login1.Manager", "PrepareForSleep", "b", 1, "b",
                                 static_cast<int>(goingToSleep)),
              error, "PrepareForSleep");
    }

    // An adapter ("hci0"), switched on or off.
    void addAdapter(const std::string& name, bool powered = true) {
        callBluez("/", "org.bluez.Mock", "AddAdapter", "ss", name.c_str(), "Computer");
        setAdapterPowered(name, powered);
    }
    void setAdapterPowered(const std::string& name, bool powered) const {
        updateProperty("/org/bluez/" + name, "org.bluez.Adapter1", "Powered", powered);
    }

    // A device on `adapter`, paired or not, not connected. Its Connect and Disconnect change
    // Connected and announce it, as BlueZ does (the template's own change only a flag).
    void addDevice(const std::string& adapter, const std::string& address, const std::string& alias,
                   bool paired = true) {
        callBluez("/", "org.bluez.Mock", "AddDevice", "sss", adapter.c_str(), address.c_str(),
                  alias.c_str());
        adapters_[address] = adapter;
        if (paired) {
            callBluez("/", "org.bluez.Mock", "PairDevice", "ssi", adapter.c_str(), address.c_str(),
                      0);
        }
        failConnects(address, 0, {}, {});
        setMethod(
            address, "Disconnect",
            "if not self.props['org.bluez.Device1']['Connected']:\n"
            "    raise dbus.exceptions.DBusException('Not Connected',\n"
            "                                        name='org.bluez.Error.NotConnected')\n"
            "self.UpdateProperties('org.bluez.Device1', {'Connected': dbus.Boolean(False)})\n");
    }

    // The device's next `times` connects fail with BlueZ's `error` ("org.bluez.Error.Failed")
    // and `message`; the ones after them connect.
    void failConnects(const std::string& address, int times, const std::string& error,
                      const std::string& message) {
        const auto before = calls(address);
        const auto connects = std::count(before.begin(), before.end(), "Connect");
        // The mock records a call before it runs the call's code.
        setMethod(
            address, "Connect",
            "if sum(1 for c in self.call_log if c[1] == 'Connect') <= " +
                std::to_string(connects + times) +
                ":\n"
                "    raise dbus.exceptions.DBusException(" +
                nlohmann::json(message).dump() + ", name=" + nlohmann::json(error).dump() +
                ")\n"
                "if self.props['org.bluez.Device1']['Connected']:\n"
                "    raise dbus.exceptions.DBusException('Already Connected',\n"
                "        name='org.bluez.Error.AlreadyConnected')\n"
                "self.UpdateProperties('org.bluez.Device1', {'Connected': dbus.Boolean(True)})\n");
    }

    // The device's connects are never answered: the mock BlueZ hangs in them and answers
    // nothing else meanwhile, so this is the last thing a test asks of it.
    void hangConnects(const std::string& address) {
        setMethod(address, "Connect", "import time\ntime.sleep(3600)\n");
    }

    // The device connects or disconnects by itself or by a person's hand, as BlueZ reports it.
    void setConnected(const std::string& address, bool connected) const {
        updateProperty(devicePath(address), "org.bluez.Device1", "Connected", connected);
    }

    // The methods called on the device so far, in order ("Connect", "Disconnect", …), as the
    // mock recorded them.
    std::vector<std::string> calls(const std::string& address) const {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* raw = nullptr;
        check(sd_bus_call_method(bus_.get(), "org.bluez", devicePath(address).c_str(),
                                 kMockInterface, "GetCalls", &error, &raw, ""),
              error, "GetCalls");
        const std::unique_ptr<sd_bus_message, decltype(&sd_bus_message_unref)> reply(
            raw, &sd_bus_message_unref);
        std::vector<std::string> names;
        checkBus(sd_bus_message_enter_container(raw, 'a', "(tsav)"), "GetCalls");
        while (sd_bus_message_enter_container(raw, 'r', "tsav") > 0) {
            std::uint64_t time = 0;
            const char* name = nullptr;
            checkBus(sd_bus_message_read(raw, "ts", &time, &name), "GetCalls");
            names.emplace_back(name);
            checkBus(sd_bus_message_skip(raw, "av"), "GetCalls");
            checkBus(sd_bus_message_exit_container(raw), "GetCalls");
        }
        return names;
    }

    // The bus daemon's process, to kill it.
    pid_t busPid() const { return daemon_.pid(); }

  private:
    static constexpr const char* kMockInterface = "org.freedesktop.DBus.Mock";

    static void check(int result, sd_bus_error& error, const std::string& what) {
        if (result < 0) {
            const std::string message =
                what + ": " + (error.message != nullptr ? error.message : "failed");
            sd_bus_error_free(&error);
            throw std::runtime_error(message);
        }
    }

    // A mock of `template` from python3-dbusmock, once it owns its name on the bus.
    std::unique_ptr<ChildProcess> startMock(const std::string& mockTemplate,
                                            const std::string& name) const {
        auto mock = std::make_unique<ChildProcess>(std::vector<std::string>{
            "/usr/bin/env", "DBUS_SYSTEM_BUS_ADDRESS=" + address_, "/usr/bin/python3", "-m",
            "dbusmock", "--template", mockTemplate, "--logfile",
            (directory_.path() / (mockTemplate + ".log")).string()});
        for (int i = 0; i < 1000; ++i) {
            sd_bus_message* reply = nullptr;
            checkBus(sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                        "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply,
                                        "s", name.c_str()),
                     "NameHasOwner");
            int owned = 0;
            sd_bus_message_read(reply, "b", &owned);
            sd_bus_message_unref(reply);
            if (owned != 0) {
                return mock;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        throw std::runtime_error("the mock " + mockTemplate + " did not start");
    }

    template <typename... Arguments>
    void callBluez(const std::string& path, const char* interface, const char* method,
                   const char* signature, Arguments... arguments) const {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        check(sd_bus_call_method(bus_.get(), "org.bluez", path.c_str(), interface, method, &error,
                                 nullptr, signature, arguments...),
              error, method);
    }

    void updateProperty(const std::string& path, const char* interface, const char* name,
                        bool value) const {
        callBluez(path, kMockInterface, "UpdateProperties", "sa{sv}", interface, 1, name, "b",
                  static_cast<int>(value));
    }

    // Replaces a method of the device's Device1 with Python code run by the mock.
    void setMethod(const std::string& address, const char* method, const std::string& code) const {
        callBluez(devicePath(address), kMockInterface, "AddMethod", "sssss", "org.bluez.Device1",
                  method, "", "", code.c_str());
    }

    std::string devicePath(const std::string& address) const {
        std::string path = "/org/bluez/" + adapters_.at(address) + "/dev_" + address;
        std::replace(path.end() - static_cast<std::ptrdiff_t>(address.size()), path.end(), ':',
                     '_');
        return path;
    }

    TemporaryDirectory directory_;
    ChildProcess daemon_{{"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    std::string address_ = daemon_.readLine();
    TestBus bus_ = openBus(address_);  // the test's own connection, to drive the mocks
    std::unique_ptr<ChildProcess> loginManager_;
    std::unique_ptr<ChildProcess> bluez_;
    std::map<std::string, std::string> adapters_;  // adapter by device address
};

}  // namespace tonvera::testing
