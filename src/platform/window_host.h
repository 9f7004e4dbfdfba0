#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tonvera {

// A window's content: toolkit-free view state and operations, which the host renders.
class WindowContent {
  public:
    virtual ~WindowContent() = default;
};

struct WindowOptions {
    std::string title;
    bool closable = true;
    bool miniaturizable = false;
    bool resizable = false;
    int contentWidth = 0;
    int contentHeight = 0;
};

// One window that hosts a WindowContent. All operations belong on the main thread.
class HostedWindow {
  public:
    virtual ~HostedWindow() = default;

    // True while the window is on screen: shown and not minimized.
    virtual bool isVisible() const = 0;

    // Shows the window (again), raises it above the others and gives it the keyboard focus.
    virtual void makeKeyAndOrderFront() = 0;

    // Closes the window; its will-close handler runs first. Harmless when already closed.
    virtual void close() = 0;

    // Runs `handler` once when the window is about to close, by the user or by close().
    virtual void setWillCloseHandler(std::function<void()> handler) = 0;
};

// Creates windows around view contents.
class WindowHost {
  public:
    virtual ~WindowHost() = default;

    // A new window of `options` around `content`, centred on the screen and not shown yet. The
    // window keeps the content alive until it is closed and released.
    virtual std::shared_ptr<HostedWindow> makeWindow(const WindowOptions& options,
                                                     std::shared_ptr<WindowContent> content) = 0;
};

// Whether `current` is the window `closing` refers to. Compares ownership, not addresses: a
// window released meanwhile never matches a newer one that happens to reuse its address.
inline bool isSameWindow(const std::shared_ptr<HostedWindow>& current,
                         const std::weak_ptr<HostedWindow>& closing) {
    return current && !current.owner_before(closing) && !closing.owner_before(current);
}

}  // namespace tonvera
