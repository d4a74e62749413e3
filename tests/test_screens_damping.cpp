// The damping ratios screen: one field per Option 1 damping ratio.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

using Names = std::vector<std::string>;

// From the welcome window to the damping ratios screen with `count` fields.
std::string toDampingRatios(int count) {
    return kToOption1 + "edit 1 " + std::to_string(count) + "\npress DONE\n";
}

TEST(DampingScreen, ShowsOneFieldPerRatioBelowTheHeading) {
    const auto one = session(toDampingRatios(1) + "dump\n");
    const auto window = onlyWindow(one.lastDump(), kOption1);
    const auto c = controls(window);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_EQ(texts(c, "String"),
              (Names{"", "", "BACK", "QUIT", "Specify DAMPING Ratios:", "DONE", "0.02"}));
    EXPECT_EQ(texts(c, "Callback"),
              (Names{"", "", "velmora_gui04(1)", "velmora_gui04(2)", "", "velmora_gui04(3)", ""}));
    EXPECT_EQ(propNumbers(c[4], "Position"), (std::vector<double>{45, 261, 165, 19.5}));
    EXPECT_EQ(propNumbers(c[6], "Position"), (std::vector<double>{245, 263, 50.25, 15}));
    EXPECT_EQ(numbers(global(one.lastDump(), "hdamp")),
              (std::vector<std::vector<double>>{{handleOf(c[6])}}));

    const auto nine = session(toDampingRatios(9) + "dump\n");
    const auto& dump = nine.lastDump();
    const auto fields = controlsOfStyle(onlyWindow(dump, kOption1), "edit");
    ASSERT_EQ(fields.size(), 9u);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(propNumbers(fields[i], "Position"),
                  (std::vector<double>{245, 263 - 20.0 * static_cast<double>(i), 50.25, 15}));
    }
    EXPECT_EQ(propNumbers(fields[8], "Position"), (std::vector<double>{245, 103, 50.25, 15}));
    EXPECT_EQ(texts(fields, "String"),
              (Names{"0.02", "0.05", "0.1", "0.15", "0.2", "0", "0", "0", "0"}));
    // The handles form a column, field i in row i.
    std::vector<std::vector<double>> column;
    for (const auto& f : fields) column.push_back({handleOf(f)});
    EXPECT_EQ(numbers(global(dump, "hdamp")), column);
}

TEST(DampingReading, BothBoundsAreAccepted) {
    const auto r =
        session(toDampingRatios(3) + "edit 1 0\nedit 2 1\nedit 3 .5e-1\npress BACK\n" + "dump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(row(dump, "damp"), (std::vector<double>{0, 1, 0.05}));
    EXPECT_EQ(figuresNamed(dump, kError).size(), 0u);
    // BACK returned to the Option 1 input screen.
    EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption1), "listbox").size(), 1u);
}

TEST(DampingReading, EachInvalidEntryOpensAnErrorWindowAndKeepsItsOldRatio) {
    const auto r = session(toDampingRatios(7) +
                           "edit 1 -0.01\nedit 2 1.5\nedit 3 abc\nedit 4 \nedit 5 0.5 0.6\n" +
                           "edit 6 0.3\nedit 7 Inf\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(figuresNamed(dump, kError).size(), 6u);
    EXPECT_EQ(scalar(global(dump, "err")), 1);
    // The valid entry of the same reading is stored.
    EXPECT_EQ(row(dump, "damp"), (std::vector<double>{0.02, 0.05, 0.1, 0.15, 0.2, 0.3, 0}));
    EXPECT_EQ(controlsOfStyle(onlyWindow(dump, kOption1), "edit").size(), 7u);
}

TEST(DampingReading, RatiosBeyondTheCountAreDroppedEvenWhenAnEntryIsRefused) {
    const auto r = session(toDampingRatios(2) + "edit 1 x\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    EXPECT_EQ(row(dump, "damp"), (std::vector<double>{0.02, 0.05}));
    EXPECT_EQ(figuresNamed(dump, kError).size(), 1u);
}

TEST(DampingNavigation, BackStoresTheRatiosAndReturnsToOption1) {
    const auto r =
        session(toDampingRatios(2) + "edit 2 0.07\npress BACK\ndump\n" + "press DONE\ndump\n");
    ASSERT_EQ(r.dumps.size(), 2u);
    EXPECT_EQ(row(r.dumps[0], "damp"), (std::vector<double>{0.02, 0.07}));
    EXPECT_EQ(scalar(global(r.dumps[0], "numdamp")), 2);
    // The ratios screen opens again showing them.
    EXPECT_EQ(texts(controlsOfStyle(onlyWindow(r.dumps[1], kOption1), "edit"), "String"),
              (Names{"0.02", "0.07"}));
}

TEST(DampingNavigation, DoneLeavesTheScreenAndRunsTheAnalysisWithTheEnteredRatios) {
    const auto r = session(kToOption1 + "select 21\nedit 1 2\npress DONE\n" +
                           "edit 1 0.05\nedit 2 0.1\npress DONE\ndump\n");
    const auto& dump = r.lastDump();
    // The results window took the screen's place.
    ASSERT_EQ(windowCount(dump), 1u);
    EXPECT_TRUE(controlsOfStyle(dump.at("figures")[0], "edit").empty());
    EXPECT_EQ(row(dump, "damp"), (std::vector<double>{0.05, 0.1}));
    EXPECT_EQ(numbers(global(dump, "SD")).size(), 2u);
    EXPECT_EQ(numbers(global(dump, "SA")).at(0).size(), 160u);
}

}  // namespace
}  // namespace velmora::screens_test
