#pragma once

namespace tonvera {

// The entry point and composition root: chooses the platform's services, builds the
// delegate, runs the event loop and shuts everything down in order.
class TonveraApp {
  public:
    // Runs the application; returns the process's exit status.
    static int run(int argc, char** argv);
};

}  // namespace tonvera
