// The Option 1 input screen: one record, the number of damping ratios and
// the scale factor.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

using Names = std::vector<std::string>;

TEST(Option1Screen, ShowsTheStoredChoicesInItsElevenControls) {
    const auto r = session(kToOption1 + "dump\n");
    const auto& dump = r.lastDump();
    const auto window = onlyWindow(dump, kOption1);
    EXPECT_EQ(propNumbers(window, "Position"), (std::vector<double>{232, 258, 560, 438}));
    EXPECT_EQ(propText(window, "Tag"), "Fig1");

    const auto c = controls(window);
    ASSERT_EQ(c.size(), 11u);
    EXPECT_EQ(texts(c, "Style"), (Names{"frame", "frame", "", "", "text", "text", "listbox", "",
                                        "edit", "edit", "text"}));
    auto strings = texts(c, "String");
    strings[6] = "(the list)";
    EXPECT_EQ(strings, (Names{"", "", "BACK", "QUIT", "Specify Number of DAMPING Ratios:",
                              "Select one EARTHQUAKE:", "(the list)", "DONE", "5", "1",
                              "Specify SCALE Factor:"}));
    const std::vector<std::vector<double>> positions = {
        {20, 85, 380, 215},           {20, 20, 380, 45},
        {160, 30, 100, 25},           {40, 30, 100, 25},
        {45, 114, 219.75, 19.5},      {45, 260, 165, 20},
        {39.75, 192.75, 340.5, 70.5}, {280, 30, 100, 25},
        {245, 116.25, 50.25, 15},     {180, 155, 50.25, 15},
        {45, 152.5, 130.75, 19.5},
    };
    for (std::size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(propNumbers(c[i], "Position"), positions[i]) << "control " << i + 1;
    }
    EXPECT_EQ(texts(c, "Callback"), (Names{"", "", "velmora_gui02(1)", "velmora_gui02(2)", "", "",
                                           "", "velmora_gui02(3)", "", "", ""}));
    EXPECT_EQ(propNumbers(c[2], "ForegroundColor"), kNavigationText);
    EXPECT_EQ(propNumbers(c[3], "ForegroundColor"), kNavigationText);
    EXPECT_TRUE(prop(c[7], "ForegroundColor").is_null());

    // The list shows every catalogue line, the chosen record selected and
    // scrolled to the top.
    const auto& list = c[6];
    EXPECT_EQ(textRows(prop(list, "String")), textRows(global(dump, "EQ_string")));
    EXPECT_EQ(textRows(prop(list, "String")).size(), 22u);
    EXPECT_EQ(propNumbers(list, "Value"), (std::vector<double>{2}));
    EXPECT_EQ(propNumbers(list, "ListboxTop"), (std::vector<double>{2}));
    EXPECT_EQ(propText(list, "FontName"), "Fixedsys");
    EXPECT_EQ(propNumbers(list, "FontSize"), (std::vector<double>{9}));
    EXPECT_EQ(propNumbers(list, "BackgroundColor"), kWhite);
    for (std::size_t i : {8u, 9u}) {
        EXPECT_EQ(propText(c[i], "FontName"), "fixedsys");
        EXPECT_EQ(propNumbers(c[i], "FontSize"), (std::vector<double>{11}));
        EXPECT_EQ(propText(c[i], "HorizontalAlignment"), "right");
        EXPECT_EQ(propText(c[i], "Tag"), "EditText1");
    }

    // The reading step finds its three controls through the stored handles.
    EXPECT_EQ(scalar(global(dump, "hlist")), handleOf(c[6]));
    EXPECT_EQ(scalar(global(dump, "hdamp")), handleOf(c[8]));
    EXPECT_EQ(scalar(global(dump, "hscale")), handleOf(c[9]));

    const Names upper = {"Parent",     "Units",    "BackgroundColor", "FontSize", "FontWeight",
                         "ListboxTop", "Position", "Style",           "Tag"};
    const Names lower = {"Parent", "Units", "BackgroundColor", "ListboxTop", "Position",
                         "Style",  "Tag"};
    const Names navigation = {"Parent",     "Units",           "BackgroundColor",
                              "Callback",   "FontName",        "FontSize",
                              "FontWeight", "ForegroundColor", "HorizontalAlignment",
                              "ListboxTop", "Position",        "String",
                              "Tag"};
    const Names label = {"Parent",
                         "Units",
                         "BackgroundColor",
                         "FontName",
                         "FontSize",
                         "FontWeight",
                         "HorizontalAlignment",
                         "ListboxTop",
                         "Position",
                         "String",
                         "Style",
                         "Tag"};
    const Names listBox = {"Parent",     "Units",      "BackgroundColor", "FontName", "FontSize",
                           "FontWeight", "ListboxTop", "Position",        "String",   "Style",
                           "Tag",        "Value"};
    const Names done = {"Parent",     "Units",    "BackgroundColor", "Callback",
                        "FontName",   "FontSize", "FontWeight",      "HorizontalAlignment",
                        "ListboxTop", "Position", "String",          "Tag"};
    const Names edit = label;
    EXPECT_EQ(controlPropertyOrder(r, kOption1),
              (std::vector<Names>{upper, lower, navigation, navigation, label, label, listBox, done,
                                  edit, edit, label}));
}

