// The navigation row of the input screens and the rule its buttons follow.
#pragma once

#include <string>

#include "host/graphics_model.h"
#include "host/value.h"

namespace velmora::screen {

// Action numbers of the input screens; 0 builds the window.
enum Action { Build = 0, Back = 1, Quit = 2, Done = 3, NoAction = -1 };

// The action a window function was called with; NoAction for anything
// that is not one whole number.
int actionOf(const Value& call);

// True while an error window has reported a fault that its BACK button has
// not yet dismissed.
bool errorPending();

// BACK, QUIT and DONE of `screen` (a function name such as "velmora_gui02"),
// at the standard places of the navigation row. BACK and QUIT carry the
// navigation text colour; DONE keeps the host's.
Handle backButton(Handle window, const std::string& screen);
Handle quitButton(Handle window, const std::string& screen);
Handle doneButton(Handle window, const std::string& screen);

// QUIT: close the screen, then end the program.
[[noreturn]] void quitProgram();

// BACK and DONE: read the screen into the global state; unless an error is
// pending, close the screen and open `next` with action 0.
void leaveAfterReading(void (*read)(), void (*next)(const Value&));

}  // namespace velmora::screen
