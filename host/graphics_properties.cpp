// Property names, their canonical capitalisation and their default values,
// per object type.
#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "host/graphics_model.h"
#include "host/graphics_properties.h"

namespace velmora {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

Value rgb(double r, double g, double b) {
    return Value::row({r, g, b});
}

using Table = std::map<std::string, Value>;  // canonical name -> default

const Table& commonDefaults() {
    static const Table t = {
        {"Children", Value()},
        {"CreateFcn", Value::text("")},
        {"HandleVisibility", Value::text("on")},
        {"Parent", Value()},
        {"Tag", Value::text("")},
        {"Type", Value()},
        {"UserData", Value()},
        {"Visible", Value::text("on")},
    };
    return t;
}

Table fontDefaults(double size) {
    return {{"FontAngle", Value::text("normal")},
            {"FontName", Value::text("Helvetica")},
            {"FontSize", Value::scalar(size)},
            {"FontWeight", Value::text("normal")}};
}

Table withFont(Table t, double size) {
    for (auto& [k, v] : fontDefaults(size)) t.emplace(k, v);
    return t;
}

const Table& typeDefaults(ObjectType type) {
    static const Table root = {
        {"CurrentFigure", Value()},
        {"DefaultUicontrolBackgroundColor", rgb(0.8, 0.8, 0.8)},
        {"FactoryAxesFontSize", Value::scalar(10)},
        {"ScreenPixelsPerInch", Value()},
        {"ScreenSize", Value()},
        {"ShowHiddenHandles", Value::text("off")},
        {"Units", Value::text("pixels")},
    };
    static const Table figure = {
        {"Color", rgb(0.8, 0.8, 0.8)},
        {"Colormap", Value()},
        {"CurrentAxes", Value()},
        {"IntegerHandle", Value::text("on")},
        {"MenuBar", Value::text("figure")},
        {"Name", Value::text("")},
        {"NumberTitle", Value::text("on")},
        {"PaperPosition", Value::row({18, 180, 576, 432})},
        {"PaperUnits", Value::text("points")},
        {"Position", Value::row({232, 258, 560, 420})},
        {"Resize", Value::text("on")},
        {"ToolBar", Value::text("auto")},
        {"Units", Value::text("pixels")},
    };
    static const Table uicontrol = withFont(
        {
            {"BackgroundColor", rgb(0.8, 0.8, 0.8)},
            {"Callback", Value::text("")},
            {"Enable", Value::text("on")},
            {"ForegroundColor", rgb(0, 0, 0)},
            {"HorizontalAlignment", Value::text("center")},
            {"ListboxTop", Value::scalar(1)},
            {"Max", Value::scalar(1)},
            {"Min", Value::scalar(0)},
            {"Position", Value::row({20, 20, 60, 20})},
            {"String", Value::text("")},
            {"Style", Value::text("pushbutton")},
            {"Units", Value::text("pixels")},
            {"Value", Value::scalar(0)},
        },
        8);
    static const Table axes = withFont(
        {
            {"Box", Value::text("off")},
            {"CameraUpVector", Value::row({0, 1, 0})},
            {"Color", rgb(1, 1, 1)},
            {"ColorOrder", defaultColorOrder()},
            {"NextPlot", Value::text("replace")},
            {"Position", Value::row({0.13, 0.11, 0.775, 0.815})},
            {"Title", Value()},
            {"Units", Value::text("normalized")},
            {"XColor", rgb(0, 0, 0)},
            {"XGrid", Value::text("off")},
            {"XLabel", Value()},
            {"XLim", Value::row({0, 1})},
            {"XLimMode", Value::text("auto")},
            {"XScale", Value::text("linear")},
            {"XTick", Value()},
            {"XTickLabel", Value()},
            {"XTickLabelMode", Value::text("auto")},
            {"XTickMode", Value::text("auto")},
            {"YColor", rgb(0, 0, 0)},
            {"YGrid", Value::text("off")},
            {"YLabel", Value()},
            {"YLim", Value::row({0, 1})},
            {"YLimMode", Value::text("auto")},
            {"YScale", Value::text("linear")},
            {"YTick", Value()},
            {"YTickLabel", Value()},
            {"YTickLabelMode", Value::text("auto")},
            {"YTickMode", Value::text("auto")},
            {"ZColor", rgb(0, 0, 0)},
            {"ZGrid", Value::text("off")},
            {"ZLabel", Value()},
        },
        10);
    static const Table text = withFont(
        {
            {"Color", rgb(0, 0, 0)},
            {"EraseMode", Value::text("normal")},
            {"Extent", Value()},
            {"HorizontalAlignment", Value::text("left")},
            {"Position", Value::row({0, 0, 0})},
            {"Rotation", Value::scalar(0)},
            {"String", Value::text("")},
            {"Units", Value::text("data")},
            {"VerticalAlignment", Value::text("middle")},
        },
        10);
    static const Table line = {
        {"Color", rgb(0, 0, 0)},         {"EraseMode", Value::text("normal")},
        {"LineStyle", Value::text("-")}, {"LineWidth", Value::scalar(0.5)},
        {"Marker", Value::text("none")}, {"XData", Value::row({0, 1})},
        {"YData", Value::row({0, 1})},
    };
    static const Table patch = {
        {"EdgeColor", rgb(0, 0, 0)},
        {"EraseMode", Value::text("normal")},
        {"FaceColor", rgb(0, 0, 0)},
        {"Faces", Value()},
        {"LineWidth", Value::scalar(0.5)},
        {"VertexNormals", Value()},
        {"Vertices", Value()},
        {"XData", Value()},
        {"YData", Value()},
    };
    static const Table legend = withFont(
        {
            {"Location", Value::scalar(1)},
            {"String", Value()},
        },
        9);
    switch (type) {
        case ObjectType::Root:
            return root;
        case ObjectType::Figure:
            return figure;
        case ObjectType::Uicontrol:
            return uicontrol;
        case ObjectType::Axes:
            return axes;
        case ObjectType::Text:
            return text;
        case ObjectType::Line:
            return line;
        case ObjectType::Patch:
            return patch;
        case ObjectType::Legend:
            return legend;
    }
    return root;
}

const Table* findTableEntry(ObjectType type, const std::string& lowerName, std::string& canonical) {
    for (const Table* t : {&typeDefaults(type), &commonDefaults()}) {
        for (const auto& [name, v] : *t) {
            if (lower(name) == lowerName) {
                canonical = name;
                return t;
            }
        }
    }
    return nullptr;
}

}  // namespace

