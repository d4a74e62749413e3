// The error window and the error flag that holds the input screens open.
#include <cmath>
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

// Option 1 with the header line chosen: one rejected field. Then action
// numbers it does not know, and DONE again before the error window's BACK:
// the input is now valid, yet the screen stays, and the stored choices are
// updated all the same.
TEST(ErrorWindow, IsASmallDialogThatHoldsTheScreenWhileItsErrorIsPending) {
    const auto r =
        session(kToOption1 +
                "select 1\npress DONE\neval velmora_gui_error(5)\neval velmora_gui_error(-1)\n" +
                kBackToOption1 + "select 3\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    const auto window = onlyWindow(dump, kError);
    EXPECT_EQ(propNumbers(window, "Color"), kPanel);
    EXPECT_EQ(propNumbers(window, "Position"), (Row{249, 219.75, 270, 99.75}));
    expectTexts(window, {{"Units", "points"},
                         {"HandleVisibility", "callback"},
                         {"Resize", "off"},
                         {"Tag", "TMWWaitbar"}});
    // With IntegerHandle off the window takes no window number.
    EXPECT_NE(handleOf(window), std::floor(handleOf(window)));

    expectShown(
        window,
        {{"text", "Please Select Correctly or Specify Valid Numbers", "", {8.25, 65, 258, 16.5}},
         {"", "BACK", "velmora_gui_error(1)", {90, 20, 90, 25}}});
    const auto c = controls(window);
    EXPECT_EQ(propNumbers(c[0], "FontSize"), Row{11});
    EXPECT_EQ(propNumbers(c[0], "BackgroundColor"), kPanel);
    EXPECT_EQ(propNumbers(c[1], "BackgroundColor"), kButtonFace);
    Names back = kButtonProps;
    back.erase(std::find(back.begin(), back.end(), "HorizontalAlignment"));
    const Names windowProps = {"Units",         "Color",      "Colormap", "HandleVisibility",
                               "IntegerHandle", "MenuBar",    "Name",     "NumberTitle",
                               "PaperPosition", "PaperUnits", "Position", "Resize",
                               "Tag",           "ToolBar"};
    EXPECT_EQ(propertyOrder(r, kError), (std::vector<Names>{windowProps, kLabelProps, back}));
    EXPECT_EQ(scalarOf(dump, "err"), 1);

    EXPECT_EQ(styled(dump, kOption1, "listbox").size(), 1u);
    EXPECT_EQ(scalarOf(dump, "RECORD"), 2);
}

// BACK closes it and clears the flag. The header line keeps the stored
// record; the fields that passed are stored all the same.
TEST(ErrorWindow, ClosedThroughItsFrameTheFlagStaysUntilALaterBack) {
    const auto r =
        session(kToOption1 + "select 1\nedit 2 4\npress DONE\nclose " + kError + "\ndump\n" +
                // Valid input, but the flag still holds the screen.
                kBackToOption1 + "select 3\npress BACK\ndump\n" +
                // A later error window's BACK releases it.
                "edit 1 abc\npress BACK\n" + kDismissError + "dump\n" + kBackToOption1 +
                "edit 1 4\npress BACK\ndump\n");
    ASSERT_EQ(r.dumps.size(), 4u) << r.out;
    EXPECT_EQ(countNamed(r.dumps[0], kError), 0u);
    expectStored(r.dumps[0], {{"err", 1}, {"RECORD", 1}, {"SCALE1", 4}});

    EXPECT_EQ(countNamed(r.dumps[1], kWelcome), 0u);
    EXPECT_EQ(scalarOf(r.dumps[1], "RECORD"), 2);

    EXPECT_EQ(scalarOf(r.dumps[2], "err"), 0);
    EXPECT_EQ(countNamed(r.dumps[2], kError), 0u);

    EXPECT_EQ(windowCount(r.dumps[3]), 1u);
    EXPECT_EQ(countNamed(r.dumps[3], kWelcome), 1u);
    EXPECT_EQ(scalarOf(r.dumps[3], "numdamp"), 4);
}

}  // namespace
}  // namespace velmora::screens_test
