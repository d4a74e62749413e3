// The Option 2 results window: one curve per record.
#include <string>
#include <vector>

#include "app/functions.h"
#include "app/global_state.h"
#include "host/text_ops.h"
#include "results/results_window.h"
#include "screens/navigation.h"

namespace velmora {

namespace {

const PlotTable kOption2Plots = {{
    {G::fig2_acc, "FIG/VELMORA: OPTION 2 - Acceleration Time History", false, G::TIME,
     "Time - seconds", G::ACC, "Ground Acceleration - meters per second squared", 4},
    {G::fig2_sd, "FIG/VELMORA: OPTION 2 - Spectral Displacement", true, G::PERIOD,
     "Period - seconds", G::SD, "Spectral Displacement - meters", 4},
    {G::fig2_psv, "FIG/VELMORA: OPTION 2 - Pseudo Spectral Velocity", true, G::PERIOD,
     "Period - seconds", G::PSV, "Pseudo Spectral Velocity - meters per second", 4},
    {G::fig2_sv, "FIG/VELMORA: OPTION 2 - Spectral Velocity", true, G::PERIOD, "Period - seconds",
     G::SV, "Spectral Velocity - meters per second", 4},
    {G::fig2_sa, "FIG/VELMORA: OPTION 2 - Spectral Acceleration", true, G::PERIOD,
     "Period - seconds", G::SA, "Spectral Acceleration - meters per second squared", 1},
}};

const ResultsWindow kOption2Window = {"velmora_gui08",
                                      "OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO",
                                      true, kOption2Plots, velmora_gui05};

// The short name of each analysed record, and the damping ratio as title.
void buildLegendAndTitle() {
    const auto numquakes = static_cast<std::size_t>(gv(G::numquakes).toDouble());
    const auto names = gv(G::EQ_3).charRows();
    std::vector<std::string> rows;
    for (std::size_t i = 1; i <= numquakes; ++i) {
        rows.push_back(names.at(static_cast<std::size_t>(gv(G::EQ)(i))));
    }
    gv(G::legend2) = Value::textRows(rows);
    gv(G::title2) = Value::text("Damping Ratio = " + num2str(gv(G::DAMP).toDouble()));
}

}  // namespace

void velmora_gui08(const Value& call) {
    if (screen::actionOf(call) == 0) {
        buildResultsWindow(kOption2Window);
        buildLegendAndTitle();
        return;
    }
    resultsAction(kOption2Window, call, gv(G::title2), gv(G::legend2));
}

}  // namespace velmora
