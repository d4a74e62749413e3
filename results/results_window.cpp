#include "results/results_window.h"

#include "host/graphics_host.h"
#include "screens/navigation.h"
#include "screens/screen_style.h"

namespace velmora {

namespace {

std::string callback(const ResultsWindow& w, int action) {
    return std::string(w.function) + "(" + std::to_string(action) + ")";
}

const char* const kPlotCaptions[] = {"Ground Acceleration Time History", "Spectral Displacement",
                                     "Pseudo Spectral Velocity", "Spectral Velocity",
                                     "Spectral Acceleration"};

}  // namespace

void buildResultsWindow(const ResultsWindow& w) {
    using namespace screen;
    const Handle window = standardWindow(w.title, w.menuBar);
    upperPanel(window);
    lowerPanel(window);
    pushButton(window, box(160, 30, 100, 25), "BACK", callback(w, 1), CaptionColour::Navigation,
               Align::Left);
    pushButton(window, box(40, 30, 100, 25), "QUIT", callback(w, 2), CaptionColour::HostDefault,
               Align::Left);
    label(window, box(45, 260, 165, 20), "Plot FIGURE:", 11, Align::Left);
    pushButton(window, box(280.5, 29.25, 99.75, 25.5), "CLOSE FIG.", callback(w, 3),
               CaptionColour::Navigation, Align::Left);
    for (int i = 0; i < 5; ++i) {
        pushButton(window, box(40, 238 - 34 * i, 340, 24), kPlotCaptions[i], callback(w, 4 + i),
                   CaptionColour::HostDefault, Align::Left);
    }
    forgetAllPlotWindows();
}

void resultsAction(const ResultsWindow& w, const Value& call, const Value& titleText,
                   const Value& legendRows) {
    const int action = screen::actionOf(call);
    if (action == 1) {
        mlfNClose();
        w.back(Value::scalar(0));
    } else if (action == 2) {
        screen::quitProgram();
    } else if (action == 3) {
        closePlotWindows(w.plots);
    } else if (action >= 4 && action <= 8) {
        openOrRaisePlot(w.plots[static_cast<std::size_t>(action - 4)], titleText, legendRows);
    }
}

}  // namespace velmora
