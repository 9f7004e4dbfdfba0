#pragma once

#include <QIcon>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_host.h"

class QWidget;

namespace tonvera {

// Windows as top-level Qt widgets. Renderers turn a view's content into its widget; the first
// renderer that knows the content wins, and content nobody renders gets an empty window.
class QtWindowHost final : public WindowHost {
  public:
    // Returns the widget for `content`, or null when the content is not of its kind.
    using Renderer = std::function<std::unique_ptr<QWidget>(const std::shared_ptr<WindowContent>&)>;

    explicit QtWindowHost(QIcon windowIcon) : windowIcon_(std::move(windowIcon)) {}

    void addRenderer(Renderer renderer) { renderers_.push_back(std::move(renderer)); }

    // The desktop's activation token for the next window brought forward, used once: a second
    // start hands it over with its reopen request, so the window it opens may take the focus.
    void useActivationTokenOnce(std::string activationToken) {
        *activationToken_ = std::move(activationToken);
    }

    std::shared_ptr<HostedWindow> makeWindow(const WindowOptions& options,
                                             std::shared_ptr<WindowContent> content) override;

  private:
    QIcon windowIcon_;
    std::vector<Renderer> renderers_;
    // Shared with the windows, which may outlive the host.
    std::shared_ptr<std::string> activationToken_ = std::make_shared<std::string>();
};

}  // namespace tonvera
