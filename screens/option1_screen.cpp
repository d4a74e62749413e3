// Option 1 input screen: one record, the number of damping ratios and the
// scale factor.
#include <cmath>

#include "app/functions.h"
#include "app/global_state.h"
#include "host/graphics_host.h"
#include "screens/navigation.h"
#include "screens/number_field.h"
#include "screens/screen_style.h"

namespace velmora {

using namespace screen;

namespace {

void buildOption1Screen() {
    const Handle window =
        standardWindow("OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS");
    upperPanel(window);
    lowerPanel(window);
    backButton(window, "velmora_gui02");
    quitButton(window, "velmora_gui02");
    label(window, box(45, 114, 219.75, 19.5), "Specify Number of DAMPING Ratios:", 11, Align::Left);
    label(window, box(45, 260, 165, 20), "Select one EARTHQUAKE:", 11, Align::Left);
    // The chosen record is selected and scrolled to the top line.
    const Value position = Value::scalar(gv(G::RECORD).toDouble() + 1);
    gv(G::hlist) = Value::scalar(listBox(window, box(39.75, 192.75, 340.5, 70.5), gv(G::EQ_string),
                                         {{"ListboxTop", position}, {"Value", position}}, true));
    doneButton(window, "velmora_gui02");
    gv(G::hdamp) = Value::scalar(editField(window, 245, 116.25, gv(G::numdamp)));
    gv(G::hscale) = Value::scalar(editField(window, 180, 155, gv(G::SCALE1)));
    label(window, box(45, 152.5, 130.75, 19.5), "Specify SCALE Factor:", 11, Align::Left);
}

}  // namespace

void velmora_gui02set() {
    // Record: list position p shows record p - 1; the header line (and a
    // list with no line selected) chooses none.
    const Value selected = mlfGet(gv(G::hlist).toDouble(), "Value");
    const double lines = static_cast<double>(gv(G::EQ_string).numel());
    if (selected.isDouble() && selected.numel() == 1 && selected.toDouble() >= 2 &&
        selected.toDouble() <= lines && std::floor(selected.toDouble()) == selected.toDouble()) {
        gv(G::RECORD) = Value::scalar(selected.toDouble() - 1);
    } else {
        velmora_gui_error(Value::scalar(0));
    }

    // Number of damping ratios: the nearest whole number, halves away from
    // zero, from 1 to 9.
    const auto count = numberInField(gv(G::hdamp).toDouble());
    const double rounded = count ? std::round(*count) : 0;
    if (count && rounded >= 1 && rounded <= 9) {
        gv(G::numdamp) = Value::scalar(rounded);
    } else {
        velmora_gui_error(Value::scalar(0));
    }

    // The ratios row grows with zeros to the count and never shrinks here;
    // the damping ratios screen drops what lies beyond.
    Value& damp = gv(G::damp);
    const std::size_t numdamp = wholeCount(gv(G::numdamp));
    for (std::size_t i = damp.numel() + 1; i <= numdamp; ++i) damp.set(i, 0);

    // Scale factor: refused like every other field unless it is one finite
    // number, since the analysis multiplies the record by it.
    if (const auto scale = numberInField(gv(G::hscale).toDouble())) {
        gv(G::SCALE1) = Value::scalar(*scale);
    } else {
        velmora_gui_error(Value::scalar(0));
    }
}

void velmora_gui02(const Value& call) {
    switch (actionOf(call)) {
        case Build:
            buildOption1Screen();
            break;
        case Back:
            leaveAfterReading(velmora_gui02set, velmora_gui01);
            break;
        case Quit:
            quitProgram();
        case Done:
            leaveAfterReading(velmora_gui02set, velmora_gui04);
            break;
        default:
            break;
    }
}

}  // namespace velmora
