#include "platform/qt/window_activation.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>
#include <QtGlobal>
#include <mutex>
#include <shared_mutex>

#include "platform/linux/environment_lock.h"

namespace tonvera {
namespace {

constexpr const char* kTokenVariable = "XDG_ACTIVATION_TOKEN";

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

void bringForward(QWidget& window, const std::string& activationToken) {
    if (window.isMinimized()) {
        window.showNormal();
    } else {
        window.show();
    }
    window.raise();
    if (!onWayland()) {
        window.activateWindow();
        return;
    }
    // Qt 6.4 has no public call that takes a token for a window. Its xdg-shell integration
    // activates with the token in the environment, the way a process started by the desktop
    // finds its own, and clears it; where the compositor offers no activation it leaves the
    // variable, so it is cleared here too: processes started later must not inherit it. Qt
    // changes the environment even without a token of ours, when it uses the one this process
    // was started with; other threads' readers wait meanwhile.
    const std::unique_lock environment(environmentLock());
    if (activationToken.empty()) {
        window.activateWindow();
        return;
    }
    qputenv(kTokenVariable, QByteArray::fromStdString(activationToken));
    window.activateWindow();
    qunsetenv(kTokenVariable);
}

}  // namespace tonvera
