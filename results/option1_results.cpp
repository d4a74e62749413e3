// The Option 1 results window: one curve per damping ratio.
#include <string>
#include <vector>

#include "app/functions.h"
#include "app/global_state.h"
#include "host/text_ops.h"
#include "results/results_window.h"
#include "screens/navigation.h"

namespace velmora {

namespace {

const PlotTable kOption1Plots = {{
    {G::fig1_acc, "FIG/VELMORA: OPTION 1 - Acceleration Time History", false, G::TIME,
     "Time - seconds", G::ACC, "Ground Acceleration - meters per second squared", 0},
    {G::fig1_sd, "FIG/VELMORA: OPTION 1 - Spectral Displacement", true, G::PERIOD,
     "Period - seconds", G::SD, "Spectral Displacement - meters", 4},
    {G::fig1_psv, "FIG/VELMORA: OPTION 1 - Pseudo Spectral Velocity", true, G::PERIOD,
     "Period - seconds", G::PSV, "Pseudo Spectral Velocity - meters per second", 4},
    {G::fig1_sv, "FIG/VELMORA: OPTION 1 - Spectral Velocity", true, G::PERIOD, "Period - seconds",
     G::SV, "Spectral Velocity - meters per second", 4},
    {G::fig1_sa, "FIG/VELMORA: OPTION 1 - Spectral Acceleration", true, G::PERIOD,
     "Period - seconds", G::SA, "Spectral Acceleration - meters per second squared", 1},
}};

const ResultsWindow kOption1Window = {"velmora_gui07",
                                      "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS",
                                      false, kOption1Plots, velmora_gui04};

// "Damping Ratio = " and each ratio's short text, one row per ratio.
void buildLegendAndTitle() {
    const auto numdamp = static_cast<std::size_t>(gv(G::numdamp).toDouble());
    std::vector<std::string> ratios, prefixes;
    for (std::size_t i = 1; i <= numdamp; ++i) {
        ratios.push_back(num2str(gv(G::damp)(i)));
        prefixes.emplace_back("Damping Ratio = ");
    }
    gv(G::dampstr) = Value::textRows(ratios);
    gv(G::damplabel) = Value::textRows(prefixes);
    gv(G::legend1) = horzcatText({gv(G::damplabel), gv(G::dampstr)});
    const auto record = static_cast<std::size_t>(gv(G::RECORD).toDouble());
    gv(G::title1) = Value::cellRow({gv(G::EQ_data).cellAt(record + 1, 3)});
}

}  // namespace

void velmora_gui07(const Value& call) {
    if (screen::actionOf(call) == 0) {
        buildResultsWindow(kOption1Window);
        buildLegendAndTitle();
        return;
    }
    resultsAction(kOption1Window, call, gv(G::title1), gv(G::legend1));
}

}  // namespace velmora
