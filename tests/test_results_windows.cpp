// The results windows and their plot windows, driven through velmora-script
// as a user presses the buttons.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

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

json axesOf(const json& figure) {
    return childrenOfType(figure, "axes").at(0);
}

// The String of one of the axes' label texts.
Names labelText(const json& axes, const std::string& which) {
    const double h = propNumbers(axes, which).at(0);
    for (const auto& t : axes.at("children")) {
        if (handleOf(t) == h) return textRows(prop(t, "String"));
    }
    ADD_FAILURE() << which << " text not found";
    return {};
}

TEST(ResultsWindows, EachOptionRunsToItsFivePlotWindows) {
    struct Case {
        std::string option, window;
        Names legend, title;
        double legendCodes[5];
    };
    const Case cases[] = {
        {"1",
         kOption1,
         {"Damping Ratio = 0.02", "Damping Ratio = 0.05", "Damping Ratio = 0.1 ",
          "Damping Ratio = 0.15", "Damping Ratio = 0.2 "},
         {"Imperial Valley 1"},
         {0, 4, 4, 4, 1}},
        {"2",
         kOption2,
         {"Imperial Valley 1", "Northridge 1     ", "Pacoima Dam 1    "},
         {"Damping Ratio = 0.02"},
         {4, 4, 4, 4, 1}},
    };
    const char* arrays[] = {"ACC", "SD", "PSV", "SV", "SA"};
    const char* handles[] = {"_acc", "_sd", "_psv", "_sv", "_sa"};
    for (const auto& c : cases) {
        SCOPED_TRACE("option " + c.option);
        const auto r = session("set option " + c.option + "\neval velmora_gui06(0)\ndump\n" +
                               pressAllPlots(c.window) + "dump\n");
        ASSERT_EQ(r.dumps.size(), 2u);
        const auto& d0 = r.dumps[0];
        const auto& d = r.dumps[1];
        const json results = onlyWindow(d0, c.window);
        const double n = handleOf(results);
        // Option 2's window keeps the host's default menu bar.
        EXPECT_EQ(prop(results, "MenuBar").is_null(), c.option == "2");
        EXPECT_EQ(propText(results, "MenuBar"), c.option == "1" ? "none" : "");
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(kPlotNames[i]);
            const std::string handle = "fig" + c.option + handles[i];
            EXPECT_EQ(scalarOf(d0, handle), -1);
            const json fig =
                onlyWindow(d, "FIG/VELMORA: OPTION " + c.option + " - " + kPlotNames[i]);
            // Numbered one above the window before it.
            EXPECT_EQ(handleOf(fig), n + 1 + i);
            EXPECT_EQ(scalarOf(d, handle), n + 1 + i);
            EXPECT_EQ(propText(fig, "NumberTitle"), "off");
            const json axes = axesOf(fig);
            EXPECT_EQ(propText(axes, "XScale"), i == 0 ? "linear" : "log");
            EXPECT_EQ(propText(axes, "XGrid"), "on");
            EXPECT_EQ(propText(axes, "YGrid"), "on");
            EXPECT_EQ(labelText(axes, "Title"), c.title);
            EXPECT_EQ(labelText(axes, "XLabel")[0], i == 0 ? "Time - seconds" : "Period - seconds");
            // One line per row of the array, holding exactly its data: one
            // per ratio or record, and Option 1's one record.
            std::vector<Row> drawn;
            for (const auto& line : childrenOfType(axes, "line")) {
                drawn.push_back(propNumbers(line, "YData"));
            }
            EXPECT_EQ(drawn, numbers(global(d, arrays[i])));
            EXPECT_EQ(drawn.size(), i == 0 && c.option == "1" ? 1u : c.legend.size());
            const auto legends = childrenOfType(axes, "legend");
            ASSERT_EQ(legends.size(), c.legendCodes[i] == 0 ? 0u : 1u);
            if (legends.empty()) continue;
            EXPECT_EQ(propNumbers(legends[0], "Location")[0], c.legendCodes[i]);
            EXPECT_EQ(textRows(prop(legends[0], "String")), c.legend);
        }
    }
}

TEST(ResultsWindows, Record21IsTitledElcentroAndNoRecordsDrawEmpty) {
    const auto r = session(
        "set option 1\nset RECORD 21\nset numdamp 1\neval velmora_gui06(0)\n"
        "press Spectral Acceleration\ndump\n"
        "set option 2\nset EQ []\nset numquakes 0\nset SCALE2 []\n"
        "eval velmora_gui06(0)\n" +
        pressAllPlots(kOption2) + "dump\n");
    ASSERT_EQ(r.dumps.size(), 2u);
    const json sa = axesOf(onlyWindow(r.dumps[0], "FIG/VELMORA: OPTION 1 - Spectral Acceleration"));
    EXPECT_EQ(labelText(sa, "Title"), Names{"Elcentro"});
    EXPECT_EQ(childrenOfType(sa, "line").size(), 1u);

    const auto& empty = r.dumps[1];
    EXPECT_TRUE(numbers(global(empty, "SD")).empty());
    for (const char* name : kPlotNames) {
        const json axes = axesOf(onlyWindow(empty, std::string("FIG/VELMORA: OPTION 2 - ") + name));
        EXPECT_TRUE(childrenOfType(axes, "line").empty()) << name;
        EXPECT_FALSE(labelText(axes, "YLabel").empty());
    }
}

}  // namespace
}  // namespace velmora::screens_test