TEST(Option1Reading, ValidChoicesAreStoredAndDoneOpensTheDampingRatios) {
    const auto r = session(kToOption1 + "select 22\nedit 1 3\nedit 2 -2.5e-1\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(scalar(global(dump, "RECORD")), 21);
    EXPECT_EQ(scalar(global(dump, "numdamp")), 3);
    EXPECT_EQ(scalar(global(dump, "SCALE1")), -0.25);
    EXPECT_EQ(scalar(global(dump, "err")), 0);
    ASSERT_EQ(windowCount(dump), 1u);
    EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption1), "edit").size(), 3u);
}

TEST(Option1Reading, HeaderLineOpensOneErrorWindowAndKeepsTheRecord) {
    const auto r = session(kToOption1 + "select 5\npress BACK\n" + kToOption1 +
                           "select 1\nedit 1 2\nedit 2 4\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(figuresNamed(dump, kError).size(), 1u);
    EXPECT_EQ(figuresNamed(dump, kOption1).size(), 1u);
    EXPECT_EQ(scalar(global(dump, "err")), 1);
    EXPECT_EQ(scalar(global(dump, "RECORD")), 4);
    // The fields that passed are stored all the same.
    EXPECT_EQ(scalar(global(dump, "numdamp")), 2);
    EXPECT_EQ(scalar(global(dump, "SCALE1")), 4);
}

TEST(Option1Reading, HeaderAndABadCountOpenTwoStackedErrorWindows) {
    const auto r = session(kToOption1 + "select 1\nedit 1 twelve\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    const auto errors = figuresNamed(dump, kError);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(propNumbers(errors[0], "Position"), propNumbers(errors[1], "Position"));
    EXPECT_EQ(dump.at("current"), errors[1].at("handle"));
    EXPECT_EQ(scalar(global(dump, "RECORD")), 1);
    EXPECT_EQ(scalar(global(dump, "numdamp")), 5);
}

TEST(Option1Reading, CountIsRoundedHalvesAwayFromZeroAndMustLieFrom1To9) {
    struct Case {
        const char* text;
        double stored;  // 5 (the start value) when refused
        bool refused;
    };
    const Case cases[] = {{"2.5", 3, false}, {"9.4", 9, false}, {"1", 1, false},  {"9", 9, false},
                          {"0.4", 5, true},  {"9.5", 5, true},  {"0", 5, true},   {"10", 5, true},
                          {"-3", 5, true},   {"", 5, true},     {"2 3", 5, true}, {"abc", 5, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("count \"") + c.text + "\"");
        const auto r = session(kToOption1 + "edit 1 " + c.text + "\npress DONE\ndump\n");
        const auto& dump = r.lastDump();
        EXPECT_EQ(scalar(global(dump, "numdamp")), c.stored);
        EXPECT_EQ(figuresNamed(dump, kError).size(), c.refused ? 1u : 0u);
        if (!c.refused) {
            // The damping ratios screen has one field per ratio.
            EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption1), "edit").size(),
                      static_cast<std::size_t>(c.stored));
        }
    }
}

TEST(Option1Reading, LoweringTheCountKeepsTheRatiosRaisingItAppendsZeros) {
    const auto lower = session(kToOption1 + "edit 1 3\npress DONE\ndump\n");
    EXPECT_EQ(row(lower.lastDump(), "damp"), (std::vector<double>{0.02, 0.05, 0.1, 0.15, 0.2}));

    const auto raise = session(kToOption1 + "edit 1 7\npress DONE\ndump\n");
    const auto& dump = raise.lastDump();
    EXPECT_EQ(row(dump, "damp"), (std::vector<double>{0.02, 0.05, 0.1, 0.15, 0.2, 0, 0}));
    // The appended ratios show as 0 on the damping ratios screen.
    EXPECT_EQ(texts(controlsOfStyle(onlyWindow(dump, kOption1), "edit"), "String"),
              (Names{"0.02", "0.05", "0.1", "0.15", "0.2", "0", "0"}));
}

