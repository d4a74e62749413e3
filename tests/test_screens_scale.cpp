// The scale factors screen: one factor per Option 2 record, remembered per
// record.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

using Names = std::vector<std::string>;

// From the welcome window to the scale factors screen for the records at
// the given list positions.
std::string toScaleFactors(const std::string& positions) {
    return kToOption2 + "select " + positions + "\npress DONE\n";
}

TEST(ScaleScreen, ShowsAFieldAndALabelPerRecord) {
    const auto r = session(toScaleFactors("6 11") + "dump\n");
    const auto& dump = r.lastDump();
    const auto c = controls(onlyWindow(dump, kOption2));
    ASSERT_EQ(c.size(), 10u);
    EXPECT_EQ(texts(c, "Style"),
              (Names{"frame", "frame", "", "", "text", "", "edit", "edit", "text", "text"}));
    EXPECT_EQ(propText(c[4], "String"), "Specify SCALE Factors:");
    EXPECT_EQ(propNumbers(c[4], "Position"), (std::vector<double>{45, 261, 165, 19.5}));
    EXPECT_EQ(texts(c, "Callback"), (Names{"", "", "velmora_gui05(1)", "velmora_gui05(2)", "",
                                           "velmora_gui05(3)", "", "", "", ""}));

    // Row 1 is record 5 with its remembered factor 2, row 2 record 10.
    EXPECT_EQ(propText(c[6], "String"), "2");
    EXPECT_EQ(propText(c[7], "String"), "1");
    EXPECT_EQ(propNumbers(c[6], "Position"), (std::vector<double>{182, 263, 50.25, 15}));
    EXPECT_EQ(propNumbers(c[7], "Position"), (std::vector<double>{182, 243, 50.25, 15}));
    EXPECT_EQ(textRows(prop(c[8], "String")), (Names{"5   Northridge 1     "}));
    EXPECT_EQ(textRows(prop(c[9], "String")), (Names{"10  Pacoima Dam 1    "}));
    EXPECT_EQ(propNumbers(c[8], "Position"), (std::vector<double>{245, 263, 135, 14}));
    EXPECT_EQ(propNumbers(c[9], "Position"), (std::vector<double>{245, 243, 135, 14}));
    for (std::size_t i : {8u, 9u}) {
        EXPECT_EQ(propText(c[i], "Tag"), "StaticText2");
        EXPECT_EQ(propText(c[i], "FontName"), "Fixedsys");
        EXPECT_EQ(propNumbers(c[i], "BackgroundColor"), kButtonFace);
        EXPECT_EQ(propText(c[i], "HorizontalAlignment"), "left");
    }

    // The labels' table: number and short name of every catalogue row.
    const auto labels = textRows(global(dump, "EQ_charl"));
    ASSERT_EQ(labels.size(), 22u);
    EXPECT_EQ(labels[0], "Num Short name       ");
    EXPECT_EQ(labels[21], "21  Elcentro         ");
    EXPECT_EQ(numbers(global(dump, "hscale")),
              (std::vector<std::vector<double>>{{handleOf(c[6]), handleOf(c[7])}}));
}

TEST(ScaleScreen, NineRecordsFillTheUpperPanel) {
    const auto r = session(toScaleFactors("2 3 4 5 6 7 8 9 10") + "dump\n");
    const auto window = onlyWindow(r.lastDump(), kOption2);
    const auto fields = controlsOfStyle(window, "edit");
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(propNumbers(fields[8], "Position"), (std::vector<double>{182, 103, 50.25, 15}));
    // Every field comes before the first label.
    const auto c = controls(window);
    EXPECT_EQ(propText(c[14], "Style"), "edit");
    EXPECT_EQ(propText(c[15], "Style"), "text");
    EXPECT_EQ(textRows(prop(c.back(), "String")), (Names{"9   Oakland Warf 2   "}));
}

