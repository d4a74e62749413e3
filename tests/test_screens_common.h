// What the screen tests share: window names, the script lines that reach
// each screen, and readers of the dumped window trees.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/script_runner.h"

namespace velmora::screens_test {

using nlohmann::json;
using namespace velmora::testing;
using Names = std::vector<std::string>;
using Row = std::vector<double>;

inline const std::string kWelcome = "VELMORA: Welcome";
inline const std::string kOption1 =
    "VELMORA: OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS";
inline const std::string kOption2 =
    "VELMORA: OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO";
inline const std::string kError = "VELMORA: Error";

// Script lines: from the welcome window to an option's input screen, and
// back to a screen after an error window took the top.
inline const std::string kToOption1 =
    "press OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS \n";
inline const std::string kToOption2 =
    "press OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO \n";
inline const std::string kBackToOption1 = "window " + kOption1 + "\n";
inline const std::string kDismissError = "window " + kError + "\npress BACK\n";

// A colour given on the 0 to 255 scale.
inline Row rgb(double r, double g, double b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}
inline const Row kPanel = rgb(167, 186, 167);
inline const Row kButtonFace = rgb(227, 224, 219);

// The properties a frame, a label and a push button are given, in order.
inline const Names kFrameProps = {"Parent", "Units", "BackgroundColor", "ListboxTop", "Position",
                                  "Style",  "Tag"};
inline const Names kLabelProps = {
    "Parent",     "Units",    "BackgroundColor", "FontName", "FontSize", "FontWeight",
    "ListboxTop", "Position", "String",          "Style",    "Tag"};
inline const Names kButtonProps = {
    "Parent",     "Units",    "BackgroundColor", "Callback",
    "FontName",   "FontSize", "FontWeight",      "HorizontalAlignment",
    "ListboxTop", "Position", "String",          "Tag"};

// The properties every full-size window is given, in order.
inline const Names kWindowProps = {"Color",         "Colormap",   "MenuBar",  "Name", "NumberTitle",
                                   "PaperPosition", "PaperUnits", "Position", "Tag",  "ToolBar"};

// `names` with `added` put after `after`.
inline Names withAfter(Names names, const std::string& after, const std::string& added) {
    names.insert(std::find(names.begin(), names.end(), after) + 1, added);
    return names;
}

// Runs a session and fails the test when it did not end cleanly.
inline ScriptResult session(const std::string& script,
                            const std::vector<std::string>& extraEnv = {}) {
    ScriptResult r = runScript(script, extraEnv);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.errors.empty()) << r.out;
    return r;
}

// The one open window named `name` (an empty object when there is none or
// several, which the test reports).
inline json onlyWindow(const json& dump, const std::string& name) {
    const auto found = figuresNamed(dump, name);
    EXPECT_EQ(found.size(), 1u) << "windows named " << name;
    return found.size() == 1
               ? found[0]
               : json::object({{"props", json::object()}, {"children", json::array()}});
}

inline std::size_t windowCount(const json& dump) {
    return dump.at("figures").size();
}

inline std::size_t countNamed(const json& dump, const std::string& name) {
    return figuresNamed(dump, name).size();
}

inline std::vector<json> controls(const json& window) {
    return childrenOfType(window, "uicontrol");
}

// The controls of style `style` of the one window named `name`.
inline std::vector<json> styled(const json& dump, const std::string& name,
                                const std::string& style) {
    return controlsOfStyle(onlyWindow(dump, name), style);
}

// Property names of the newest window named `name` in the last dump, in
// the order given, then those of each of its controls, in creation order.
// The dump is read again keeping its objects' keys in the order printed,
// which is the order in which each object's properties were given.
inline std::vector<Names> propertyOrder(const ScriptResult& r, const std::string& name) {
    const auto keys = [](const nlohmann::ordered_json& props) {
        Names names;
        for (const auto& item : props.items()) names.push_back(item.key());
        return names;
    };
    nlohmann::ordered_json last;
    for (const auto& line : r.outLines()) {
        if (line.rfind("{\"globals\"", 0) == 0) last = nlohmann::ordered_json::parse(line);
    }
    std::vector<Names> out;
    for (const auto& f : last.is_null() ? last : last.at("figures")) {
        const auto& rows = f.at("props").contains("Name") ? f.at("props").at("Name").at("rows")
                                                          : nlohmann::ordered_json::array();
        if (rows.empty() || rows[0] != name) continue;
        out = {keys(f.at("props"))};
        for (const auto& c : f.at("children")) out.push_back(keys(c.at("props")));
    }
    return out;
}

inline Names texts(const std::vector<json>& objects, const std::string& prop) {
    Names out;
    for (const auto& o : objects) out.push_back(propText(o, prop));
    return out;
}

// The object's text properties hold the given values.
inline void expectTexts(const json& object,
                        const std::vector<std::pair<std::string, std::string>>& expected) {
    for (const auto& [name, value] : expected) EXPECT_EQ(propText(object, name), value) << name;
}

// What a control shows: its style, text, callback and place.
struct Shown {
    std::string style, string, callback;
    Row position;
};
inline void expectShown(const json& window, const std::vector<Shown>& expected) {
    const auto c = controls(window);
    ASSERT_EQ(c.size(), expected.size());
    for (std::size_t i = 0; i < c.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(propText(c[i], "Style"), expected[i].style);
        EXPECT_EQ(propText(c[i], "String"), expected[i].string);
        EXPECT_EQ(propText(c[i], "Callback"), expected[i].callback);
        EXPECT_EQ(propNumbers(c[i], "Position"), expected[i].position);
    }
}

// What every input screen shows: two frames, BACK and QUIT, then `labels`,
// DONE and `rest`; `gui` names the screen's callback.
inline std::vector<Shown> inputScreen(const std::string& gui, const std::vector<Shown>& labels,
                                      const std::vector<Shown>& rest) {
    std::vector<Shown> shown = {{"frame", "", "", {20, 85, 380, 215}},
                                {"frame", "", "", {20, 20, 380, 45}},
                                {"", "BACK", gui + "(1)", {160, 30, 100, 25}},
                                {"", "QUIT", gui + "(2)", {40, 30, 100, 25}}};
    shown.insert(shown.end(), labels.begin(), labels.end());
    shown.push_back({"", "DONE", gui + "(3)", {280, 30, 100, 25}});
    shown.insert(shown.end(), rest.begin(), rest.end());
    return shown;
}

inline double handleOf(const json& object) {
    return object.at("handle").get<double>();
}

inline Row row(const json& dump, const std::string& name) {
    Row out;
    for (const auto& r : numbers(global(dump, name))) out.insert(out.end(), r.begin(), r.end());
    return out;
}

inline double scalarOf(const json& dump, const std::string& name) {
    return scalar(global(dump, name));
}

// The dump's scalar globals hold the given values.
inline void expectStored(const json& dump,
                         const std::vector<std::pair<std::string, double>>& expected) {
    for (const auto& [name, value] : expected) EXPECT_EQ(scalarOf(dump, name), value) << name;
}

}  // namespace velmora::screens_test
