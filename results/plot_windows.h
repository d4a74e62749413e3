// The plot windows of the results windows: one procedure that opens a plot
// window (or raises it when it is open), fed by each results window's table.
#pragma once

#include <array>

#include "app/global_state.h"
#include "host/value.h"

namespace velmora {

struct PlotEntry {
    G handle;                // the global that remembers the window number
    const char* windowName;  // "FIG/VELMORA: ..."
    bool logLog;             // both axes logarithmic, else linear
    G x;
    const char* xLabel;
    G y;
    const char* yLabel;
    int legendCode;  // 0: no legend; 1 upper right, 4 lower right
};

// The five plot windows of one results window, in button order.
using PlotTable = std::array<PlotEntry, 5>;

// Opens the plot of `entry` in a new window numbered above every window and
// every remembered plot window, or raises the window when it is still open.
void openOrRaisePlot(const PlotEntry& entry, const Value& titleText, const Value& legendRows);

// Closes those of the table's windows that are open and forgets them.
void closePlotWindows(const PlotTable& table);

// Forgets every plot window of both results windows.
void forgetAllPlotWindows();

// The number for a new plot window.
double nextPlotWindowNumber();

}  // namespace velmora
