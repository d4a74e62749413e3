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

using Names = std::vector<std::string>;

TEST(WelcomeWindow, IsAStandardWindowWithItsEightControlsInOrder) {
    const auto r = session("dump\n");
    const auto& dump = r.lastDump();
    ASSERT_EQ(windowCount(dump), 1u);
    const auto window = onlyWindow(dump, kWelcome);

    EXPECT_EQ(windowPropertyOrder(r, kWelcome),
              (Names{"Color", "Colormap", "MenuBar", "Name", "NumberTitle", "PaperPosition",
                     "PaperUnits", "Position", "Tag", "ToolBar"}));
    EXPECT_EQ(propNumbers(window, "Color"), rgb(0, 64, 64));
    EXPECT_EQ(propNumbers(window, "Position"), (std::vector<double>{232, 258, 560, 438}));
    EXPECT_EQ(propNumbers(window, "PaperPosition"), (std::vector<double>{18, 180, 576, 432}));
    EXPECT_EQ(propText(window, "MenuBar"), "none");
    EXPECT_EQ(propText(window, "ToolBar"), "none");
    EXPECT_EQ(propText(window, "NumberTitle"), "off");
    EXPECT_EQ(propText(window, "Tag"), "Fig1");
    EXPECT_EQ(numbers(prop(window, "Colormap")), numbers(global(dump, "mat0")));

    const auto c = controls(window);
    ASSERT_EQ(c.size(), 8u);
    EXPECT_EQ(texts(c, "Style"), (Names{"frame", "frame", "text", "", "", "text", "text", "text"}));
    EXPECT_EQ(texts(c, "Tag"), (Names{"Frame1", "Frame1", "StaticText1", "Pushbutton1",
                                      "Pushbutton1", "StaticText1", "StaticText1", "StaticText1"}));
    const std::vector<std::vector<double>> positions = {
        {20, 170, 380, 130},        {20, 20, 380, 130},          {111.75, 248.25, 193.5, 33},
        {39, 99.75, 340.5, 30},     {40, 40, 340, 30},           {124.5, 205.5, 167.25, 15},
        {124.5, 184.5, 167.25, 15}, {124.5, 227.25, 167.25, 15},
    };
    for (std::size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(propNumbers(c[i], "Position"), positions[i]) << "control " << i + 1;
        EXPECT_EQ(propText(c[i], "Units"), "points");
        EXPECT_EQ(propNumbers(c[i], "ListboxTop"), (std::vector<double>{0}));
        EXPECT_EQ(propNumbers(c[i], "Parent"), (std::vector<double>{handleOf(window)}));
    }
    EXPECT_EQ(propText(c[2], "String"), "VELMORA");
    EXPECT_EQ(propText(c[3], "String"),
              "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ");
    EXPECT_EQ(propText(c[4], "String"),
              "OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO ");
    EXPECT_EQ(propText(c[5], "String"), "Version as of January, 2001");
    EXPECT_NE(propText(c[6], "String").find("the VELMORA developers"), std::string::npos);
    EXPECT_EQ(propText(c[7], "String"), "A Brevanto Program");
    EXPECT_EQ(propText(c[3], "Callback"), "velmora_gui01(1)");
    EXPECT_EQ(propText(c[4], "Callback"), "velmora_gui01(2)");
    EXPECT_EQ(propNumbers(c[2], "FontSize"), (std::vector<double>{24}));
    EXPECT_EQ(propNumbers(c[5], "FontSize"), (std::vector<double>{9.5}));
    EXPECT_EQ(propNumbers(c[6], "FontSize"), (std::vector<double>{9.5}));
    EXPECT_EQ(propNumbers(c[7], "FontSize"), (std::vector<double>{10}));
    for (std::size_t i : {0u, 1u, 2u, 5u, 6u, 7u}) {
        EXPECT_EQ(propNumbers(c[i], "BackgroundColor"), kPanel) << "control " << i + 1;
    }
    for (std::size_t i : {3u, 4u}) {
        EXPECT_EQ(propNumbers(c[i], "BackgroundColor"), kButtonFace);
        EXPECT_EQ(propNumbers(c[i], "FontSize"), (std::vector<double>{10}));
        EXPECT_EQ(propText(c[i], "HorizontalAlignment"), "left");
        EXPECT_TRUE(prop(c[i], "ForegroundColor").is_null());
    }
    // The labels are centred by the host: none names an alignment.
    for (std::size_t i : {2u, 5u, 6u, 7u}) {
        EXPECT_TRUE(prop(c[i], "HorizontalAlignment").is_null()) << "control " << i + 1;
        EXPECT_EQ(propText(c[i], "FontName"), "Time");
        EXPECT_EQ(propText(c[i], "FontWeight"), "light");
    }

    const Names frame = {"Parent", "Units", "BackgroundColor", "ListboxTop", "Position",
                         "Style",  "Tag"};
    const Names label = {"Parent",     "Units",      "BackgroundColor", "FontName", "FontSize",
                         "FontWeight", "ListboxTop", "Position",        "String",   "Style",
                         "Tag"};
    const Names button = {"Parent",     "Units",    "BackgroundColor", "Callback",
                          "FontName",   "FontSize", "FontWeight",      "HorizontalAlignment",
                          "ListboxTop", "Position", "String",          "Tag"};
    EXPECT_EQ(controlPropertyOrder(r, kWelcome),
              (std::vector<Names>{frame, frame, label, button, button, label, label, label}));
    EXPECT_EQ(scalar(global(dump, "err")), 0);
}

