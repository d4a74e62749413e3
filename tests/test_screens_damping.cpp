// The damping ratios screen: one field per Option 1 damping ratio.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

// From the welcome window to the damping ratios screen with `count` fields.
std::string toDampingRatios(int count) {
    return kToOption1 + "edit 1 " + std::to_string(count) + "\npress DONE\n";
}

// The fields for other counts are checked with the count that opens them.
// Ratios beyond the count are dropped even when an entry is refused.
TEST(DampingScreen, ShowsOneFieldPerRatioBelowTheHeading) {
    const auto one = session(toDampingRatios(1) + "dump\nedit 1 x\npress DONE\ndump\n");
    ASSERT_EQ(one.dumps.size(), 2u);
    expectShown(onlyWindow(one.dumps[0], kOption1),
                inputScreen("velmora_gui04",
                            {{"text", "Specify DAMPING Ratios:", "", {45, 261, 165, 19.5}}},
                            {{"edit", "0.02", "", {245, 263, 50.25, 15}}}));
    EXPECT_EQ(row(one.dumps[1], "damp"), Row{0.02});
    EXPECT_EQ(countNamed(one.dumps[1], kError), 1u);
}

// Both bounds are accepted; BACK stores the ratios and returns to the
// Option 1 input screen, whose DONE shows them again. Error windows of the
// screen stay open.
TEST(DampingNavigation, BackStoresTheRatiosAndReturnsToOption1) {
    const auto r = session(toDampingRatios(3) + "edit 1 x\nedit 2 y\npress DONE\n" + kDismissError +
                           kBackToOption1 + "edit 1 0\nedit 2 1\nedit 3 .5e-1\npress BACK\n" +
                           "dump\npress DONE\ndump\n");
    ASSERT_EQ(r.dumps.size(), 2u);
    EXPECT_EQ(row(r.dumps[0], "damp"), (Row{0, 1, 0.05}));
    EXPECT_EQ(scalarOf(r.dumps[0], "numdamp"), 3);
    EXPECT_EQ(countNamed(r.dumps[0], kError), 1u);
    EXPECT_EQ(texts(styled(r.dumps[1], kOption1, "edit"), "String"), (Names{"0", "1", "0.05"}));
}

TEST(DampingReading, EachInvalidEntryOpensAnErrorWindowAndKeepsItsOldRatio) {
    const auto r = session(toDampingRatios(7) +
                           "edit 1 -0.01\nedit 2 1.5\nedit 3 abc\nedit 4 \nedit 5 0.5 0.6\n" +
                           "edit 6 0.3\nedit 7 Inf\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(countNamed(dump, kError), 6u);
    // The valid entry of the same reading is stored.
    EXPECT_EQ(row(dump, "damp"), (Row{0.02, 0.05, 0.1, 0.15, 0.2, 0.3, 0}));
    EXPECT_EQ(styled(dump, kOption1, "edit").size(), 7u);
}

}  // namespace
}  // namespace velmora::screens_test
