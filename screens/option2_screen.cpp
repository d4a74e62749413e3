// Option 2 input screen: a set of records and one damping ratio.
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/functions.h"
#include "app/global_state.h"
#include "host/graphics_host.h"
#include "screens/navigation.h"
#include "screens/number_field.h"
#include "screens/screen_style.h"

namespace velmora {

using namespace screen;

namespace {

void buildOption2Screen() {
    const Handle window =
        standardWindow("OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO");
    upperPanel(window);
    lowerPanel(window);
    backButton(window, "velmora_gui03");
    quitButton(window, "velmora_gui03");
    label(window, box(45, 113, 170, 20), "Specify DAMPING Ratio:", 11, Align::Left);
    label(window, box(45, 260, 165, 20), "Select EARTHQUAKES [9 max.]:", 11, Align::Left);
    // One selected line per chosen record. "Max" and "Min" only switch the
    // list to several selections; the limit of nine is checked on reading.
    std::vector<double> positions = gv(G::EQ).isDouble() ? gv(G::EQ).data() : std::vector<double>{};
    for (double& p : positions) p += 1;
    gv(G::hlist) = Value::scalar(listBox(
        window, box(39.75, 162.75, 340.5, 100.5), gv(G::EQ_string),
        {{"Max", Value::scalar(9)}, {"Min", Value::scalar(1)}, {"Value", Value::row(positions)}},
        false));
    doneButton(window, "velmora_gui03");
    gv(G::hdamp) = Value::scalar(editField(window, 180.75, 116.25, gv(G::DAMP)));
}

}  // namespace

void velmora_gui03set() {
    const auto ratio = numberInField(gv(G::hdamp).toDouble());
    if (ratio && *ratio >= 0 && *ratio <= 1) {
        gv(G::DAMP) = Value::scalar(*ratio);
    } else {
        velmora_gui_error(Value::scalar(0));
    }

    // The selected positions in list order, each once; the header line
    // chooses no record and is dropped without complaint, so a list with only
    // the header, or with no line selected at all, chooses no records.
    const Value selected = mlfGet(gv(G::hlist).toDouble(), "Value");
    std::vector<double> positions = selected.isDouble() ? selected.data() : std::vector<double>{};
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    // Only whole positions of record lines count; a real list box gives no
    // other, and anything else must not turn into a record number.
    const double lines = static_cast<double>(gv(G::EQ_string).numel());
    std::vector<double> records;
    for (double p : positions) {
        if (p >= 2 && p <= lines && std::floor(p) == p) records.push_back(p - 1);
    }

    // Too many records is reported, yet the long choice is stored.
    const std::size_t count = records.size();
    gv(G::EQ) = Value::row(std::move(records));
    if (count > 9) velmora_gui_error(Value::scalar(0));
    gv(G::numquakes) = Value::scalar(static_cast<double>(count));
}

void velmora_gui03(const Value& call) {
    switch (actionOf(call)) {
        case Build:
            buildOption2Screen();
            break;
        case Back:
            leaveAfterReading(velmora_gui03set, velmora_gui01);
            break;
        case Quit:
            quitProgram();
        case Done:
            leaveAfterReading(velmora_gui03set, velmora_gui05);
            break;
        default:
            break;
    }
}

}  // namespace velmora
