#pragma once

namespace tonvera {

// The tray application's composition root, in the module the command loads to run it:
// chooses the platform's services, builds the delegate, runs the event loop and shuts
// everything down in order.
class TonveraApp {
  public:
    // Runs the application with the process's arguments (the toolkit takes its own options
    // from them); returns the process's exit status.
    static int run(int argc, char** argv);
};

}  // namespace tonvera
