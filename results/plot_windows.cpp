#include "results/plot_windows.h"

#include <algorithm>
#include <cmath>

#include "app/functions.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

const G kAllPlotHandles[] = {G::fig1_acc, G::fig1_sd, G::fig1_psv, G::fig1_sv, G::fig1_sa,
                             G::fig2_acc, G::fig2_sd, G::fig2_psv, G::fig2_sv, G::fig2_sa};

bool isOpen(const Value& h) {
    return h.isScalar() && mlfIshandle(h.toDouble());
}

}  // namespace

double nextPlotWindowNumber() {
    double largest = -1;
    // Only whole-numbered windows count: the error and please-wait windows
    // have handles that are not whole numbers and cannot name a window.
    const Value children = mlfGet(0, "Children");
    for (double h : children.data()) {
        if (std::floor(h) == h) largest = std::max(largest, h);
    }
    // Remembered numbers count even when their window was closed, so a new
    // window never takes the number of an old one.
    for (G id : kAllPlotHandles) {
        const Value& h = gv(id);
        if (h.isScalar()) largest = std::max(largest, h.toDouble());
    }
    return largest + 1;
}

void openOrRaisePlot(const PlotEntry& entry, const Value& titleText, const Value& legendRows) {
    const Value& remembered = gv(entry.handle);
    if (isOpen(remembered)) {
        mlfNFigure(remembered.toDouble());
        return;
    }
    mlfNFigure(nextPlotWindowNumber());
    gv(entry.handle) = Value::scalar(mlfGcf());
    mlfNSet(mlfGcf(), {{"NumberTitle", Value::text("off")}});
    mlfNSet(mlfGcf(), {{"Name", Value::text(entry.windowName)}});
    if (entry.logLog) {
        mlfNLoglog(gv(entry.x), gv(entry.y));
    } else {
        mlfNPlot(gv(entry.x), gv(entry.y));
    }
    const Value on = Value::text("on");
    grid(&on);
    const Value xText = Value::text(entry.xLabel);
    const Value yText = Value::text(entry.yLabel);
    xlabel(0, &xText, {});
    ylabel(0, &yText, {});
    title(0, &titleText, {});
    if (entry.legendCode != 0) mlfNLegend(legendRows, entry.legendCode);
}

void closePlotWindows(const PlotTable& table) {
    for (const auto& entry : table) {
        if (isOpen(gv(entry.handle))) {
            mlfNClose(gv(entry.handle).toDouble());
            gv(entry.handle) = Value::scalar(-1);
        }
    }
}

void forgetAllPlotWindows() {
    for (G id : kAllPlotHandles) gv(id) = Value::scalar(-1);
}

}  // namespace velmora
