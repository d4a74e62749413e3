// The results windows and their plot windows, driven through velmora-script
// as a user presses the buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/script_runner.h"

namespace velmora {
namespace {

using namespace velmora::testing;
using nlohmann::json;

const std::string kOption1 = "VELMORA: OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS";
const std::string kOption2 = "VELMORA: OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO";
const char* const kButtons[] = {"Ground Acceleration Time History", "Spectral Displacement",
                                "Pseudo Spectral Velocity", "Spectral Velocity",
                                "Spectral Acceleration"};
const char* const kPlotNames[] = {"Acceleration Time History", "Spectral Displacement",
                                  "Pseudo Spectral Velocity", "Spectral Velocity",
                                  "Spectral Acceleration"};

// Presses every plot button of the results window `window`.
std::string pressAllPlots(const std::string& window) {
    std::string s;
    for (const char* b : kButtons) s += "window " + window + "\npress " + b + "\n";
    return s;
}

const json& onlyFigure(const json& dump, const std::string& name) {
    static json none;
    const auto figs = figuresNamed(dump, name);
    EXPECT_EQ(figs.size(), 1u) << name;
    if (figs.empty()) return none;
    // figuresNamed returns copies; find the same object in the dump.
    for (const auto& f : dump.at("figures")) {
        if (f.at("handle") == figs[0].at("handle")) return f;
    }
    return none;
}

const json& axesOf(const json& figure) {
    static json none;
    for (const auto& c : figure.at("children")) {
        if (c.at("type") == "axes") return c;
    }
    ADD_FAILURE() << "no axes";
    return none;
}

std::vector<json> ofType(const json& parent, const std::string& type) {
    return childrenOfType(parent, type);
}

// The String of one of the axes' label texts.
std::vector<std::string> labelText(const json& axes, const std::string& which) {
    const double h = propNumbers(axes, which).at(0);
    for (const auto& t : axes.at("children")) {
        if (t.at("handle").get<double>() == h) return textRows(prop(t, "String"));
    }
    ADD_FAILURE() << which << " text not found";
    return {};
}

TEST(ResultsWindows, Option1RunToItsFivePlotWindows) {
    const auto r = runScript("set option 1\neval velmora_gui06(0)\ndump\n" +
                             pressAllPlots(kOption1) + "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.errors.empty()) << r.out;
    const auto& d0 = r.dumps[0];
    const auto& d = r.dumps[1];

    const json& results = onlyFigure(d0, kOption1);
    const double n = results.at("handle").get<double>();
    EXPECT_EQ(propText(results, "MenuBar"), "none");
    // Legend and title values.
    EXPECT_EQ(textRows(global(d0, "legend1")),
              (std::vector<std::string>{"Damping Ratio = 0.02", "Damping Ratio = 0.05",
                                        "Damping Ratio = 0.1 ", "Damping Ratio = 0.15",
                                        "Damping Ratio = 0.2 "}));
    EXPECT_EQ(textRows(global(d0, "title1")), std::vector<std::string>{"Imperial Valley 1"});
    for (const char* h : {"fig1_acc", "fig1_sa", "fig2_acc", "fig2_sa"}) {
        EXPECT_EQ(scalar(global(d0, h)), -1) << h;
    }

    const char* handles[] = {"fig1_acc", "fig1_sd", "fig1_psv", "fig1_sv", "fig1_sa"};
    const char* arrays[] = {"ACC", "SD", "PSV", "SV", "SA"};
    const double legendCodes[] = {0, 4, 4, 4, 1};
    for (int i = 0; i < 5; ++i) {
        const json& fig = onlyFigure(d, std::string("FIG/VELMORA: OPTION 1 - ") + kPlotNames[i]);
        // Numbered one above the window before it.
        EXPECT_EQ(fig.at("handle").get<double>(), n + 1 + i);
        EXPECT_EQ(scalar(global(d, handles[i])), n + 1 + i);
        EXPECT_EQ(propText(fig, "NumberTitle"), "off");
        const json& axes = axesOf(fig);
        EXPECT_EQ(propText(axes, "XScale"), i == 0 ? "linear" : "log");
        EXPECT_EQ(propText(axes, "XGrid"), "on");
        EXPECT_EQ(propText(axes, "YGrid"), "on");
        EXPECT_EQ(labelText(axes, "Title"), std::vector<std::string>{"Imperial Valley 1"});
        EXPECT_EQ(labelText(axes, "XLabel")[0], i == 0 ? "Time - seconds" : "Period - seconds");
        // One line per row of the array, holding exactly its data.
        const auto lines = ofType(axes, "line");
        const auto y = numbers(global(d, arrays[i]));
        ASSERT_EQ(lines.size(), y.size()) << arrays[i];
        for (std::size_t k = 0; k < lines.size(); ++k) {
            EXPECT_EQ(propNumbers(lines[k], "YData"), y[k]);
        }
        const auto legends = ofType(axes, "legend");
        if (legendCodes[i] == 0) {
            EXPECT_TRUE(legends.empty());
        } else {
            ASSERT_EQ(legends.size(), 1u);
            EXPECT_EQ(propNumbers(legends[0], "Location")[0], legendCodes[i]);
            EXPECT_EQ(textRows(prop(legends[0], "String")), textRows(global(d, "legend1")));
        }
    }
}

TEST(ResultsWindows, RaisingReopeningAndClosingPlotWindows) {
    const std::string setup = "set option 1\neval velmora_gui06(0)\nclose VELMORA: Welcome\n";
    const auto r = runScript(setup +
                             // Two presses: one window.
                             "press Spectral Displacement\nwindow " + kOption1 +
                             "\npress Spectral Displacement\ndump\n"
                             // Close it through its frame; the button opens a new one.
                             "close FIG/VELMORA: OPTION 1 - Spectral Displacement\nwindow " +
                             kOption1 + "\npress Spectral Displacement\ndump\n" + "window " +
                             kOption1 + "\npress Spectral Acceleration\n" + "window " + kOption1 +
                             "\npress CLOSE FIG.\ndump\n" + "window " + kOption1 +
                             "\npress CLOSE FIG.\ndump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.errors.empty()) << r.out;
    ASSERT_EQ(r.dumps.size(), 4u);
    const double n = onlyFigure(r.dumps[0], kOption1).at("handle").get<double>();

    const auto& once = r.dumps[0];
    EXPECT_EQ(once.at("figures").size(), 2u);
    EXPECT_EQ(scalar(global(once, "fig1_sd")), n + 1);
    EXPECT_EQ(once.at("current").get<double>(), n + 1);  // raised and current

    // The closed window's number stays remembered, so the new one is above it.
    const auto& reopened = r.dumps[1];
    EXPECT_EQ(scalar(global(reopened, "fig1_sd")), n + 2);
    EXPECT_EQ(reopened.at("figures").size(), 2u);

    // CLOSE FIG. closes this window's plots only and forgets them; a second
    // CLOSE FIG. does nothing.
    const auto& closed = r.dumps[2];
    EXPECT_EQ(closed.at("figures").size(), 1u);
    EXPECT_EQ(scalar(global(closed, "fig1_sd")), -1);
    EXPECT_EQ(scalar(global(closed, "fig1_sa")), -1);
    EXPECT_EQ(r.dumps[3].at("figures"), closed.at("figures"));
}

TEST(ResultsWindows, BackLeadsToASecondRunWithFewerRatios) {
    // BACK from the results, BACK again to the Option 1 screen, two ratios.
    const auto r =
        runScript("set option 1\neval velmora_gui06(0)\npress Spectral Velocity\nwindow " +
                  kOption1 + "\npress BACK\ndump\npress BACK\nedit 1 2\npress DONE\n" +
                  "edit 1 0.07\npress DONE\ndump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.errors.empty()) << r.out;
    ASSERT_EQ(r.dumps.size(), 2u) << r.out;
    // BACK opens the damping ratios screen; the plot window stays open.
    const auto& back = r.dumps[0];
    EXPECT_EQ(figuresNamed(back, "FIG/VELMORA: OPTION 1 - Spectral Velocity").size(), 1u);
    const auto screens = figuresNamed(back, kOption1);
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(controlsOfStyle(screens[0], "edit").size(), 5u);
    // The second run has two rows and forgets the earlier plot window.
    const auto& second = r.dumps[1];
    EXPECT_EQ(numbers(global(second, "SD")).size(), 2u);
    EXPECT_EQ(numbers(global(second, "damp"))[0], (std::vector<double>{0.07, 0.05}));
    EXPECT_EQ(scalar(global(second, "fig1_sv")), -1);
    EXPECT_EQ(figuresNamed(second, "FIG/VELMORA: OPTION 1 - Spectral Velocity").size(), 1u);
}

TEST(ResultsWindows, Option2LegendsTitlesAndMenuBar) {
    const auto r = runScript("set option 2\neval velmora_gui06(0)\ndump\n" +
                             pressAllPlots(kOption2) + "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.errors.empty()) << r.out;
    const auto& d = r.dumps[1];
    const json& results = onlyFigure(d, kOption2);
    EXPECT_TRUE(prop(results, "MenuBar").is_null());  // the host's default menu bar
    const std::vector<std::string> names = {"Imperial Valley 1", "Northridge 1     ",
                                            "Pacoima Dam 1    "};
    EXPECT_EQ(textRows(global(d, "legend2")), names);
    EXPECT_EQ(textRows(global(d, "title2")), std::vector<std::string>{"Damping Ratio = 0.02"});
    const double codes[] = {4, 4, 4, 4, 1};
    for (int i = 0; i < 5; ++i) {
        const json& fig = onlyFigure(d, std::string("FIG/VELMORA: OPTION 2 - ") + kPlotNames[i]);
        const json& axes = axesOf(fig);
        EXPECT_EQ(ofType(axes, "line").size(), 3u);
        EXPECT_EQ(labelText(axes, "Title"), std::vector<std::string>{"Damping Ratio = 0.02"});
        const auto legends = ofType(axes, "legend");
        ASSERT_EQ(legends.size(), 1u) << kPlotNames[i];
        EXPECT_EQ(propNumbers(legends[0], "Location")[0], codes[i]);
        EXPECT_EQ(textRows(prop(legends[0], "String")), names);
    }
}

TEST(ResultsWindows, Record21IsTitledElcentroAndNoRecordsDrawEmpty) {
    const auto r = runScript(
        "set option 1\nset RECORD 21\nset numdamp 1\neval velmora_gui06(0)\n"
        "press Spectral Acceleration\ndump\n"
        "set option 2\nset EQ []\nset numquakes 0\nset SCALE2 []\n"
        "eval velmora_gui06(0)\n" +
        pressAllPlots(kOption2) + "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.errors.empty()) << r.out;
    const json& sa = onlyFigure(r.dumps[0], "FIG/VELMORA: OPTION 1 - Spectral Acceleration");
    EXPECT_EQ(labelText(axesOf(sa), "Title"), std::vector<std::string>{"Elcentro"});
    EXPECT_EQ(ofType(axesOf(sa), "line").size(), 1u);

    const auto& empty = r.dumps[1];
    EXPECT_TRUE(numbers(global(empty, "SD")).empty());
    for (const char* name : kPlotNames) {
        const json& fig = onlyFigure(empty, std::string("FIG/VELMORA: OPTION 2 - ") + name);
        const json& axes = axesOf(fig);
        EXPECT_TRUE(ofType(axes, "line").empty()) << name;
        EXPECT_FALSE(labelText(axes, "YLabel").empty());
    }
}

}  // namespace
}  // namespace velmora
