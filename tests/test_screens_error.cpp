// The error window and the error flag that holds the input screens open.
#include <cmath>
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

using Names = std::vector<std::string>;

// Option 1 with the header line chosen: one rejected field.
const std::string kOneError = kToOption1 + "select 1\npress DONE\n";

TEST(ErrorWindow, IsASmallDialogWithTheMessageAndABackButton) {
    const auto r = session(kOneError + "dump\n");
    const auto& dump = r.lastDump();
    const auto window = onlyWindow(dump, kError);
    EXPECT_EQ(windowPropertyOrder(r, kError),
              (Names{"Units", "Color", "Colormap", "HandleVisibility", "IntegerHandle", "MenuBar",
                     "Name", "NumberTitle", "PaperPosition", "PaperUnits", "Position", "Resize",
                     "Tag", "ToolBar"}));
    EXPECT_EQ(propText(window, "Units"), "points");
    EXPECT_EQ(propNumbers(window, "Color"), kPanel);
    EXPECT_EQ(propNumbers(window, "Position"), (std::vector<double>{249, 219.75, 270, 99.75}));
    EXPECT_EQ(propText(window, "HandleVisibility"), "callback");
    EXPECT_EQ(propText(window, "Resize"), "off");
    EXPECT_EQ(propText(window, "Tag"), "TMWWaitbar");
    // With IntegerHandle off the window takes no window number.
    const double h = handleOf(window);
    EXPECT_NE(h, std::floor(h));

    const auto c = controls(window);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(propText(c[0], "Style"), "text");
    EXPECT_EQ(propText(c[0], "String"), "Please Select Correctly or Specify Valid Numbers");
    EXPECT_EQ(propNumbers(c[0], "Position"), (std::vector<double>{8.25, 65, 258, 16.5}));
    EXPECT_EQ(propNumbers(c[0], "FontSize"), (std::vector<double>{11}));
    EXPECT_EQ(propNumbers(c[0], "BackgroundColor"), kPanel);
    EXPECT_EQ(propText(c[1], "String"), "BACK");
    EXPECT_EQ(propText(c[1], "Callback"), "velmora_gui_error(1)");
    EXPECT_EQ(propNumbers(c[1], "Position"), (std::vector<double>{90, 20, 90, 25}));
    EXPECT_EQ(propNumbers(c[1], "BackgroundColor"), kButtonFace);
    EXPECT_EQ(controlPropertyOrder(r, kError),
              (std::vector<Names>{
                  {"Parent", "Units", "BackgroundColor", "FontName", "FontSize", "FontWeight",
                   "ListboxTop", "Position", "String", "Style", "Tag"},
                  {"Parent", "Units", "BackgroundColor", "Callback", "FontName", "FontSize",
                   "FontWeight", "ListboxTop", "Position", "String", "Tag"}}));
    EXPECT_EQ(scalar(global(dump, "err")), 1);
}

TEST(ErrorWindow, BackClosesItAndClearsTheFlag) {
    const auto r = session(kOneError + "dump\n" + kDismissError + "dump\n");
    ASSERT_EQ(r.dumps.size(), 2u);
    EXPECT_EQ(figuresNamed(r.dumps[0], kError).size(), 1u);
    EXPECT_EQ(figuresNamed(r.dumps[1], kError).size(), 0u);
    EXPECT_EQ(figuresNamed(r.dumps[1], kOption1).size(), 1u);
    EXPECT_EQ(scalar(global(r.dumps[1], "err")), 0);
}

TEST(ErrorWindow, ScreenStaysWhileAnErrorIsPendingEvenWithValidInput) {
    // DONE again before the error window's BACK: the input is now valid, yet
    // the screen stays, and the stored choices are updated all the same.
    const auto r = session(kOneError + kBackToOption1 + "select 3\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(figuresNamed(dump, kOption1).size(), 1u);
    EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption1), "listbox").size(), 1u);
    EXPECT_EQ(scalar(global(dump, "RECORD")), 2);
    EXPECT_EQ(scalar(global(dump, "err")), 1);
}

TEST(ErrorWindow, ClosedThroughItsFrameTheFlagStaysUntilALaterBack) {
    const auto r = session(kOneError + "close " + kError + "\ndump\n" +
                           // Valid input, but the flag still holds the screen.
                           kBackToOption1 + "select 3\npress BACK\ndump\n" +
                           // A later error window's BACK releases it.
                           "edit 1 abc\npress BACK\n" + kDismissError + "dump\n" + kBackToOption1 +
                           "edit 1 4\npress BACK\ndump\n");
    ASSERT_EQ(r.dumps.size(), 4u) << r.out;
    EXPECT_EQ(figuresNamed(r.dumps[0], kError).size(), 0u);
    EXPECT_EQ(scalar(global(r.dumps[0], "err")), 1);

    EXPECT_EQ(figuresNamed(r.dumps[1], kOption1).size(), 1u);
    EXPECT_EQ(figuresNamed(r.dumps[1], kWelcome).size(), 0u);
    EXPECT_EQ(scalar(global(r.dumps[1], "RECORD")), 2);

    EXPECT_EQ(scalar(global(r.dumps[2], "err")), 0);
    EXPECT_EQ(figuresNamed(r.dumps[2], kOption1).size(), 1u);

    EXPECT_EQ(windowCount(r.dumps[3]), 1u);
    EXPECT_EQ(figuresNamed(r.dumps[3], kWelcome).size(), 1u);
    EXPECT_EQ(scalar(global(r.dumps[3], "numdamp")), 4);
}

TEST(ErrorWindow, EachOpeningIsANewWindowAndAnyBackReleasesTheScreen) {
    // Three rejected ratios: three windows at the same place.
    const auto r = session(kToOption1 + "press DONE\nedit 1 -1\nedit 2 x\nedit 3 2\npress DONE\n" +
                           "dump\n" + kDismissError + "dump\n" + kBackToOption1 +
                           "edit 1 0.3\nedit 2 0.4\nedit 3 0.5\npress BACK\ndump\n");
    ASSERT_EQ(r.dumps.size(), 3u) << r.out;
    const auto errors = figuresNamed(r.dumps[0], kError);
    ASSERT_EQ(errors.size(), 3u);
    for (const auto& e : errors) {
        EXPECT_EQ(propNumbers(e, "Position"), (std::vector<double>{249, 219.75, 270, 99.75}));
    }
    EXPECT_EQ(figuresNamed(r.dumps[1], kError).size(), 2u);
    EXPECT_EQ(scalar(global(r.dumps[1], "err")), 0);
    // BACK of the damping ratios screen leaves it with two error windows open.
    EXPECT_EQ(figuresNamed(r.dumps[2], kError).size(), 2u);
    const auto option1 = onlyWindow(r.dumps[2], kOption1);
    EXPECT_EQ(controlsOfStyle(option1, "listbox").size(), 1u);
    EXPECT_EQ(row(r.dumps[2], "damp"), (std::vector<double>{0.3, 0.4, 0.5, 0.15, 0.2}));
}

TEST(ErrorWindow, OtherActionNumbersChangeNothing) {
    const auto r =
        session(kOneError + "eval velmora_gui_error(5)\neval velmora_gui_error(-1)\n" + "dump\n");
    EXPECT_EQ(figuresNamed(r.lastDump(), kError).size(), 1u);
    EXPECT_EQ(scalar(global(r.lastDump(), "err")), 1);
}

}  // namespace
}  // namespace velmora::screens_test
