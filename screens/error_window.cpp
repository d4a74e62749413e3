// The error window: one fixed message for every rejected input, and the
// error flag that keeps the input screens open until it is acknowledged.
#include "app/functions.h"
#include "app/global_state.h"
#include "host/graphics_host.h"
#include "screens/navigation.h"
#include "screens/screen_style.h"

namespace velmora {

using namespace screen;

void velmora_gui_error(const Value& call) {
    switch (actionOf(call)) {
        case 0: {
            gv(G::err) = Value::scalar(1);
            const Handle window =
                smallDialog("VELMORA: Error", box(249, 219.75, 270, 99.75), gv(G::mat0));
            label(window, box(8.25, 65, 258, 16.5),
                  "Please Select Correctly or Specify Valid Numbers", 11, Align::HostDefault);
            pushButton(window, box(90, 20, 90, 25), "BACK", "velmora_gui_error(1)",
                       CaptionColour::HostDefault, Align::HostDefault);
            break;
        }
        case 1:
            gv(G::err) = Value::scalar(0);
            // The window whose BACK was pressed is the current one.
            mlfNClose();
            break;
        default:
            break;
    }
}

}  // namespace velmora
