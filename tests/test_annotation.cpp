// title, xlabel, ylabel and grid on the current axes.
#include <gtest/gtest.h>

#include "app/functions.h"
#include "support/program_fixture.h"

namespace velmora {
namespace {

using testing::errorOf;
using testing::ProgramTest;

TEST_F(ProgramTest, LabelsTakeTheAxesFontThenTheGivenPairs) {
    // On a window without axes, a label creates them.
    const Handle f = mlfNFigure(PropertyList{});
    const Value time = Value::text("Time - seconds");
    xlabel(0, &time, {});
    const Handle axes = mlfGca();
    EXPECT_EQ(mlfFindobj({f}, false, {{"Type", Value::text("axes")}}), std::vector<Handle>{axes});
    EXPECT_EQ(mlfGet(mlfGet(axes, "XLabel").toDouble(), "String").toText(), "Time - seconds");

    mlfNSet(axes, {{"FontSize", Value::scalar(14)}, {"FontName", Value::text("Courier")}});
    const Value text = Value::text("Period - seconds");
    const Handle x = xlabel(1, &text, {}).toDouble();
    EXPECT_EQ(x, mlfGet(axes, "XLabel").toDouble());
    EXPECT_EQ(mlfGet(x, "FontSize").toDouble(), 14);
    EXPECT_EQ(mlfGet(x, "FontName").toText(), "Courier");

    // The title's rotation is reset, a label's kept.
    const Handle t = mlfGet(axes, "Title").toDouble();
    const Handle y = mlfGet(axes, "YLabel").toDouble();
    mlfNSet(t, {{"Rotation", Value::scalar(30)}});
    const Value name = Value::text("Imperial Valley 1");
    title(0, &name, {});
    EXPECT_EQ(mlfGet(t, "Rotation").toDouble(), 0);
    ylabel(0, &text, {});
    EXPECT_EQ(mlfGet(y, "Rotation").toDouble(), 90);

    // Further pairs come last and win.
    title(0, &name, {Value::text("FontSize"), Value::scalar(20)});
    EXPECT_EQ(mlfGet(t, "FontSize").toDouble(), 20);
    // A list of lines passes unchanged.
    const Value lines = Value::cellRow({Value::text("one"), Value::text("two")});
    title(0, &lines, {});
    EXPECT_EQ(mlfGet(t, "String"), lines);
}

TEST_F(ProgramTest, LabelErrorsLeaveTheAxesCreated) {
    mlfNFigure(PropertyList{});
    const Value text = Value::text("t");
    EXPECT_EQ(errorOf([&] { title(0, &text, {Value::text("FontSize")}); }),
              "Incorrect number of input arguments");
    // Axes were created by the query before the check failed.
    EXPECT_EQ(mlfFindobj({0}, false, {{"Type", Value::text("axes")}}).size(), 1u);
    EXPECT_EQ(errorOf([&] {
                  xlabel(0, &text, {Value::scalar(3), Value::scalar(4)});
              }),
              "Property names must be texts.");
    EXPECT_NE(errorOf([&] { ylabel(0, nullptr, {}); }), "");
}

TEST_F(ProgramTest, GridSwitchesEachGridOnItsOwn) {
    mlfNFigure(PropertyList{});
    const Handle axes = mlfGca();
    auto grids = [&] {
        return mlfGet(axes, "XGrid").toText() + mlfGet(axes, "YGrid").toText() +
               mlfGet(axes, "ZGrid").toText();
    };
    const Value on = Value::text("on"), off = Value::text("off");
    grid(&on);
    EXPECT_EQ(grids(), "ononon");
    grid(&on);
    EXPECT_EQ(grids(), "ononon");
    grid(&off);
    EXPECT_EQ(grids(), "offoffoff");
    mlfNSet(axes, {{"XGrid", on}});
    grid(nullptr);  // toggles each
    EXPECT_EQ(grids(), "offonon");
    for (const char* bad : {"ON", "yes", "minor"}) {
        const Value v = Value::text(bad);
        EXPECT_EQ(errorOf([&] { grid(&v); }), "Unknown command option.");
    }
    EXPECT_EQ(grids(), "offonon");
}

}  // namespace
}  // namespace velmora
