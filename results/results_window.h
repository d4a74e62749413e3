// The window shared by both results windows: five plot buttons under
// "Plot FIGURE:", and QUIT, BACK and CLOSE FIG. in the navigation row.
#pragma once

#include <string>

#include "results/plot_windows.h"

namespace velmora {

struct ResultsWindow {
    const char* function;  // "velmora_gui07" or "velmora_gui08"
    const char* title;     // the window's name after "VELMORA: "
    bool menuBar;          // shows the host's default menu bar
    const PlotTable& plots;
    void (*back)(const Value&);  // the screen BACK returns to
};

// Builds the window and forgets every earlier plot window.
void buildResultsWindow(const ResultsWindow& w);

// Actions 1 to 8 of a results window; anything else does nothing.
void resultsAction(const ResultsWindow& w, const Value& call, const Value& titleText,
                   const Value& legendRows);

}  // namespace velmora
