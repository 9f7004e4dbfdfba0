#pragma once

namespace tonvera {

// The running application as the desktop sees it. Main thread only.
class Application {
  public:
    virtual ~Application() = default;

    // Brings the application's windows in front of other applications' windows.
    virtual void activateIgnoringOtherApps() = 0;

    // Runs as a tray agent: no window and no taskbar entry of its own at launch.
    virtual void becomeAccessory() = 0;

    // Asks the application to quit: termination runs, then the event loop ends.
    virtual void terminate() = 0;
};

}  // namespace tonvera
