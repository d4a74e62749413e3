// The welcome window: its layout, its two option buttons, and the layout
// file it reads each time it is built.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/matfile.h"
#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

TEST(WelcomeWindow, IsAStandardWindowWithItsEightControlsInOrderAndTheStartValues) {
    const auto r = session("dump\n");
    const auto& dump = r.lastDump();
    ASSERT_EQ(windowCount(dump), 1u);
    const auto window = onlyWindow(dump, kWelcome);

    EXPECT_EQ(propNumbers(window, "Color"), rgb(0, 64, 64));
    EXPECT_EQ(propNumbers(window, "Position"), (Row{232, 258, 560, 438}));
    EXPECT_EQ(propNumbers(window, "PaperPosition"), (Row{18, 180, 576, 432}));
    expectTexts(
        window,
        {{"MenuBar", "none"}, {"ToolBar", "none"}, {"NumberTitle", "off"}, {"Tag", "Fig1"}});
    EXPECT_EQ(numbers(prop(window, "Colormap")), numbers(global(dump, "mat0")));

    const std::string option1 = "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ";
    const std::string option2 = "OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO ";
    expectShown(window, {{"frame", "", "", {20, 170, 380, 130}},
                         {"frame", "", "", {20, 20, 380, 130}},
                         {"text", "VELMORA", "", {111.75, 248.25, 193.5, 33}},
                         {"", option1, "velmora_gui01(1)", {39, 99.75, 340.5, 30}},
                         {"", option2, "velmora_gui01(2)", {40, 40, 340, 30}},
                         {"text", "Version as of January, 2001", "", {124.5, 205.5, 167.25, 15}},
                         {"text", "\u00a9 the VELMORA developers", "", {124.5, 184.5, 167.25, 15}},
                         {"text", "A Brevanto Program", "", {124.5, 227.25, 167.25, 15}}});
    const auto c = controls(window);
    EXPECT_EQ(texts(c, "Tag"), (Names{"Frame1", "Frame1", "StaticText1", "Pushbutton1",
                                      "Pushbutton1", "StaticText1", "StaticText1", "StaticText1"}));
    const Row fontSizes[] = {{}, {}, {24}, {10}, {10}, {9.5}, {9.5}, {10}};
    for (std::size_t i = 0; i < c.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(propText(c[i], "Units"), "points");
        EXPECT_EQ(propNumbers(c[i], "ListboxTop"), Row{0});
        EXPECT_EQ(propNumbers(c[i], "Parent"), Row{handleOf(window)});
        EXPECT_EQ(propNumbers(c[i], "FontSize"), fontSizes[i]);
        const bool button = i == 3 || i == 4;
        EXPECT_EQ(propNumbers(c[i], "BackgroundColor"), button ? kButtonFace : kPanel);
        // The labels are centred by the host: none names an alignment.
        EXPECT_EQ(propText(c[i], "HorizontalAlignment"), button ? "left" : "");
        if (i < 2 || button) continue;
        expectTexts(c[i], {{"FontName", "Time"}, {"FontWeight", "light"}});
    }
    EXPECT_EQ(propertyOrder(r, kWelcome),
              (std::vector<Names>{kWindowProps, kFrameProps, kFrameProps, kLabelProps, kButtonProps,
                                  kButtonProps, kLabelProps, kLabelProps, kLabelProps}));

    // A start value no screen shows, untouched by the shipped layout file.
    EXPECT_EQ(row(dump, "SCALE2"), (Row{1, 2, 1}));
}

// A layout file that also holds RECORD and numdamp, in a data folder of
// its own.
TEST(WelcomeLayoutFile, EachBuildResetsTheNamesTheFileHolds) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("velmora-welcome-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    saveMatFile((folder / "velmora_gui.mat").string(),
                {{"mat0", Value::matrix(2, 3, {0, 1, 0, 1, 0, 1})},
                 {"mat1", Value::matrix(1, 3, {0, 0, 1})},
                 {"mat2", Value::matrix(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1})},
                 {"mat3", Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1})},
                 {"RECORD", Value::scalar(7)},
                 {"numdamp", Value::scalar(2)}});
    // BACK stores record 3 (list position 4) and 4 ratios, then rebuilds the
    // welcome window, which puts the file's record and count back.
    const auto r = session("dump\n" + kToOption1 + "dump\nselect 4\nedit 1 4\npress BACK\ndump\n",
                           {"VELMORA_DATA=" + folder.string()});
    std::filesystem::remove_all(folder);
    ASSERT_EQ(r.dumps.size(), 3u) << r.out;
    expectStored(r.dumps[0], {{"RECORD", 7}, {"numdamp", 2}});
    EXPECT_EQ(numbers(global(r.dumps[0], "mat0")), (std::vector<Row>{{0, 0, 0}, {1, 1, 1}}));
    // The screen shows the file's choices.
    EXPECT_EQ(propNumbers(styled(r.dumps[1], kOption1, "listbox").at(0), "Value"), Row{8});
    EXPECT_EQ(propText(styled(r.dumps[1], kOption1, "edit").at(0), "String"), "2");
    // Names the file lacks keep their values; those it holds are reset.
    const auto& back = r.dumps[2];
    EXPECT_EQ(countNamed(back, kWelcome), 1u);
    expectStored(back, {{"RECORD", 7}, {"numdamp", 2}});
    EXPECT_EQ(row(back, "damp"), (Row{0.02, 0.05, 0.1, 0.15, 0.2}));
}

}  // namespace
}  // namespace velmora::screens_test
