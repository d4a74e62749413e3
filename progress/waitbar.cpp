// waitbar: a bar that fills from left to right in a window tagged
// "TMWWaitbar"; creates such a window or advances an existing one.
#include <algorithm>
#include <cmath>

#include "app/functions.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

const char* const kWaitbarTag = "TMWWaitbar";

Value col(std::initializer_list<double> v) {
    return Value::column(std::vector<double>(v));
}

void updateBar(Handle f, double x) {
    if (!mlfIshandle(f)) mlfError("Couldn't find waitbar handles.");
    const auto patches = mlfFindobj({f}, false, {{"Type", Value::text("patch")}});
    const auto lines = mlfFindobj({f}, false, {{"Type", Value::text("line")}});
    if (patches.empty() || lines.empty()) mlfError("Couldn't find waitbar handles.");
    const Value xdata = mlfGet(patches.front(), "XData");
    // The bar's present right edge; a bar without one starts from 0.
    const double edge = xdata.isDouble() && xdata.numel() >= 2 ? xdata(2) : 0.0;
    // Only the newest stretch is set: with erase mode "none" the earlier
    // stretches stay drawn, so the visible bar grows.
    mlfNSet(patches.front(), {{"XData", col({edge, x, x, edge})}});
    const Value frame = mlfGet(lines.front(), "XData");
    mlfNSet(lines.front(), {{"XData", frame}});
}

Handle createBar(const Value& titleText, double x) {
    const Value rootUnits = mlfGet(0, "Units");
    mlfNSet(0, {{"Units", Value::text("points")}});
    const Value screen = mlfGet(0, "ScreenSize");
    const Value fontSize = mlfGet(0, "FactoryAxesFontSize");
    const double pointsPerPixel = 72.0 / mlfGet(0, "ScreenPixelsPerInch").toDouble();
    const double w = 360 * pointsPerPixel;
    const double h = 75 * pointsPerPixel;
    std::vector<double> pos = {screen(3) / 2 - w / 2, screen(4) / 2 - h / 2, w, h};

    const Handle f = mlfNFigure({{"Units", Value::text("points")},
                                 {"Position", Value::row(pos)},
                                 {"Resize", Value::text("off")},
                                 {"CreateFcn", Value::text("")},
                                 {"NumberTitle", Value::text("off")},
                                 {"IntegerHandle", Value::text("off")},
                                 {"MenuBar", Value::text("none")},
                                 {"Tag", Value::text(kWaitbarTag)},
                                 {"Visible", Value::text("off")}});
    mlfColormap(Value());

    const double placement[4] = {0.05, 0.3, 0.9, 0.2};
    std::vector<double> axPos = {placement[0] * pos[2], placement[1] * pos[3],
                                 placement[2] * pos[2], placement[3] * pos[3]};
    const Handle axes = mlfNAxes({{"XLim", Value::row({0, 100})},
                                  {"YLim", Value::row({0, 1})},
                                  {"Box", Value::text("on")},
                                  {"Units", Value::text("Points")},
                                  {"FontSize", fontSize},
                                  {"Position", Value::row(axPos)},
                                  {"XTickMode", Value::text("manual")},
                                  {"YTickMode", Value::text("manual")},
                                  {"XTick", Value()},
                                  {"YTick", Value()},
                                  {"XTickLabelMode", Value::text("manual")},
                                  {"XTickLabel", Value()},
                                  {"YTickLabelMode", Value::text("manual")},
                                  {"YTickLabel", Value()}});

    title(0, &titleText, {});
    const Handle titleHandle = mlfGet(axes, "title").toDouble();
    const Value titleUnits = mlfGet(titleHandle, "Units");
    mlfNSet(titleHandle, {{"Units", Value::text("points")}, {"String", titleText}});
    const Value extent = mlfGet(titleHandle, "Extent");
    mlfNSet(titleHandle, {{"Units", titleUnits}});

    bool moved = false;
    const double needed = extent(4) + axPos[1] + axPos[3] + 5;
    if (needed > pos[3]) {
        pos[3] = needed;
        pos[1] = screen(4) / 2 - pos[3] / 2;
        moved = true;
    }
    if (extent(3) > pos[2] * 1.1) {
        pos[2] = std::min(extent(3) * 1.1, screen(3));
        pos[0] = screen(3) / 2 - pos[2] / 2;
        axPos[0] = placement[0] * pos[2];
        axPos[2] = placement[2] * pos[2];
        mlfNSet(axes, {{"Position", Value::row(axPos)}});
        moved = true;
    }
    if (moved) mlfNSet(f, {{"Position", Value::row(pos)}});

    mlfNPatch(Value::row({0, x, x, 0}), Value::row({0, 0, 1, 1}), Value::text("r"),
              {{"EdgeColor", Value::text("r")}, {"EraseMode", Value::text("none")}});
    const Handle frame = mlfNLine(Value::row({100, 0, 0, 100, 100}), Value::row({0, 0, 1, 1, 0}),
                                  {{"EraseMode", Value::text("none")}});
    mlfNSet(frame, {{"Color", mlfGet(mlfGca(), "XColor")}});
    mlfNSet(f, {{"HandleVisibility", Value::text("callback")}, {"visible", Value::text("on")}});
    mlfNSet(0, {{"Units", rootUnits}});
    return f;
}

// The clamp takes a NaN to its upper limit, as min and max skip NaN: the
// bar is drawn full.
double barPosition(const Value& fraction) {
    if (!fraction.isDouble() || fraction.isEmpty()) mlfError("Input arguments not valid.");
    const double x = 100.0 * fraction(1);
    return std::isnan(x) ? 100.0 : std::max(0.0, std::min(x, 100.0));
}

// A numeric second argument: a double or the empty value (an empty handle,
// which names no window).
bool isNumeric(const Value& v) {
    return v.isDouble() || v.kind() == ValueKind::Empty;
}

}  // namespace

Value waitbar(int nargout, const Value* fraction, const Value* barOrTitle) {
    const int given = (fraction ? 1 : 0) + (barOrTitle ? 1 : 0);
    Handle f = 0;
    if (given == 2 && barOrTitle->isChar()) {
        f = createBar(*barOrTitle, barPosition(*fraction));
    } else if (given == 2 && isNumeric(*barOrTitle)) {
        const double x = barPosition(*fraction);
        if (barOrTitle->isEmpty()) mlfError("Couldn't find waitbar handles.");
        f = (*barOrTitle)(1);
        updateBar(f, x);
    } else if (given == 1 && fraction) {
        const double x = barPosition(*fraction);
        const auto bars = mlfFindobj(mlfAllchild(0), true, {{"Tag", Value::text(kWaitbarTag)}});
        if (bars.empty()) {
            f = createBar(Value::text("Waitbar"), x);
        } else {
            f = bars.front();
            updateBar(f, x);
        }
    } else if (given == 2) {
        mlfError("Two-argument syntax requires WAITBAR(X,'title') or WAITBAR(X,H)");
    } else {
        mlfError("Input arguments not valid.");
    }
    mlfDrawnow();
    return nargout >= 1 ? Value::scalar(f) : Value();
}

}  // namespace velmora
