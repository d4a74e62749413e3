// The Option 2 input screen: a set of records and one damping ratio.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

using Names = std::vector<std::string>;

TEST(Option2Screen, ShowsTheStoredChoicesInItsNineControls) {
    const auto r = session(kToOption2 + "dump\n");
    const auto& dump = r.lastDump();
    const auto c = controls(onlyWindow(dump, kOption2));
    ASSERT_EQ(c.size(), 9u);
    EXPECT_EQ(texts(c, "Style"),
              (Names{"frame", "frame", "", "", "text", "text", "listbox", "", "edit"}));
    const std::vector<std::vector<double>> positions = {
        {20, 85, 380, 215},
        {20, 20, 380, 45},
        {160, 30, 100, 25},
        {40, 30, 100, 25},
        {45, 113, 170, 20},
        {45, 260, 165, 20},
        {39.75, 162.75, 340.5, 100.5},
        {280, 30, 100, 25},
        {180.75, 116.25, 50.25, 15},
    };
    for (std::size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(propNumbers(c[i], "Position"), positions[i]) << "control " << i + 1;
    }
    EXPECT_EQ(propText(c[4], "String"), "Specify DAMPING Ratio:");
    EXPECT_EQ(propText(c[5], "String"), "Select EARTHQUAKES [9 max.]:");
    EXPECT_EQ(propText(c[8], "String"), "0.02");
    EXPECT_EQ(texts(c, "Callback"), (Names{"", "", "velmora_gui03(1)", "velmora_gui03(2)", "", "",
                                           "", "velmora_gui03(3)", ""}));

    // Several lines can be selected; every chosen record is.
    const auto& list = c[6];
    EXPECT_EQ(propNumbers(list, "Value"), (std::vector<double>{2, 6, 11}));
    EXPECT_EQ(propNumbers(list, "Max"), (std::vector<double>{9}));
    EXPECT_EQ(propNumbers(list, "Min"), (std::vector<double>{1}));
    EXPECT_TRUE(prop(list, "ListboxTop").is_null());
    EXPECT_EQ(textRows(prop(list, "String")).size(), 22u);
    EXPECT_EQ(controlPropertyOrder(r, kOption2).at(6),
              (Names{"Parent", "Units", "BackgroundColor", "FontName", "FontSize", "FontWeight",
                     "Max", "Min", "Position", "String", "Style", "Tag", "Value"}));

    EXPECT_EQ(scalar(global(dump, "hlist")), handleOf(c[6]));
    EXPECT_EQ(scalar(global(dump, "hdamp")), handleOf(c[8]));
}

TEST(Option2Reading, NineRecordsAreAcceptedTenAreRefusedButStored) {
    const auto nine = session(kToOption2 + "select 2 3 4 5 6 7 8 9 10\npress DONE\ndump\n");
    EXPECT_EQ(row(nine.lastDump(), "EQ"), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(scalar(global(nine.lastDump(), "numquakes")), 9);
    EXPECT_EQ(figuresNamed(nine.lastDump(), kError).size(), 0u);
    EXPECT_EQ(controlsOfStyle(onlyWindow(nine.lastDump(), kOption2), "edit").size(), 9u);

    const auto ten = session(kToOption2 + "select 2 3 4 5 6 7 8 9 10 22\npress DONE\ndump\n");
    const auto& dump = ten.lastDump();
    EXPECT_EQ(row(dump, "EQ"), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 21}));
    EXPECT_EQ(scalar(global(dump, "numquakes")), 10);
    EXPECT_EQ(figuresNamed(dump, kError).size(), 1u);
    EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption2), "listbox").size(), 1u);
}

TEST(Option2Reading, TheHeaderLineChoosesNoRecord) {
    const auto among = session(kToOption2 + "select 1 4 3\npress DONE\ndump\n");
    EXPECT_EQ(row(among.lastDump(), "EQ"), (std::vector<double>{2, 3}));
    EXPECT_EQ(scalar(global(among.lastDump(), "numquakes")), 2);
    EXPECT_EQ(figuresNamed(among.lastDump(), kError).size(), 0u);

    // Only the header, or no line at all: no records, no error, and the
    // scale factors screen opens without rows.
    for (const char* selection : {"select 1\n", "select\n"}) {
        SCOPED_TRACE(selection);
        const auto none = session(kToOption2 + selection + "press DONE\ndump\n");
        const auto& dump = none.lastDump();
        EXPECT_TRUE(row(dump, "EQ").empty());
        EXPECT_EQ(scalar(global(dump, "numquakes")), 0);
        EXPECT_EQ(figuresNamed(dump, kError).size(), 0u);
        const auto c = controls(onlyWindow(dump, kOption2));
        EXPECT_EQ(c.size(), 6u);
        EXPECT_TRUE(controlsOfStyle(onlyWindow(dump, kOption2), "edit").empty());
    }
}

TEST(Option2Reading, DampingRatioIsOneNumberFrom0To1) {
    struct Case {
        const char* text;
        double stored;  // 0.02 (the start value) when refused
        bool refused;
    };
    const Case cases[] = {{"0", 0, false},      {"1", 1, false},        {"0.05", 0.05, false},
                          {"1.01", 0.02, true}, {"-0.1", 0.02, true},   {"", 0.02, true},
                          {"abc", 0.02, true},  {"0.1 0.2", 0.02, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("damping ratio \"") + c.text + "\"");
        const auto r = session(kToOption2 + "edit 1 " + c.text + "\npress DONE\ndump\n");
        EXPECT_EQ(scalar(global(r.lastDump(), "DAMP")), c.stored);
        EXPECT_EQ(figuresNamed(r.lastDump(), kError).size(), c.refused ? 1u : 0u);
    }
}

TEST(Option2Reading, ABadRatioAndTooManyRecordsOpenTwoErrorWindows) {
    const auto r =
        session(kToOption2 + "edit 1 2\nselect 2 3 4 5 6 7 8 9 10 11 12\n" + "press DONE\ndump\n");
    EXPECT_EQ(figuresNamed(r.lastDump(), kError).size(), 2u);
    EXPECT_EQ(scalar(global(r.lastDump(), "numquakes")), 11);
}

TEST(Option2Navigation, BackWithValidInputReturnsToTheWelcomeWindow) {
    const auto r =
        session(kToOption2 + "select 3 8\nedit 1 0.1\npress BACK\ndump\n" + kToOption2 + "dump\n");
    ASSERT_EQ(r.dumps.size(), 2u);
    EXPECT_EQ(controls(onlyWindow(r.dumps[0], kWelcome)).size(), 8u);
    EXPECT_EQ(row(r.dumps[0], "EQ"), (std::vector<double>{2, 7}));
    EXPECT_EQ(scalar(global(r.dumps[0], "DAMP")), 0.1);
    const auto c = controls(onlyWindow(r.dumps[1], kOption2));
    EXPECT_EQ(propNumbers(c[6], "Value"), (std::vector<double>{3, 8}));
    EXPECT_EQ(propText(c[8], "String"), "0.1");
}

}  // namespace
}  // namespace velmora::screens_test
