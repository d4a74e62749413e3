// The scale factors screen: one factor per Option 2 record, remembered per
// record.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

// From the welcome window to the scale factors screen for the records at
// the given list positions.
std::string toScaleFactors(const std::string& positions) {
    return kToOption2 + "select " + positions + "\npress DONE\n";
}

// The screen, then BACK with new factors, and another choice that shows a
// record's remembered factor.
TEST(ScaleScreen, ShowsAFieldAndALabelPerRecordAndStoresTheFactorsInOrderPerRecord) {
    const auto r = session(toScaleFactors("6 11") + "dump\nedit 1 3\nedit 2 -0.5\npress BACK\n" +
                           "dump\nselect 3 6\npress DONE\ndump\n");
    ASSERT_EQ(r.dumps.size(), 3u);
    const auto& dump = r.dumps[0];
    // Row 1 is record 5 with its remembered factor 2, row 2 record 10.
    expectShown(
        onlyWindow(dump, kOption2),
        inputScreen("velmora_gui05", {{"text", "Specify SCALE Factors:", "", {45, 261, 165, 19.5}}},
                    {{"edit", "2", "", {182, 263, 50.25, 15}},
                     {"edit", "1", "", {182, 243, 50.25, 15}},
                     {"text", "5   Northridge 1     ", "", {245, 263, 135, 14}},
                     {"text", "10  Pacoima Dam 1    ", "", {245, 243, 135, 14}}}));
    const auto c = controls(onlyWindow(dump, kOption2));
    for (std::size_t i : {8u, 9u}) {
        EXPECT_EQ(textRows(prop(c[i], "String")).size(), 1u);
        EXPECT_EQ(propNumbers(c[i], "BackgroundColor"), kButtonFace);
        expectTexts(
            c[i],
            {{"Tag", "StaticText2"}, {"FontName", "Fixedsys"}, {"HorizontalAlignment", "left"}});
    }
    // The labels' table: number and short name of every catalogue row.
    const auto labels = textRows(global(dump, "EQ_charl"));
    ASSERT_EQ(labels.size(), 22u);
    EXPECT_EQ(labels[0], "Num Short name       ");
    EXPECT_EQ(labels[21], "21  Elcentro         ");
    EXPECT_EQ(numbers(global(dump, "hscale")),
              (std::vector<Row>{{handleOf(c[6]), handleOf(c[7])}}));

    const auto& back = r.dumps[1];
    EXPECT_EQ(row(back, "SCALE2"), (Row{3, -0.5}));
    Row remembered(22, 1);
    remembered[4] = 3;
    remembered[9] = -0.5;
    EXPECT_EQ(row(back, "EQ_SC"), remembered);
    EXPECT_EQ(styled(back, kOption2, "listbox").size(), 1u);
    EXPECT_EQ(texts(styled(r.dumps[2], kOption2, "edit"), "String"), (Names{"1", "3"}));
}

TEST(ScaleReading, EachInvalidFactorOpensAnErrorWindowAndKeepsTheRecordsFactor) {
    const auto r = session(toScaleFactors("2 6 11") + "edit 1 abc\nedit 2 \nedit 3 1 2\n" +
                           "press DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(countNamed(dump, kError), 3u);
    EXPECT_EQ(row(dump, "SCALE2"), (Row{1, 2, 1}));
    EXPECT_EQ(styled(dump, kOption2, "edit").size(), 3u);

    // A valid factor of the same reading is stored.
    const auto mixed =
        session(toScaleFactors("2 6 11") + "edit 1 NaN\nedit 2 4\npress BACK\ndump\n");
    EXPECT_EQ(row(mixed.lastDump(), "SCALE2"), (Row{1, 4, 1}));
    EXPECT_EQ(countNamed(mixed.lastDump(), kError), 1u);
}

TEST(ScaleReading, ARefusedFactorKeepsTheFactorTheFieldShowed) {
    // Record 12 is given 7; then records 5 and 12 are chosen and both
    // fields are refused: each record keeps its own remembered factor,
    // whatever SCALE2 held for the previous choice.
    const auto r = session(toScaleFactors("13") + "edit 1 7\npress BACK\n" + "select 6 13\n" +
                           "press DONE\nedit 1 x\nedit 2 y\npress DONE\ndump\n");
    EXPECT_EQ(row(r.lastDump(), "SCALE2"), (Row{2, 7}));
}

}  // namespace
}  // namespace velmora::screens_test