TEST(WelcomeWindow, OptionButtonsRecordTheOptionAndOpenItsScreen) {
    const auto one = session(kToOption1 + "dump\n");
    EXPECT_EQ(windowCount(one.lastDump()), 1u);
    EXPECT_EQ(figuresNamed(one.lastDump(), kOption1).size(), 1u);
    EXPECT_EQ(scalar(global(one.lastDump(), "option")), 1);

    const auto two = session(kToOption2 + "dump\n");
    EXPECT_EQ(windowCount(two.lastDump()), 1u);
    EXPECT_EQ(figuresNamed(two.lastDump(), kOption2).size(), 1u);
    EXPECT_EQ(scalar(global(two.lastDump(), "option")), 2);
}

TEST(WelcomeWindow, ShowsTheStartValuesUntouchedByTheShippedLayoutFile) {
    const auto r = session("dump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(scalar(global(dump, "RECORD")), 1);
    EXPECT_EQ(scalar(global(dump, "SCALE1")), 1);
    EXPECT_EQ(scalar(global(dump, "numdamp")), 5);
    EXPECT_EQ(row(dump, "damp"), (std::vector<double>{0.02, 0.05, 0.1, 0.15, 0.2}));
    EXPECT_EQ(row(dump, "EQ"), (std::vector<double>{1, 5, 10}));
    EXPECT_EQ(row(dump, "SCALE2"), (std::vector<double>{1, 2, 1}));
    EXPECT_EQ(scalar(global(dump, "DAMP")), 0.02);
}

// A layout file that also holds RECORD and numdamp, in a data folder of
// its own.
class WelcomeLayoutFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("velmora-welcome-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        saveMatFile((folder_ / "velmora_gui.mat").string(),
                    {{"mat0", Value::matrix(2, 3, {0, 1, 0, 1, 0, 1})},
                     {"mat1", Value::matrix(1, 3, {0, 0, 1})},
                     {"mat2", Value::matrix(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1})},
                     {"mat3", Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1})},
                     {"RECORD", Value::scalar(7)},
                     {"numdamp", Value::scalar(2)}});
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    ScriptResult run(const std::string& script) {
        ScriptResult r = runScript(script, {"VELMORA_DATA=" + folder_.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        return r;
    }

    std::filesystem::path folder_;
};

TEST_F(WelcomeLayoutFile, EachBuildResetsTheNamesTheFileHolds) {
    // BACK stores record 3 (list position 4) and 4 ratios, then rebuilds the
    // welcome window, which puts the file's record and count back.
    const auto r = run("dump\n" + kToOption1 + "dump\nselect 4\nedit 1 4\npress BACK\ndump\n");
    ASSERT_EQ(r.dumps.size(), 3u) << r.out;
    EXPECT_EQ(scalar(global(r.dumps[0], "RECORD")), 7);
    EXPECT_EQ(scalar(global(r.dumps[0], "numdamp")), 2);
    EXPECT_EQ(numbers(global(r.dumps[0], "mat0")),
              (std::vector<std::vector<double>>{{0, 0, 0}, {1, 1, 1}}));
    // The screen shows the file's choices.
    const auto option1 = onlyWindow(r.dumps[1], kOption1);
    EXPECT_EQ(propNumbers(controlsOfStyle(option1, "listbox").at(0), "Value"),
              (std::vector<double>{8}));
    EXPECT_EQ(propText(controlsOfStyle(option1, "edit").at(0), "String"), "2");
    // Names the file lacks keep their values; those it holds are reset.
    const auto& back = r.dumps[2];
    EXPECT_EQ(figuresNamed(back, kWelcome).size(), 1u);
    EXPECT_EQ(scalar(global(back, "RECORD")), 7);
    EXPECT_EQ(scalar(global(back, "numdamp")), 2);
    EXPECT_EQ(row(back, "damp"), (std::vector<double>{0.02, 0.05, 0.1, 0.15, 0.2}));
}

}  // namespace
}  // namespace velmora::screens_test