TEST(ScaleReading, FactorsAreStoredInOrderAndRememberedPerRecord) {
    const auto r = session(toScaleFactors("6 11") + "edit 1 3\nedit 2 -0.5\npress BACK\ndump\n" +
                           // Another choice, then record 5 again: it shows its factor.
                           "select 3 6\npress DONE\ndump\n");
    ASSERT_EQ(r.dumps.size(), 2u);
    const auto& back = r.dumps[0];
    EXPECT_EQ(row(back, "SCALE2"), (std::vector<double>{3, -0.5}));
    std::vector<double> remembered(22, 1);
    remembered[4] = 3;
    remembered[9] = -0.5;
    EXPECT_EQ(row(back, "EQ_SC"), remembered);
    EXPECT_EQ(controlsOfStyle(onlyWindow(back, kOption2), "listbox").size(), 1u);

    const auto fields = controlsOfStyle(onlyWindow(r.dumps[1], kOption2), "edit");
    EXPECT_EQ(texts(fields, "String"), (Names{"1", "3"}));
}

TEST(ScaleReading, EachInvalidFactorOpensAnErrorWindowAndKeepsTheRecordsFactor) {
    const auto r = session(toScaleFactors("2 6 11") + "edit 1 abc\nedit 2 \nedit 3 1 2\n" +
                           "press DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(figuresNamed(dump, kError).size(), 3u);
    EXPECT_EQ(scalar(global(dump, "err")), 1);
    EXPECT_EQ(row(dump, "SCALE2"), (std::vector<double>{1, 2, 1}));
    EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption2), "edit").size(), 3u);

    // A valid factor of the same reading is stored.
    const auto mixed =
        session(toScaleFactors("2 6 11") + "edit 1 NaN\nedit 2 4\npress BACK\n" + "dump\n");
    EXPECT_EQ(row(mixed.lastDump(), "SCALE2"), (std::vector<double>{1, 4, 1}));
    EXPECT_EQ(row(mixed.lastDump(), "EQ_SC").at(4), 4);
    EXPECT_EQ(figuresNamed(mixed.lastDump(), kError).size(), 1u);
}

TEST(ScaleReading, ARefusedFactorKeepsTheFactorTheFieldShowed) {
    // Record 12 is given 7; then records 5 and 12 are chosen and both
    // fields are refused: each record keeps its own remembered factor,
    // whatever SCALE2 held for the previous choice.
    const auto r = session(toScaleFactors("13") + "edit 1 7\npress BACK\n" + "select 6 13\n" +
                           "press DONE\nedit 1 x\nedit 2 y\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(row(dump, "SCALE2"), (std::vector<double>{2, 7}));
    EXPECT_EQ(row(dump, "EQ_SC").at(4), 2);
    EXPECT_EQ(row(dump, "EQ_SC").at(11), 7);
}

TEST(ScaleReading, NoRecordsLeaveTheFactorsEmpty) {
    const auto r = session(toScaleFactors("1") + "press BACK\ndump\n");
    EXPECT_TRUE(row(r.lastDump(), "SCALE2").empty());
    EXPECT_EQ(controlsOfStyle(onlyWindow(r.lastDump(), kOption2), "listbox").size(), 1u);
}

TEST(ScaleNavigation, DoneLeavesTheScreenAndRunsTheAnalysisWithTheEnteredFactors) {
    const auto r = session(toScaleFactors("6 11") + "edit 1 0.5\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    // The results window took the screen's place.
    ASSERT_EQ(windowCount(dump), 1u);
    EXPECT_TRUE(controlsOfStyle(dump.at("figures")[0], "edit").empty());
    EXPECT_EQ(row(dump, "SCALE2"), (std::vector<double>{0.5, 1}));
    EXPECT_EQ(numbers(global(dump, "SD")).size(), 2u);
    EXPECT_EQ(numbers(global(dump, "ACC")).at(1).size(), 1500u);
}

}  // namespace
}  // namespace velmora::screens_test
