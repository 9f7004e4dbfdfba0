#pragma once

namespace tonvera {

// Ends the event loop (and every nested one, such as a modal alert's) and remembers that the
// application is quitting, so code unwinding from a nested loop can tell a quit from an answer.
void requestQuit();

// Whether requestQuit() was called. Main thread only.
bool isQuitRequested();

}  // namespace tonvera