TEST(Option1Reading, ScaleFactorMustBeExactlyOneFiniteNumber) {
    for (const char* text : {"abc", "", "1 2", "Inf", "NaN", "1e999", "2,"}) {
        SCOPED_TRACE(std::string("scale factor \"") + text + "\"");
        const auto r = session(kToOption1 + "edit 2 3\npress BACK\n" + kToOption1 + "edit 2 " +
                               text + "\npress DONE\ndump\n");
        const auto& dump = r.lastDump();
        EXPECT_EQ(scalar(global(dump, "SCALE1")), 3);
        EXPECT_EQ(figuresNamed(dump, kError).size(), 1u);
        EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption1), "listbox").size(), 1u);
    }
    const auto ok = session(kToOption1 + "edit 2  +1.5E1 \npress DONE\ndump\n");
    EXPECT_EQ(scalar(global(ok.lastDump(), "SCALE1")), 15);
    EXPECT_EQ(figuresNamed(ok.lastDump(), kError).size(), 0u);
}

TEST(Option1Navigation, BackWithValidInputReturnsToARebuiltWelcomeWindow) {
    const auto r = session(kToOption1 + "select 4\nedit 1 2\nedit 2 0.5\npress BACK\ndump\n" +
                           kToOption1 + "dump\n");
    ASSERT_EQ(r.dumps.size(), 2u);
    const auto& back = r.dumps[0];
    EXPECT_EQ(windowCount(back), 1u);
    EXPECT_EQ(controls(onlyWindow(back, kWelcome)).size(), 8u);
    EXPECT_EQ(scalar(global(back, "RECORD")), 3);
    EXPECT_EQ(scalar(global(back, "numdamp")), 2);
    EXPECT_EQ(scalar(global(back, "SCALE1")), 0.5);
    EXPECT_EQ(scalar(global(back, "err")), 0);
    // Reopened, the screen shows the stored choices.
    const auto c = controls(onlyWindow(r.dumps[1], kOption1));
    EXPECT_EQ(propNumbers(c[6], "Value"), (std::vector<double>{4}));
    EXPECT_EQ(propNumbers(c[6], "ListboxTop"), (std::vector<double>{4}));
    EXPECT_EQ(propText(c[8], "String"), "2");
    EXPECT_EQ(propText(c[9], "String"), "0.5");
}

TEST(Option1Navigation, BackWithInvalidInputStays) {
    const auto r = session(kToOption1 + "edit 1 0\npress BACK\ndump\n");
    EXPECT_EQ(figuresNamed(r.lastDump(), kOption1).size(), 1u);
    EXPECT_EQ(figuresNamed(r.lastDump(), kWelcome).size(), 0u);
    EXPECT_EQ(figuresNamed(r.lastDump(), kError).size(), 1u);
}

// Quit on any input screen ends the session at once, without reading (and
// refusing) what the fields hold.
TEST(InputScreens, QuitEndsTheSessionWithoutReading) {
    const std::string toDamping = kToOption1 + "edit 1 2\npress DONE\n";
    const std::string toScale = kToOption2 + "select 6\npress DONE\n";
    for (const std::string& script :
         {kToOption1 + "edit 1 4\nselect 1\npress QUIT\ndump\n", kToOption2 + "press QUIT\ndump\n",
          toDamping + "edit 1 x\npress QUIT\ndump\n", toScale + "edit 1 x\npress QUIT\ndump\n"}) {
        const auto r = session(script);
        EXPECT_EQ(r.status, 0) << script;
        EXPECT_TRUE(r.dumps.empty()) << script;
    }
}

TEST(Option1Navigation, OtherActionNumbersDoNothing) {
    const auto r = session(kToOption1 + "eval velmora_gui02(7)\neval velmora_gui01(3)\ndump\n");
    EXPECT_EQ(windowCount(r.lastDump()), 1u);
    EXPECT_EQ(figuresNamed(r.lastDump(), kOption1).size(), 1u);
}

}  // namespace
}  // namespace velmora::screens_test