Value defaultColorOrder() {
    // Seven distinct colours, one row each (blue, green, red, cyan, magenta,
    // olive, dark grey), cycled for more curves. Given column by column.
    const std::vector<double> red = {0, 0, 1, 0, 0.75, 0.75, 0.25};
    const std::vector<double> green = {0, 0.5, 0, 0.75, 0, 0.75, 0.25};
    const std::vector<double> blue = {1, 0, 0, 0.75, 0.75, 0, 0.25};
    std::vector<double> columns = red;
    columns.insert(columns.end(), green.begin(), green.end());
    columns.insert(columns.end(), blue.begin(), blue.end());
    return Value::matrix(7, 3, columns);
}

const char* typeName(ObjectType type) {
    switch (type) {
        case ObjectType::Root:
            return "root";
        case ObjectType::Figure:
            return "figure";
        case ObjectType::Uicontrol:
            return "uicontrol";
        case ObjectType::Axes:
            return "axes";
        case ObjectType::Text:
            return "text";
        case ObjectType::Line:
            return "line";
        case ObjectType::Patch:
            return "patch";
        case ObjectType::Legend:
            return "legend";
    }
    return "unknown";
}

std::string canonicalProperty(ObjectType type, const std::string& name) {
    std::string canonical;
    if (!findTableEntry(type, lower(name), canonical)) {
        throw Error("There is no \"" + name + "\" property in the \"" + typeName(type) +
                    "\" class.");
    }
    return canonical;
}

bool isKeywordProperty(const std::string& c) {
    static const char* const names[] = {
        "Box",
        "Enable",
        "EraseMode",
        "FontAngle",
        "FontWeight",
        "HandleVisibility",
        "HorizontalAlignment",
        "IntegerHandle",
        "MenuBar",
        "NextPlot",
        "NumberTitle",
        "PaperUnits",
        "Resize",
        "ShowHiddenHandles",
        "Style",
        "ToolBar",
        "Units",
        "VerticalAlignment",
        "Visible",
        "XGrid",
        "XLimMode",
        "XScale",
        "XTickLabelMode",
        "XTickMode",
        "YGrid",
        "YLimMode",
        "YScale",
        "YTickLabelMode",
        "YTickMode",
        "ZGrid",
    };
    return std::find(std::begin(names), std::end(names), c) != std::end(names);
}

Value typeDefault(ObjectType type, const std::string& canonical) {
    std::string c;
    const Table* t = findTableEntry(type, lower(canonical), c);
    if (!t) return Value();
    return t->at(c);
}

bool isColorProperty(const std::string& c) {
    static const char* const names[] = {
        "BackgroundColor", "Color",     "DefaultUicontrolBackgroundColor",
        "EdgeColor",       "FaceColor", "ForegroundColor",
        "XColor",          "YColor",    "ZColor"};
    return std::find(std::begin(names), std::end(names), c) != std::end(names);
}

std::string lowerText(const std::string& s) {
    return lower(s);
}

}  // namespace velmora
