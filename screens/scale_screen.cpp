// Scale factors screen: one factor per Option 2 record, remembered per
// record for the rest of the session.
#include <string>
#include <vector>

#include "app/functions.h"
#include "app/global_state.h"
#include "host/graphics_host.h"
#include "host/text_ops.h"
#include "screens/navigation.h"
#include "screens/number_field.h"
#include "screens/screen_style.h"

namespace velmora {

using namespace screen;

namespace {

// Row i's bottom edge: row 1 level with the heading, then 20 points down.
double rowBottom(std::size_t i) {
    return 263 - 20 * static_cast<double>(i - 1);
}

std::size_t recordOfRow(std::size_t i) {
    return wholeCount(entryOr(gv(G::EQ), i, 0));
}

// Number and short name of every catalogue row, header first, in columns.
Value recordLabels() {
    const std::size_t rows = wholeCount(gv(G::EQ_l));
    const Value separator = Value::textRows(std::vector<std::string>(rows, " "));
    return horzcatText({gv(G::EQ_1), separator, gv(G::EQ_3)});
}

void buildScaleScreen() {
    const Handle window =
        standardWindow("OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO");
    upperPanel(window);
    lowerPanel(window);
    backButton(window, "velmora_gui05");
    quitButton(window, "velmora_gui05");
    label(window, box(45, 261, 165, 19.5), "Specify SCALE Factors:", 11, Align::Left);
    doneButton(window, "velmora_gui05");

    const std::size_t numquakes = wholeCount(gv(G::numquakes));
    Value fields = Value::zeros(1, numquakes);
    for (std::size_t i = 1; i <= numquakes; ++i) {
        const Value factor = Value::scalar(entryOr(gv(G::EQ_SC), recordOfRow(i), 1));
        fields.set(1, i, editField(window, 182, rowBottom(i), factor));
    }
    gv(G::hscale) = fields;

    gv(G::EQ_charl) = recordLabels();
    const Value& labels = gv(G::EQ_charl);
    for (std::size_t i = 1; i <= numquakes; ++i) {
        const std::size_t row = recordOfRow(i) + 1;
        const Value line = row <= labels.rows() ? Value::text(labels.charRow(row)) : Value();
        control(window, {{"BackgroundColor", buttonFace()},
                         {"FontName", Value::text("Fixedsys")},
                         {"FontSize", Value::scalar(11)},
                         {"FontWeight", Value::text("light")},
                         {"HorizontalAlignment", Value::text("left")},
                         {"Position", box(245, rowBottom(i), 135, 14)},
                         {"String", Value::cellRow({line})},
                         {"Style", Value::text("text")},
                         {"Tag", Value::text("StaticText2")}});
    }
}

}  // namespace

void velmora_gui05set() {
    const std::size_t numquakes = wholeCount(gv(G::numquakes));
    const Value fields = gv(G::hscale);
    Value& scale2 = gv(G::SCALE2);
    for (std::size_t i = 1; i <= numquakes; ++i) {
        if (const auto factor = numberInField(fields(i))) {
            scale2.set(i, *factor);
        } else {
            // Refused like any invalid entry: the record keeps the factor the
            // field showed, its remembered one.
            velmora_gui_error(Value::scalar(0));
            scale2.set(i, entryOr(gv(G::EQ_SC), recordOfRow(i), 1));
        }
    }
    scale2 = firstEntries(scale2, numquakes);
    for (std::size_t i = 1; i <= numquakes; ++i) gv(G::EQ_SC).set(recordOfRow(i), scale2(i));
}

void velmora_gui05(const Value& call) {
    switch (actionOf(call)) {
        case Build:
            buildScaleScreen();
            break;
        case Back:
            leaveAfterReading(velmora_gui05set, velmora_gui03);
            break;
        case Quit:
            quitProgram();
        case Done:
            leaveAfterReading(velmora_gui05set, velmora_gui06);
            break;
        default:
            break;
    }
}

}  // namespace velmora
