#pragma once

#include <string>
#include <vector>

namespace tonvera {

enum class AlertStyle { warning, informational, critical };

// One modal alert. Buttons are listed in order; an alert with none shows the standard OK.
struct AlertContent {
    std::string messageText;
    std::string informativeText;
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttons;
};

// The answer of the first button; the second answers one more, and so on.
inline constexpr int kAlertFirstButtonReturn = 1000;
// The answer when the person closed the alert without pressing a button (Escape, window close).
inline constexpr int kAlertDismissed = -1;
// The answer when the alert closed because the application is quitting: nobody answered, so
// nothing may be decided on it.
inline constexpr int kAlertClosedByQuit = -2;

// Modal alerts on the main thread.
class Alerts {
  public:
    virtual ~Alerts() = default;

    // Shows `alert` and returns once the user answered: kAlertFirstButtonReturn + the index
    // of the pressed button (the standard OK answers kAlertFirstButtonReturn),
    // kAlertDismissed when the person closed it without one, or kAlertClosedByQuit when the
    // application quit while it was shown. Main thread only.
    virtual int runModal(const AlertContent& alert) = 0;
};

}  // namespace tonvera
