#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/window_host.h"

namespace tonvera::testing {

// A window that only records what is done to it; the test plays the user (close, minimize).
class RecordingWindow final : public HostedWindow {
  public:
    RecordingWindow(WindowOptions options, std::shared_ptr<WindowContent> content)
        : options_(std::move(options)), content_(std::move(content)) {}

    bool isVisible() const override { return shown_ && !minimized_ && !closed_; }

    void makeKeyAndOrderFront() override {
        ++frontCount_;
        shown_ = true;
        minimized_ = false;
    }

    void close() override {
        if (closed_) {
            return;
        }
        closed_ = true;
        if (auto handler = std::move(willClose_)) {
            handler();
        }
        content_.reset();
    }

    void setWillCloseHandler(std::function<void()> handler) override {
        willClose_ = std::move(handler);
    }

    // The user minimizes the window: it still exists but is not visible.
    void minimize() { minimized_ = true; }

    const WindowOptions& options() const { return options_; }
    const std::shared_ptr<WindowContent>& content() const { return content_; }
    int frontCount() const { return frontCount_; }
    bool closed() const { return closed_; }

  private:
    WindowOptions options_;
    std::shared_ptr<WindowContent> content_;
    std::function<void()> willClose_;
    int frontCount_ = 0;
    bool shown_ = false;
    bool minimized_ = false;
    bool closed_ = false;
};

// Makes RecordingWindows and keeps each one for the test to look at.
class RecordingWindowHost final : public WindowHost {
  public:
    std::shared_ptr<HostedWindow> makeWindow(const WindowOptions& options,
                                             std::shared_ptr<WindowContent> content) override {
        auto window = std::make_shared<RecordingWindow>(options, std::move(content));
        windows_.push_back(window);
        return window;
    }

    const std::vector<std::shared_ptr<RecordingWindow>>& windows() const { return windows_; }

  private:
    std::vector<std::shared_ptr<RecordingWindow>> windows_;
};

}  // namespace tonvera::testing
