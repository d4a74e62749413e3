// The please-wait window shown while an analysis runs: a title above a
// framed bar that waitbar advances.
#include "app/functions.h"
#include "app/layout_file.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

Value rgb(double r, double g, double b) {
    return Value::row({r, g, b});
}
Value txt(const char* s) {
    return Value::text(s);
}

}  // namespace

Value velmora_gui06wait(int nargout) {
    auto layout = readLayout({"mat0", "mat1", "mat2", "mat3"});
    const Value black = rgb(0, 0, 0);

    const Handle h0 = mlfNFigure({{"Units", txt("points")},
                                  {"Color", rgb(167 / 255.0, 186 / 255.0, 167 / 255.0)},
                                  {"Colormap", layout["mat0"]},
                                  {"HandleVisibility", txt("callback")},
                                  {"IntegerHandle", txt("off")},
                                  {"MenuBar", txt("none")},
                                  {"Name", txt("VELMORA: Please Wait...")},
                                  {"NumberTitle", txt("off")},
                                  {"PaperPosition", Value::row({18, 180, 576, 432})},
                                  {"PaperUnits", txt("points")},
                                  {"Position", Value::row({249, 259.5, 270, 56.25})},
                                  {"Resize", txt("off")},
                                  {"Tag", txt("TMWWaitbar")},
                                  {"ToolBar", txt("none")}});
    const Value parent0 = Value::scalar(h0);
    const Handle h1 = mlfNAxes({{"Parent", parent0},
                                {"Units", txt("points")},
                                {"Box", txt("on")},
                                {"CameraUpVector", Value::row({0, 1, 0})},
                                {"Color", rgb(227 / 255.0, 224 / 255.0, 219 / 255.0)},
                                {"ColorOrder", layout["mat1"]},
                                {"Position", Value::row({13.5, 16.875, 243, 13})},
                                {"Tag", txt("Axes1")},
                                {"XColor", black},
                                {"XLim", Value::row({0, 100})},
                                {"XLimMode", txt("manual")},
                                {"XTickLabelMode", txt("manual")},
                                {"XTickMode", txt("manual")},
                                {"YColor", black},
                                {"YLimMode", txt("manual")},
                                {"YTickLabelMode", txt("manual")},
                                {"YTickMode", txt("manual")},
                                {"ZColor", black}});
    const Value parent1 = Value::scalar(h1);

    const Handle titleText = mlfNText(
        {{"Parent", parent1},
         {"Color", black},
         {"FontName", txt("Time")},
         {"FontSize", Value::scalar(11)},
         {"FontWeight", txt("light")},
         {"HandleVisibility", txt("off")},
         {"HorizontalAlignment", txt("center")},
         {"Position", Value::row({49.53560371517028, 1.428571428571429, 9.160254037844386})},
         {"String", txt("Please Wait...")},
         {"Tag", txt("Axes1Text4")},
         {"VerticalAlignment", txt("bottom")}});
    mlfNSet(h1, {{"Title", Value::scalar(titleText)}});

    const double grey = 53 / 255.0;
    mlfNPatch({{"Parent", parent1},
               {"EdgeColor", rgb(grey, grey, grey)},
               {"EraseMode", txt("none")},
               {"FaceColor", rgb(64 / 255.0, 128 / 255.0, 128 / 255.0)},
               {"Faces", Value::row({1, 2, 3, 4})},
               {"Tag", txt("Axes1Patch1")},
               {"VertexNormals", layout["mat2"]},
               {"Vertices", layout["mat3"]}});
    mlfNLine({{"Parent", parent1},
              {"Color", black},
              {"EraseMode", txt("none")},
              {"Tag", txt("Axes1Line1")},
              {"XData", Value::row({100, 0, 0, 100, 100})},
              {"YData", Value::row({0, 0, 1, 1, 0})}});

    const Handle xLabel =
        mlfNText({{"Parent", parent1},
                  {"Color", black},
                  {"HandleVisibility", txt("off")},
                  {"HorizontalAlignment", txt("center")},
                  {"Position", Value::row({47.058823529412, -0.470588235294117, 17.3205080756888})},
                  {"Tag", txt("Axes1Text3")},
                  {"VerticalAlignment", txt("cap")}});
    mlfNSet(h1, {{"XLabel", Value::scalar(xLabel)}});
    const Handle yLabel = mlfNText(
        {{"Parent", parent1},
         {"Color", black},
         {"HandleVisibility", txt("off")},
         {"HorizontalAlignment", txt("center")},
         {"Position", Value::row({-41.17647058823536, 0.4117647058823533, 17.32050807568877})},
         {"Rotation", Value::scalar(90)},
         {"Tag", txt("Axes1Text2")},
         {"VerticalAlignment", txt("baseline")}});
    mlfNSet(h1, {{"YLabel", Value::scalar(yLabel)}});
    const Handle zLabel =
        mlfNText({{"Parent", parent1},
                  {"Color", black},
                  {"HandleVisibility", txt("off")},
                  {"HorizontalAlignment", txt("right")},
                  {"Position", Value::row({-1011.764705882353, 3, 17.32050807568877})},
                  {"Tag", txt("Axes1Text1")},
                  {"Visible", txt("off")}});
    mlfNSet(h1, {{"ZLabel", Value::scalar(zLabel)}});

    return nargout >= 1 ? Value::scalar(h0) : Value();
}

}  // namespace velmora
