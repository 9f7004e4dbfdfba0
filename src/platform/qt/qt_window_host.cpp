#include "platform/qt/qt_window_host.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <utility>

#include "platform/qt/window_activation.h"

namespace tonvera {
namespace {

// The top-level window: tells its owner before it closes, then deletes itself and with it
// the content widget, which releases the view's state.
class HostWindow final : public QWidget {
  public:
    HostWindow() { setAttribute(Qt::WA_DeleteOnClose); }

    std::function<void()> willClose;
    std::shared_ptr<WindowContent> content;

  protected:
    void closeEvent(QCloseEvent* event) override {
        if (auto handler = std::exchange(willClose, nullptr)) {
            handler();
        }
        QWidget::closeEvent(event);
    }
};

class QtHostedWindow final : public HostedWindow {
  public:
    QtHostedWindow(HostWindow* window, std::shared_ptr<std::string> activationToken)
        : window_(window), activationToken_(std::move(activationToken)) {}

    ~QtHostedWindow() override {
        // The window outlives its handle only while it is on screen; a closed one is gone.
        if (HostWindow* window = window_.data(); window != nullptr && !window->isVisible()) {
            window->deleteLater();
        }
    }

    bool isVisible() const override {
        const HostWindow* window = window_.data();
        return window != nullptr && window->isVisible() && !window->isMinimized();
    }

    void makeKeyAndOrderFront() override {
        HostWindow* window = window_.data();
        if (window != nullptr) {
            bringForward(*window, std::exchange(*activationToken_, {}));
        }
    }

    void close() override {
        if (HostWindow* window = window_.data(); window != nullptr) {
            window->close();
        }
    }

    void setWillCloseHandler(std::function<void()> handler) override {
        if (HostWindow* window = window_.data(); window != nullptr) {
            window->willClose = std::move(handler);
        }
    }

  private:
    QPointer<HostWindow> window_;
    std::shared_ptr<std::string> activationToken_;
};

void centre(QWidget& window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace

std::shared_ptr<HostedWindow> QtWindowHost::makeWindow(const WindowOptions& options,
                                                       std::shared_ptr<WindowContent> content) {
    auto* window = new HostWindow();
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (options.closable) {
        flags |= Qt::WindowCloseButtonHint;
    }
    if (options.miniaturizable) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (options.resizable) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    window->setWindowFlags(flags);
    window->setWindowTitle(QString::fromStdString(options.title));
    window->setWindowIcon(windowIcon_);

    window->content = content;
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const auto& renderer : renderers_) {
        if (auto widget = renderer(content)) {
            layout->addWidget(widget.release());
            break;
        }
    }
    if (options.resizable) {
        window->resize(options.contentWidth, options.contentHeight);
    } else {
        window->setFixedSize(options.contentWidth, options.contentHeight);
    }
    centre(*window);
    return std::make_shared<QtHostedWindow>(window, activationToken_);
}

}  // namespace tonvera
