#pragma once

#include <cstdint>
#include <memory>

namespace tonvera {

// A synthesized key event, ready to post.
class KeyboardEvent {
  public:
    virtual ~KeyboardEvent() = default;
};

// Synthesizes key presses as if typed on the keyboard.
class KeyboardEvents {
  public:
    virtual ~KeyboardEvents() = default;

    // A key-down or key-up event for the virtual key `keyCode`, or null when it cannot be made.
    virtual std::unique_ptr<KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                               bool keyDown) = 0;

    // Posts `event` to the system's event stream.
    virtual void post(const KeyboardEvent& event) = 0;
};

}  // namespace tonvera
