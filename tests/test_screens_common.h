// What the screen tests share: window names, the script lines that reach
// each screen, and readers of the dumped window trees.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/script_runner.h"

namespace velmora::screens_test {

using nlohmann::json;
using namespace velmora::testing;

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
inline const std::string kBackToOption2 = "window " + kOption2 + "\n";
inline const std::string kDismissError = "window " + kError + "\npress BACK\n";

// A colour given on the 0 to 255 scale.
inline std::vector<double> rgb(double r, double g, double b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}
inline const std::vector<double> kPanel = rgb(167, 186, 167);
inline const std::vector<double> kButtonFace = rgb(227, 224, 219);
inline const std::vector<double> kNavigationText = rgb(62, 62, 62);
inline const std::vector<double> kWhite = {1, 1, 1};

// Runs a session and fails the test when it did not end cleanly.
inline ScriptResult session(const std::string& script) {
    ScriptResult r = runScript(script);
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

inline std::vector<json> controls(const json& window) {
    return childrenOfType(window, "uicontrol");
}

// The last dump read again with its objects' keys in the order printed,
// which is the order in which each object's properties were given.
inline nlohmann::ordered_json lastOrderedDump(const ScriptResult& r) {
    nlohmann::ordered_json last;
    for (const auto& line : r.outLines()) {
        if (line.rfind("{\"globals\"", 0) == 0) last = nlohmann::ordered_json::parse(line);
    }
    return last;
}

// Property names of every control of the newest window named `name`, in
// creation order, each list in the order the properties were given.
inline std::vector<std::vector<std::string>> controlPropertyOrder(const ScriptResult& r,
                                                                  const std::string& name) {
    std::vector<std::vector<std::string>> out;
    const auto dump = lastOrderedDump(r);
    if (dump.is_null()) return out;
    for (const auto& f : dump.at("figures")) {
        const auto& props = f.at("props");
        if (!props.contains("Name") || props.at("Name").at("rows").empty() ||
            props.at("Name").at("rows")[0] != name) {
            continue;
        }
        out.clear();
        for (const auto& c : f.at("children")) {
            std::vector<std::string> names;
            for (const auto& item : c.at("props").items()) names.push_back(item.key());
            out.push_back(names);
        }
    }
    return out;
}

// Property names of the newest window named `name`, in the order given.
inline std::vector<std::string> windowPropertyOrder(const ScriptResult& r,
                                                    const std::string& name) {
    std::vector<std::string> names;
    const auto dump = lastOrderedDump(r);
    if (dump.is_null()) return names;
    for (const auto& f : dump.at("figures")) {
        const auto& props = f.at("props");
        if (!props.contains("Name") || props.at("Name").at("rows").empty() ||
            props.at("Name").at("rows")[0] != name) {
            continue;
        }
        names.clear();
        for (const auto& item : props.items()) names.push_back(item.key());
    }
    return names;
}

inline std::vector<std::string> texts(const std::vector<json>& objects, const std::string& prop) {
    std::vector<std::string> out;
    for (const auto& o : objects) out.push_back(propText(o, prop));
    return out;
}

inline double handleOf(const json& object) {
    return object.at("handle").get<double>();
}

inline std::vector<double> row(const json& dump, const std::string& name) {
    std::vector<double> out;
    for (const auto& r : numbers(global(dump, name))) out.insert(out.end(), r.begin(), r.end());
    return out;
}

}  // namespace velmora::screens_test
