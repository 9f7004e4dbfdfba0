#pragma once

#include <QAbstractNativeEventFilter>
#include <QColor>
#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

namespace tonvera {

// The X display's system tray (XEmbed), as seen through the connection Qt holds. Without X11
// (Wayland, offscreen) there is none.
class XEmbedTray final : public QAbstractNativeEventFilter {
  public:
    // The tray manager's window, which owns the screen's tray selection; 0 when none runs.
    static std::uint32_t manager();

    // Follows the colour the tray asks its icons to draw in (_NET_SYSTEM_TRAY_COLORS, which
    // panels such as xfce4-panel set from their theme): `onChange` gets it now, whenever the
    // panel's theme changes it and whenever a panel takes over the tray; nothing when the tray
    // names no colour. Main thread, once Qt's tray icon is shown.
    explicit XEmbedTray(std::function<void(std::optional<QColor>)> onChange);
    ~XEmbedTray() override;

    XEmbedTray(const XEmbedTray&) = delete;
    XEmbedTray& operator=(const XEmbedTray&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    // Finds the tray's manager, watches its colours and reports them.
    void follow();
    std::optional<QColor> foreground() const;

    std::function<void(std::optional<QColor>)> onChange_;
    std::uint32_t manager_ = 0;
    std::uint32_t colorsAtom_ = 0;
    std::uint32_t managerAtom_ = 0;
    QObject context_;  // ends what is queued for this object with it
};

}  // namespace tonvera
