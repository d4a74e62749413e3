#include "screens/navigation.h"

#include <cmath>

#include "app/global_state.h"
#include "host/graphics_host.h"
#include "screens/screen_style.h"

namespace velmora::screen {

int actionOf(const Value& call) {
    if (!call.isScalar()) return NoAction;
    const double a = call.toDouble();
    if (!(std::abs(a) < 1e9) || std::floor(a) != a) return NoAction;
    return static_cast<int>(a);
}

bool errorPending() {
    const Value& err = gv(G::err);
    return err.isScalar() && err.toDouble() == 1;
}

Handle backButton(Handle window, const std::string& screen) {
    return pushButton(window, box(160, 30, 100, 25), "BACK", screen + "(1)",
                      CaptionColour::Navigation, Align::Left);
}

Handle quitButton(Handle window, const std::string& screen) {
    return pushButton(window, box(40, 30, 100, 25), "QUIT", screen + "(2)",
                      CaptionColour::Navigation, Align::Left);
}

Handle doneButton(Handle window, const std::string& screen) {
    return pushButton(window, box(280, 30, 100, 25), "DONE", screen + "(3)",
                      CaptionColour::HostDefault, Align::Left);
}

void quitProgram() {
    mlfNClose();
    mlfQuit();
}

void leaveAfterReading(void (*read)(), void (*next)(const Value&)) {
    read();
    if (errorPending()) return;
    mlfNClose();
    next(Value::scalar(0));
}

}  // namespace velmora::screen
