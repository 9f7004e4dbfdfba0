#pragma once

#include <QIcon>
#include <functional>
#include <memory>
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

    std::shared_ptr<HostedWindow> makeWindow(const WindowOptions& options,
                                             std::shared_ptr<WindowContent> content) override;

  private:
    QIcon windowIcon_;
    std::vector<Renderer> renderers_;
};

}  // namespace tonvera
