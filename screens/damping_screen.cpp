// Damping ratios screen: one field per Option 1 damping ratio.
#include "app/functions.h"
#include "app/global_state.h"
#include "host/graphics_host.h"
#include "screens/navigation.h"
#include "screens/number_field.h"
#include "screens/screen_style.h"

namespace velmora {

using namespace screen;

namespace {

// Field i's bottom edge: field 1 level with the heading, then 20 points down.
double rowBottom(std::size_t i) {
    return 263 - 20 * static_cast<double>(i - 1);
}

void buildDampingScreen() {
    const Handle window =
        standardWindow("OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS");
    upperPanel(window);
    lowerPanel(window);
    backButton(window, "velmora_gui04");
    quitButton(window, "velmora_gui04");
    label(window, box(45, 261, 165, 19.5), "Specify DAMPING Ratios:", 11, Align::Left);
    doneButton(window, "velmora_gui04");

    const std::size_t numdamp = wholeCount(gv(G::numdamp));
    Value fields = Value::zeros(numdamp, 1);
    for (std::size_t i = 1; i <= numdamp; ++i) {
        const Value ratio = Value::scalar(entryOr(gv(G::damp), i, 0));
        fields.set(i, 1, editField(window, 245, rowBottom(i), ratio));
    }
    gv(G::hdamp) = fields;
}

}  // namespace

void velmora_gui04set() {
    const std::size_t numdamp = wholeCount(gv(G::numdamp));
    const Value fields = gv(G::hdamp);
    for (std::size_t i = 1; i <= numdamp; ++i) {
        // One finite number from 0 to 1; anything else keeps the old ratio.
        const auto ratio = numberInField(fields(i));
        if (ratio && *ratio >= 0 && *ratio <= 1) {
            gv(G::damp).set(i, *ratio);
        } else {
            velmora_gui_error(Value::scalar(0));
        }
    }
    // Ratios beyond the count are dropped, found errors or not.
    gv(G::damp) = firstEntries(gv(G::damp), numdamp);
}

void velmora_gui04(const Value& call) {
    switch (actionOf(call)) {
        case Build:
            buildDampingScreen();
            break;
        case Back:
            leaveAfterReading(velmora_gui04set, velmora_gui02);
            break;
        case Quit:
            quitProgram();
        case Done:
            leaveAfterReading(velmora_gui04set, velmora_gui06);
            break;
        default:
            break;
    }
}

}  // namespace velmora
