#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tonvera {

// One output the sound server offers.
struct SoundOutput {
    std::string name;        // the name people see; what the preferred output is compared with
    std::string identifier;  // the server's internal name; a returning device may get a new one
    bool isDefault = false;  // where new sound goes now
    // The device's Bluetooth address ("AA:BB:CC:DD:EE:FF") when the output is a Bluetooth
    // device; empty otherwise.
    std::string bluetoothAddress;

    bool operator==(const SoundOutput&) const = default;
};

// Ends a watch when destroyed; after the destructor returns its handler never runs again.
class SoundOutputsWatch {
  public:
    virtual ~SoundOutputsWatch() = default;

    // Reads the list again now, for a change the server may not have announced; the handler
    // hears of it when it differs from the last one. Main thread only.
    virtual void refresh() = 0;
};

// The sound server's outputs as they come and go. The server is connected only while a watch
// exists, and an idle server costs nothing: the implementation waits for the server's events
// and never polls.
class SoundOutputs {
  public:
    // The whole list, or nothing while no server answers: a lost server says nothing about the
    // outputs, and the first list after it comes back tells what is there, not what appeared.
    using List = std::optional<std::vector<SoundOutput>>;
    using Handler = std::function<void(const List&)>;

    virtual ~SoundOutputs() = default;

    // Calls `handler` on the main thread with the whole list once it is known, and again each
    // time an output appears or vanishes or the default changes, until the watch is destroyed.
    // While no server answers it is told nothing once; a server that comes back is connected
    // again. Main thread only.
    virtual std::unique_ptr<SoundOutputsWatch> watch(Handler handler) = 0;

    // The list now, read once; nothing when no server answers within `timeout`. Blocks; any
    // thread.
    virtual List read(std::chrono::milliseconds timeout) = 0;
};

}  // namespace tonvera
