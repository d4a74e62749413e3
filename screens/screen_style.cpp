#include "screens/screen_style.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "app/global_state.h"
#include "host/graphics_host.h"
#include "host/text_ops.h"

namespace velmora::screen {

namespace {

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

Value word(const char* text) {
    return Value::text(text);
}

Value number(double x) {
    return Value::scalar(x);
}

bool names(const PropertyList& props, const std::string& name) {
    const std::string wanted = lowered(name);
    return std::any_of(props.begin(), props.end(),
                       [&](const auto& p) { return lowered(p.first) == wanted; });
}

}  // namespace

Value rgb255(double red, double green, double blue) {
    return Value::row({red / 255.0, green / 255.0, blue / 255.0});
}

Value windowColour() {
    return rgb255(0, 64, 64);
}
Value panelColour() {
    return rgb255(167, 186, 167);
}
Value buttonFace() {
    return rgb255(227, 224, 219);
}
Value navigationTextColour() {
    return rgb255(62, 62, 62);
}
Value fieldColour() {
    return rgb255(255, 255, 255);
}

Value box(double left, double bottom, double width, double height) {
    return Value::row({left, bottom, width, height});
}

Handle standardWindow(const std::string& title, bool menuBar) {
    PropertyList props = {
        {"Color", windowColour()},      {"Colormap", gv(G::mat0)},
        {"MenuBar", word("none")},      {"Name", Value::text("VELMORA: " + title)},
        {"NumberTitle", word("off")},   {"PaperPosition", box(18, 180, 576, 432)},
        {"PaperUnits", word("points")}, {"Position", box(232, 258, 560, 438)},
        {"Tag", word("Fig1")},          {"ToolBar", word("none")},
    };
    // A window with a menu bar leaves the property out: the host's default
    // menu bar shows.
    if (menuBar) props.erase(props.begin() + 2);
    return mlfNFigure(props);
}

Handle smallDialog(const std::string& name, const Value& position, const Value& colormap) {
    return mlfNFigure({
        {"Units", word("points")},
        {"Color", panelColour()},
        {"Colormap", colormap},
        {"HandleVisibility", word("callback")},
        {"IntegerHandle", word("off")},
        {"MenuBar", word("none")},
        {"Name", Value::text(name)},
        {"NumberTitle", word("off")},
        {"PaperPosition", box(18, 180, 576, 432)},
        {"PaperUnits", word("points")},
        {"Position", position},
        {"Resize", word("off")},
        {"Tag", word("TMWWaitbar")},
        {"ToolBar", word("none")},
    });
}

Handle control(Handle window, PropertyList props, bool withListboxTop) {
    if (withListboxTop && !names(props, "ListboxTop")) props.push_back({"ListboxTop", number(0)});
    std::stable_sort(props.begin(), props.end(), [](const auto& a, const auto& b) {
        return lowered(a.first) < lowered(b.first);
    });
    PropertyList all = {{"Parent", number(window)}, {"Units", word("points")}};
    for (auto& p : props) all.push_back(std::move(p));
    return mlfNUicontrol(window, all);
}

Handle frame(Handle window, const Value& position) {
    return control(window, {{"BackgroundColor", panelColour()},
                            {"Position", position},
                            {"Style", word("frame")},
                            {"Tag", word("Frame1")}});
}

Handle upperPanel(Handle window) {
    return control(window, {{"BackgroundColor", panelColour()},
                            {"FontSize", number(9)},
                            {"FontWeight", word("light")},
                            {"Position", box(20, 85, 380, 215)},
                            {"Style", word("frame")},
                            {"Tag", word("Frame1")}});
}

Handle lowerPanel(Handle window) {
    return frame(window, box(20, 20, 380, 45));
}

Handle label(Handle window, const Value& position, const std::string& text, double fontSize,
             Align align) {
    PropertyList props = {{"BackgroundColor", panelColour()},
                          {"FontName", word("Time")},
                          {"FontSize", number(fontSize)},
                          {"FontWeight", word("light")},
                          {"Position", position},
                          {"String", Value::text(text)},
                          {"Style", word("text")},
                          {"Tag", word("StaticText1")}};
    if (align == Align::Left) props.push_back({"HorizontalAlignment", word("left")});
    return control(window, std::move(props));
}

Handle pushButton(Handle window, const Value& position, const std::string& caption,
                  const std::string& callback, CaptionColour colour, Align align) {
    // No "Style": the host's default control is the push button.
    PropertyList props = {{"BackgroundColor", buttonFace()}, {"Callback", Value::text(callback)},
                          {"FontName", word("Time")},        {"FontSize", number(10)},
                          {"FontWeight", word("light")},     {"Position", position},
                          {"String", Value::text(caption)},  {"Tag", word("Pushbutton1")}};
    if (colour == CaptionColour::Navigation) {
        props.push_back({"ForegroundColor", navigationTextColour()});
    }
    if (align == Align::Left) props.push_back({"HorizontalAlignment", word("left")});
    return control(window, std::move(props));
}

Handle editField(Handle window, double left, double bottom, const Value& value) {
    return control(window, {{"BackgroundColor", fieldColour()},
                            {"FontName", word("fixedsys")},
                            {"FontSize", number(11)},
                            {"FontWeight", word("light")},
                            {"HorizontalAlignment", word("right")},
                            {"Position", box(left, bottom, 50.25, 15)},
                            {"String", mlfNum2str(value)},
                            {"Style", word("edit")},
                            {"Tag", word("EditText1")}});
}

Handle listBox(Handle window, const Value& position, const Value& lines, PropertyList selection,
               bool withListboxTop) {
    PropertyList props = {
        {"BackgroundColor", fieldColour()}, {"FontName", word("Fixedsys")}, {"FontSize", number(9)},
        {"FontWeight", word("light")},      {"Position", position},         {"String", lines},
        {"Style", word("listbox")},         {"Tag", word("Listbox1")}};
    for (auto& p : selection) props.push_back(std::move(p));
    return control(window, std::move(props), withListboxTop);
}

}  // namespace velmora::screen
