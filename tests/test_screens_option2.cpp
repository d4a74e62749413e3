// The Option 2 input screen: a set of records and one damping ratio.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

TEST(Option2Screen, OpensFromItsButtonAndShowsTheStoredChoicesInItsNineControls) {
    const auto r = session(kToOption2 + "dump\n");
    const auto& dump = r.lastDump();
    ASSERT_EQ(windowCount(dump), 1u);
    EXPECT_EQ(scalarOf(dump, "option"), 2);
    const auto window = onlyWindow(dump, kOption2);
    const auto listLines = textRows(global(dump, "EQ_string"));
    ASSERT_EQ(listLines.size(), 22u);
    expectShown(window,
                inputScreen("velmora_gui03",
                            {{"text", "Specify DAMPING Ratio:", "", {45, 113, 170, 20}},
                             {"text", "Select EARTHQUAKES [9 max.]:", "", {45, 260, 165, 20}},
                             {"listbox", listLines[0], "", {39.75, 162.75, 340.5, 100.5}}},
                            {{"edit", "0.02", "", {180.75, 116.25, 50.25, 15}}}));

    // Several lines can be selected. (Every chosen record is: checked where
    // the screen reopens with others, among the input screen tests.)
    const auto list = controls(window).at(6);
    EXPECT_EQ(propNumbers(list, "Max"), Row{9});
    EXPECT_EQ(propNumbers(list, "Min"), Row{1});
    EXPECT_EQ(textRows(prop(list, "String")), listLines);
    EXPECT_EQ(propertyOrder(r, kOption2).at(0), kWindowProps);
    EXPECT_EQ(propertyOrder(r, kOption2).at(7),
              (Names{"Parent", "Units", "BackgroundColor", "FontName", "FontSize", "FontWeight",
                     "Max", "Min", "Position", "String", "Style", "Tag", "Value"}));
}

// Nine records fill the scale factors screen's upper panel, every field
// before the first label.
TEST(Option2Reading, NineRecordsAreAcceptedTenAreRefusedButStored) {
    const auto nine = session(kToOption2 + "select 2 3 4 5 6 7 8 9 10\npress DONE\ndump\n");
    EXPECT_EQ(row(nine.lastDump(), "EQ"), (Row{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(scalarOf(nine.lastDump(), "numquakes"), 9);
    EXPECT_EQ(countNamed(nine.lastDump(), kError), 0u);
    const auto fields = styled(nine.lastDump(), kOption2, "edit");
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(propNumbers(fields[8], "Position"), (Row{182, 103, 50.25, 15}));
    const auto c = controls(onlyWindow(nine.lastDump(), kOption2));
    EXPECT_EQ(propText(c[14], "Style"), "edit");
    EXPECT_EQ(propText(c[15], "Style"), "text");
    EXPECT_EQ(textRows(prop(c.back(), "String")), (Names{"9   Oakland Warf 2   "}));

    // Then, on its own, a bad ratio with too many records opens two.
    const auto ten = session(kToOption2 + "select 2 3 4 5 6 7 8 9 10 22\npress DONE\ndump\n" +
                             kDismissError + "window " + kOption2 +
                             "\nedit 1 2\nselect 2 3 4 5 6 7 8 9 10 11 12\npress DONE\ndump\n");
    ASSERT_EQ(ten.dumps.size(), 2u);
    const auto& dump = ten.dumps[0];
    EXPECT_EQ(row(dump, "EQ"), (Row{1, 2, 3, 4, 5, 6, 7, 8, 9, 21}));
    EXPECT_EQ(scalarOf(dump, "numquakes"), 10);
    EXPECT_EQ(countNamed(dump, kError), 1u);
    EXPECT_EQ(styled(dump, kOption2, "listbox").size(), 1u);
    EXPECT_EQ(countNamed(ten.dumps[1], kError), 2u);
    EXPECT_EQ(scalarOf(ten.dumps[1], "numquakes"), 11);
}

// Among others it is skipped. Only the header, or no line at all: no
// records, no error, and the scale factors screen opens without rows; its
// BACK leaves no factors.
TEST(Option2Reading, TheHeaderLineChoosesNoRecord) {
    const struct {
        const char* selection;
        Row records;
    } cases[] = {{"select 1 4 3\n", {2, 3}}, {"select 1\n", {}}, {"select\n", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection);
        const auto r = session(kToOption2 + c.selection + "press DONE\ndump\npress BACK\ndump\n");
        ASSERT_EQ(r.dumps.size(), 2u);
        const auto& dump = r.dumps[0];
        const auto n = c.records.size();
        EXPECT_EQ(row(dump, "EQ"), c.records);
        EXPECT_EQ(scalarOf(dump, "numquakes"), static_cast<double>(n));
        EXPECT_EQ(countNamed(dump, kError), 0u);
        EXPECT_EQ(controls(onlyWindow(dump, kOption2)).size(), 6 + 2 * n);
        EXPECT_EQ(styled(dump, kOption2, "edit").size(), n);
        EXPECT_EQ(row(r.dumps[1], "SCALE2"), Row(n, 1));
        EXPECT_EQ(styled(r.dumps[1], kOption2, "listbox").size(), 1u);
    }
}

}  // namespace
}  // namespace velmora::screens_test
