#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include <systemd/sd-bus.h>

#include "support/bus_signal.h"
#include "support/child_process.h"

namespace tonvera::testing {

// A private system bus for one test with python3-dbusmock's BlueZ and login manager on it
// (support/mock_system_services.py). The code under test reaches it through `address()`,
// passed in or as DBUS_SYSTEM_BUS_ADDRESS in its environment. Addresses are spelled
// "AA:BB:CC:DD:EE:FF", adapters "hci0". Both processes end with this object.
class MockSystemBus {
  public:
    MockSystemBus() {
        if (services_.readLine() != "ready") {
            throw std::runtime_error("the mock system services did not start");
        }
    }

    const std::string& address() const { return address_; }
    pid_t busPid() const { return daemon_.pid(); }

    // The login manager announces that the machine goes to sleep (true) or woke (false).
    void prepareForSleep(bool goingToSleep) const { control("PrepareForSleep", "b", goingToSleep); }

    void addAdapter(const std::string& name, bool powered = true) const {
        control("AddAdapter", "ss", name.c_str(), "Computer");
        setAdapterPowered(name, powered);
    }
    void setAdapterPowered(const std::string& name, bool powered) const {
        control("SetAdapterPowered", "sb", name.c_str(), powered);
    }

    // A device, paired or not, not connected.
    void addDevice(const std::string& adapter, const std::string& address, const std::string& alias,
                   bool paired = true) const {
        control("AddDevice", "sss", adapter.c_str(), address.c_str(), alias.c_str());
        if (paired) {
            control("PairDevice", "ssi", adapter.c_str(), address.c_str(), 0);
        }
    }

    // The device's next `times` connects fail with BlueZ's `error` ("org.bluez.Error.Failed")
    // and `message`; later ones connect.
    void failConnects(const std::string& address, int times, const std::string& error,
                      const std::string& message) const {
        control("FailConnects", "siss", address.c_str(), times, error.c_str(), message.c_str());
    }

    // The device's connects are never answered from now on; BlueZ answers everything else.
    void hangConnects(const std::string& address) const {
        control("HangConnects", "s", address.c_str());
    }

    // The device connects, or the person switches it off, as BlueZ announces it.
    void setConnected(const std::string& address, bool connected) const {
        control("SetConnected", "sb", address.c_str(), connected);
    }

    // The methods called on the device so far, in order: "Connect Connect Disconnect".
    std::string calls(const std::string& address) const {
        const auto reply = control("DeviceCalls", "s", address.c_str());
        const char* calls = nullptr;
        checkBus(sd_bus_message_read(reply.get(), "s", &calls), "DeviceCalls");
        return calls;
    }

  private:
    // A call to the mock services' control interface (a bool reaches sd-bus as the int it reads).
    template <typename... Arguments>
    std::unique_ptr<sd_bus_message, decltype(&sd_bus_message_unref)> control(
        const char* method, const char* signature, Arguments... arguments) const {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        const int result = sd_bus_call_method(bus_.get(), "org.bluez", "/", "org.bluez.Mock",
                                              method, &error, &reply, signature, arguments...);
        const std::string why = error.message != nullptr ? error.message : "";
        sd_bus_error_free(&error);
        checkBus(result, std::string(method) + " " + why);
        return {reply, &sd_bus_message_unref};
    }

    ChildProcess daemon_{{"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    std::string address_ = daemon_.readLine();
    ChildProcess services_{{"/usr/bin/env", "DBUS_SYSTEM_BUS_ADDRESS=" + address_,
                            "/usr/bin/python3", "-m", "dbusmock", "--template",
                            TONVERA_MOCK_SYSTEM_SERVICES, "--logfile", "/dev/null"}};
    TestBus bus_ = openBus(address_);  // the test's own connection, which drives the mocks
};

}  // namespace tonvera::testing
