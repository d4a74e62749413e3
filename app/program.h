// Program entry: start-up, the event-driven phase and shut-down.
#pragma once

#include <string>

namespace velmora {

// Runs the program on the host's view (set beforehand). Returns the exit
// status: 0 normally, 2 when start-up failed (for example a word left on the
// command line).
int runProgram(int argc, char** argv);

// Evaluates a callback string as the host does for a button: an error ends
// the callback and is shown; QUIT stops the event loop.
void runCallback(const std::string& callback);

}  // namespace velmora
