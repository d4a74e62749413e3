// The welcome window: the program's title and the two analysis options.
#include <string>
#include <vector>

#include "app/functions.h"
#include "app/global_state.h"
#include "app/layout_file.h"
#include "host/graphics_host.h"
#include "screens/navigation.h"
#include "screens/screen_style.h"

namespace velmora {

using namespace screen;

namespace {

// The globals the layout file may hold; each one it holds replaces the
// current value every time the window is built.
const std::vector<std::string>& layoutNames() {
    static const std::vector<std::string> names = {
        "DAMP",    "EQ",   "EQ_1",      "EQ_3",    "EQ_SC",     "EQ_charl",
        "EQ_data", "EQ_l", "EQ_string", "RECORD",  "SCALE1",    "SCALE2",
        "damp",    "err",  "mat0",      "numdamp", "numquakes", "option",
    };
    return names;
}

void buildWelcomeWindow() {
    for (auto& [name, value] : readLayout(layoutNames())) {
        GlobalState::instance().byName(name) = std::move(value);
    }
    mlfNSet(0, {{"DefaultUicontrolBackgroundColor", panelColour()}});

    const Handle window = standardWindow("Welcome");
    frame(window, box(20, 170, 380, 130));
    frame(window, box(20, 20, 380, 130));
    label(window, box(111.75, 248.25, 193.5, 33), "VELMORA", 24, Align::HostDefault);
    pushButton(window, box(39, 99.75, 340.5, 30),
               "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ", "velmora_gui01(1)",
               CaptionColour::HostDefault, Align::Left);
    pushButton(window, box(40, 40, 340, 30),
               "OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO ", "velmora_gui01(2)",
               CaptionColour::HostDefault, Align::Left);
    label(window, box(124.5, 205.5, 167.25, 15), "Version as of January, 2001", 9.5,
          Align::HostDefault);
    label(window, box(124.5, 184.5, 167.25, 15), "\u00a9 the VELMORA developers", 9.5,
          Align::HostDefault);
    label(window, box(124.5, 227.25, 167.25, 15), "A Brevanto Program", 10, Align::HostDefault);

    gv(G::err) = Value::scalar(0);
}

}  // namespace

void velmora_gui01(const Value& call) {
    switch (actionOf(call)) {
        case 0:
            buildWelcomeWindow();
            break;
        case 1:
            gv(G::option) = Value::scalar(1);
            mlfNClose();
            velmora_gui02(Value::scalar(0));
            break;
        case 2:
            gv(G::option) = Value::scalar(2);
            mlfNClose();
            velmora_gui03(Value::scalar(0));
            break;
        default:
            break;
    }
}

}  // namespace velmora
