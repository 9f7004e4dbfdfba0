#pragma once

namespace tonvera {

// What the desktop must offer for Tonvera to do its work: a place for its tray icon, a sound
// server to switch outputs on, and the system bus that carries the sleep and wake signals.
// Each answer is asked afresh and may block briefly (a bounded bus call or connection), so
// callers ask from a background task, never from the main thread.
class DesktopReadiness {
  public:
    virtual ~DesktopReadiness() = default;

    // True when a panel shows tray icons (a registered StatusNotifier host or an XEmbed tray).
    virtual bool trayHostPresent() = 0;
    // True when the sound server accepts a connection within a short bound.
    virtual bool soundServerAnswers() = 0;
    // True when the system bus answers a ping within a short bound.
    virtual bool systemBusReachable() = 0;
};

}  // namespace tonvera
