// The headless graphics model: handles, current objects, visibility,
// lookups, properties and plotting.
#include <gtest/gtest.h>

#include <cmath>

#include "host/graphics_host.h"
#include "support/program_fixture.h"

namespace velmora {
namespace {

using testing::ProgramTest;

TEST_F(ProgramTest, FigureNumbersAndHandles) {
    const Handle f1 = mlfNFigure(PropertyList{});
    const Handle f2 = mlfNFigure(PropertyList{});
    EXPECT_EQ(f1, 1);
    EXPECT_EQ(f2, 2);
    mlfNClose(f1);
    // The lowest free whole number is taken again.
    EXPECT_EQ(mlfNFigure(PropertyList{}), 1);
    // IntegerHandle "off" and every other object take handles that are not
    // whole numbers and never -1.
    const Handle dialog = mlfNFigure({{"IntegerHandle", Value::text("off")}});
    const Handle button = mlfNUicontrol(f2, {{"Parent", Value::scalar(f2)}});
    const Handle axes = mlfNAxes({{"Parent", Value::scalar(f2)}});
    for (Handle h : {dialog, button, axes}) {
        EXPECT_NE(std::floor(h), h) << h;
        EXPECT_NE(h, -1);
        EXPECT_TRUE(mlfIshandle(h));
    }
    EXPECT_FALSE(mlfIshandle(-1));
    EXPECT_FALSE(mlfIshandle(99));
    EXPECT_THROW(mlfNFigure(2.5), Error);
    EXPECT_THROW(mlfNFigure(-3.0), Error);
    EXPECT_THROW(mlfNFigure(button), Error);
}

TEST_F(ProgramTest, ChildrenNewestFirstAndHiddenHandles) {
    const Handle a = mlfNFigure(PropertyList{});
    const Handle b = mlfNFigure(PropertyList{});
    const Handle hidden = mlfNFigure(
        {{"HandleVisibility", Value::text("callback")}, {"IntegerHandle", Value::text("off")}});
    const Handle off = mlfNFigure({{"HandleVisibility", Value::text("off")}});
    EXPECT_EQ(mlfGet(0, "Children"), Value::column({b, a}));
    EXPECT_EQ(mlfGcf(), b);  // hidden figures are not current outside callbacks
    inCallback([&] {
        EXPECT_EQ(mlfGet(0, "Children"), Value::column({hidden, b, a}));
        EXPECT_EQ(mlfGcf(), hidden);
    });
    EXPECT_EQ(mlfAllchild(0), (std::vector<Handle>{off, hidden, b, a}));
    // Making a figure current brings it to the front.
    mlfNFigure(a);
    EXPECT_EQ(mlfGet(0, "Children"), Value::column({a, b}));
    EXPECT_EQ(hg().topFigure(), a);
    // findobj sees what is visible; "flat" tests only the handles given.
    EXPECT_EQ(mlfFindobj({0}, false, {{"Type", Value::text("figure")}}).size(), 2u);
    EXPECT_EQ(mlfFindobj(mlfAllchild(0), true, {{"HandleVisibility", Value::text("CALLBACK")}}),
              std::vector<Handle>{hidden});
}

TEST_F(ProgramTest, GcaCreatesAxesWithTheirLabelTexts) {
    const Handle f = mlfNFigure(PropertyList{});
    const Handle a = mlfGca();
    for (const char* label : {"Title", "XLabel", "YLabel", "ZLabel"}) {
        const Handle t = mlfGet(a, label).toDouble();
        EXPECT_EQ(mlfGet(t, "Type").toText(), "text");
        EXPECT_EQ(mlfGet(t, "HandleVisibility").toText(), "off");
    }
    // The label texts are hidden: the axes' visible children are empty, all
    // children hold the four.
    EXPECT_TRUE(mlfGet(a, "Children").isEmpty());
    EXPECT_EQ(mlfAllchild(a).size(), 4u);
    // Without any figure, gca creates both.
    mlfNClose(f);
    const Handle a2 = mlfGca();
    EXPECT_EQ(hg().figureCount(), 1u);
    EXPECT_EQ(mlfGet(a2, "Type").toText(), "axes");
}

TEST_F(ProgramTest, PropertiesMatchWithoutCaseAndKeepDefaults) {
    const Handle f =
        mlfNFigure({{"name", Value::text("Plots")}, {"NUMBERTITLE", Value::text("Off")}});
    EXPECT_EQ(mlfGet(f, "Name").toText(), "Plots");
    EXPECT_EQ(mlfGet(f, "numbertitle").toText(), "off");
    EXPECT_EQ(mlfGet(f, "MenuBar").toText(), "figure");  // never set: the default
    EXPECT_THROW(mlfGet(f, "NoSuchProperty"), Error);
    EXPECT_THROW(mlfNSet(f, {{"Bogus", Value::scalar(1)}}), Error);
    EXPECT_THROW(mlfNSet(f, {{"Color", Value::row({1, 0})}}), Error);
    // The root's default control colour applies to controls that set none.
    mlfNSet(0, {{"DefaultUicontrolBackgroundColor", Value::row({0.5, 0.6, 0.7})}});
    const Handle c =
        mlfNUicontrol(f, {{"Parent", Value::scalar(f)}, {"Style", Value::text("Edit")}});
    EXPECT_EQ(mlfGet(c, "BackgroundColor"), Value::row({0.5, 0.6, 0.7}));
    EXPECT_EQ(mlfGet(c, "Style").toText(), "edit");
    // Root units change what ScreenSize reads.
    hg().setScreen(1440, 900, 96);
    EXPECT_EQ(mlfGet(0, "ScreenSize"), Value::row({1, 1, 1440, 900}));
    mlfNSet(0, {{"Units", Value::text("points")}});
    EXPECT_EQ(mlfGet(0, "ScreenSize"), Value::row({0, 0, 1080, 675}));
    // A figure's "Children" lists its visible children newest first.
    const Handle c2 = mlfNUicontrol(f, {{"Parent", Value::scalar(f)}});
    EXPECT_EQ(mlfGet(f, "Children"), Value::column({c2, c}));
}

TEST_F(ProgramTest, PatchShapeStaysConsistentBothWays) {
    mlfNFigure(PropertyList{});
    const Handle p = mlfNPatch({{"Vertices", Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1})},
                                {"Faces", Value::row({1, 2, 3, 4})}});
    EXPECT_EQ(mlfGet(p, "XData"), Value::column({0, 0, 0, 0}));
    EXPECT_EQ(mlfGet(p, "YData"), Value::column({0, 0, 1, 1}));
    mlfNSet(p, {{"XData", Value::row({20, 40, 40, 20})}});
    EXPECT_EQ(mlfGet(p, "XData"), Value::column({20, 40, 40, 20}));
    EXPECT_EQ(mlfGet(p, "Vertices"), Value::matrix(4, 2, {20, 40, 40, 20, 0, 0, 1, 1}));
    const Handle q =
        mlfNPatch(Value::row({0, 30, 30, 0}), Value::row({0, 0, 1, 1}), Value::text("r"), {});
    EXPECT_EQ(mlfGet(q, "FaceColor"), Value::row({1, 0, 0}));
    EXPECT_THROW(mlfNPatch({{"FaceColor", Value::text("mauve")}}), Error);
}

