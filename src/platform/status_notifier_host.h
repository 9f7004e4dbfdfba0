#pragma once

namespace tonvera {

// What the session bus says about a panel that shows StatusNotifier items, the tray icons of
// KDE Plasma, of Wayland sessions and of most panels today. Qt shows its tray icon over D-Bus
// only in the `present` case; otherwise it draws an XEmbed icon with a menu of its own.
enum class StatusNotifierHost {
    // The session bus accepted the connection but has not answered; asking it again from the
    // main thread would block.
    busSilent,
    // A StatusNotifierWatcher owns its name but does not answer.
    watcherSilent,
    // No StatusNotifierWatcher on the bus, or no bus at all.
    absent,
    // A watcher without a registered host: items register, but no panel shows them.
    withoutHost,
    // A watcher with a registered host: items show in a panel.
    present,
};

}  // namespace tonvera