TEST_F(ProgramTest, PlotMakesOneLinePerRowWithTheColourOrder) {
    mlfNFigure(PropertyList{});
    const Value x = Value::row({1, 2, 3});
    Value y = Value::zeros(9, 3);
    for (std::size_t r = 1; r <= 9; ++r) y.setRow(r, {double(r), 2.0 * r, 3.0 * r});
    const auto lines = mlfNLoglog(x, y);
    ASSERT_EQ(lines.size(), 9u);
    const Handle axes = mlfGca();
    const Value order = mlfGet(axes, "ColorOrder");
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(mlfGet(lines[i], "Color"), Value::row(order.rowValues(i % order.rows() + 1)));
    }
    // A new plot replaces the lines; a y with no rows draws nothing.
    EXPECT_TRUE(mlfNPlot(x, Value::zeros(0, 3)).empty());
    EXPECT_TRUE(mlfFindobj({axes}, false, {{"Type", Value::text("line")}}).empty());
    EXPECT_THROW(mlfNPlot(x, Value::row({1, 2})), Error);
}

TEST_F(ProgramTest, ClosingDeletesTheTreeAndPicksTheNextCurrentFigure) {
    const Handle a = mlfNFigure(PropertyList{});
    const Handle b = mlfNFigure(PropertyList{});
    const Handle c = mlfNUicontrol(b, {{"Parent", Value::scalar(b)}});
    const Handle ax = mlfNAxes({{"Parent", Value::scalar(b)}});
    const Handle title = mlfGet(ax, "Title").toDouble();
    mlfNClose();
    for (Handle h : {b, c, ax, title}) EXPECT_FALSE(mlfIshandle(h));
    EXPECT_EQ(mlfGcf(), a);
    EXPECT_THROW(mlfNClose(c), Error);
    mlfNClose();
    EXPECT_EQ(hg().figureCount(), 0u);
    EXPECT_NO_THROW(mlfNClose());  // nothing to close
}

TEST_F(ProgramTest, TextExtentGrowsWithTheTextAndFollowsUnits) {
    mlfNFigure(PropertyList{});
    const Handle t =
        mlfNText({{"String", Value::text("Waitbar")}, {"FontSize", Value::scalar(10)}});
    mlfNSet(t, {{"Units", Value::text("points")}});
    const Value small = mlfGet(t, "Extent");
    mlfNSet(t, {{"String", Value::text(std::string(80, 'W'))}});
    const Value wide = mlfGet(t, "Extent");
    EXPECT_GT(small(3), 0);
    EXPECT_GT(wide(3), 5 * small(3));
    EXPECT_GT(wide(4), 0);
    mlfNSet(t, {{"Units", Value::text("pixels")}});
    EXPECT_NEAR(mlfGet(t, "Extent")(3), wide(3) * 96 / 72, 1e-9);
}

}  // namespace
}  // namespace velmora
