// The waitbar's forms and messages, and the please-wait window.
#include <gtest/gtest.h>

#include <cmath>

#include "app/functions.h"
#include "support/program_fixture.h"

namespace velmora {
namespace {

using testing::errorOf;
using testing::ProgramTest;

Handle barPatch(Handle f) {
    const auto p = mlfFindobj({f}, false, {{"Type", Value::text("patch")}});
    EXPECT_EQ(p.size(), 1u);
    return p.empty() ? -1 : p[0];
}

// The tree of the please-wait window, then waitbar moving its bar.
TEST_F(ProgramTest, PleaseWaitWindowTreeAndWaitbarAdvancingItsBar) {
    inCallback([&] {
        EXPECT_TRUE(velmora_gui06wait(0).isEmpty());
        const Handle f = velmora_gui06wait(1).toDouble();
        EXPECT_NE(f, std::floor(f));  // not a whole number
        EXPECT_EQ(mlfGet(f, "Name").toText(), "VELMORA: Please Wait...");
        EXPECT_EQ(mlfGet(f, "Tag").toText(), "TMWWaitbar");
        EXPECT_EQ(mlfGet(f, "Resize").toText(), "off");
        EXPECT_EQ(mlfGet(f, "MenuBar").toText(), "none");
        EXPECT_EQ(mlfGet(f, "ToolBar").toText(), "none");
        EXPECT_EQ(mlfGet(f, "HandleVisibility").toText(), "callback");
        const auto& fig = hg().object(f);
        ASSERT_EQ(fig.children.size(), 1u);
        const Handle axes = fig.children[0];
        EXPECT_EQ(mlfGet(axes, "Tag").toText(), "Axes1");
        EXPECT_EQ(mlfGet(axes, "XLim"), Value::row({0, 100}));
        EXPECT_EQ(mlfGet(axes, "YLim"), Value::row({0, 1}));
        // Creation order: title text, patch, line, x, y and z label texts.
        const auto& kids = hg().object(axes).children;
        ASSERT_EQ(kids.size(), 6u);
        const char* tags[] = {"Axes1Text4", "Axes1Patch1", "Axes1Line1",
                              "Axes1Text3", "Axes1Text2",  "Axes1Text1"};
        for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(mlfGet(kids[i], "Tag").toText(), tags[i]);
        EXPECT_EQ(mlfGet(axes, "Title").toDouble(), kids[0]);
        EXPECT_EQ(mlfGet(kids[0], "String").toText(), "Please Wait...");
        EXPECT_EQ(mlfGet(axes, "XLabel").toDouble(), kids[3]);
        EXPECT_EQ(mlfGet(axes, "YLabel").toDouble(), kids[4]);
        EXPECT_EQ(mlfGet(axes, "ZLabel").toDouble(), kids[5]);
        // The bar starts with zero width.
        const Handle bar = barPatch(f);
        EXPECT_EQ(bar, kids[1]);
        EXPECT_EQ(mlfGet(bar, "XData"), Value::column({0, 0, 0, 0}));

        const Value a = Value::scalar(0.2), b = Value::scalar(0.4);
        waitbar(0, &a, nullptr);
        EXPECT_EQ(mlfGet(bar, "XData"), Value::column({0, 20, 20, 0}));
        EXPECT_EQ(waitbar(1, &b, nullptr).toDouble(), f);
        EXPECT_EQ(mlfGet(bar, "XData"), Value::column({20, 40, 40, 20}));
        const Value over = Value::scalar(1.7), under = Value::scalar(-0.2);
        waitbar(0, &over, nullptr);
        EXPECT_EQ(mlfGet(bar, "XData")(2), 100);
        const Value handle = Value::scalar(f);
        waitbar(0, &under, &handle);
        EXPECT_EQ(mlfGet(bar, "XData")(2), 0);
        // Not a number: the clamp's upper limit, a full bar.
        const Value nan = Value::scalar(std::nan(""));
        waitbar(0, &nan, nullptr);
        EXPECT_EQ(mlfGet(bar, "XData"), Value::column({0, 100, 100, 0}));
        // No new window: the two are those of both please-wait calls.
        EXPECT_EQ(mlfAllchild(0).size(), 2u);
    });
}

TEST_F(ProgramTest, WaitbarCreatesAWindowWhenThereIsNone) {
    hg().setScreen(1280, 1024, 96);
    const Value x = Value::scalar(0.3);
    const Handle f = waitbar(1, &x, nullptr).toDouble();
    EXPECT_EQ(mlfGet(f, "Tag").toText(), "TMWWaitbar");
    EXPECT_EQ(mlfGet(f, "Visible").toText(), "on");
    EXPECT_EQ(mlfGet(f, "HandleVisibility").toText(), "callback");
    EXPECT_EQ(mlfGet(barPatch(f), "XData"), Value::column({0, 30, 30, 0}));
    const Handle axes = hg().object(f).children[0];
    EXPECT_EQ(mlfGet(mlfGet(axes, "Title").toDouble(), "String").toText(), "Waitbar");
    // Centred on the screen, 360 x 75 pixels in points, root units restored.
    const Value pos = mlfGet(f, "Position");
    EXPECT_DOUBLE_EQ(pos(3), 270);
    EXPECT_DOUBLE_EQ(pos(1), 480 - 135);
    EXPECT_EQ(mlfGet(0, "Units").toText(), "pixels");

    // A title always makes a new window, even with one open; a very long
    // one widens the window to 1.1 times its extent.
    const Value longTitle = Value::text(std::string(120, 'W'));
    const Handle wide = waitbar(1, &x, &longTitle).toDouble();
    const Value wpos = mlfGet(wide, "Position");
    EXPECT_GT(wpos(3), 270);
    EXPECT_NEAR(wpos(1) + wpos(3) / 2, 480, 1e-9);  // still centred
    const Handle wideAxes = hg().object(wide).children[0];
    EXPECT_NEAR(mlfGet(wideAxes, "Position")(3), 0.9 * wpos(3), 1e-9);
}

TEST_F(ProgramTest, WaitbarMessages) {
    const Value x = Value::scalar(0.5);
    const Value cell = Value::cellRow({Value::text("a")});
    EXPECT_EQ(errorOf([&] { waitbar(0, &x, &cell); }),
              "Two-argument syntax requires WAITBAR(X,'title') or WAITBAR(X,H)");
    EXPECT_EQ(errorOf([&] { waitbar(0, nullptr, nullptr); }), "Input arguments not valid.");
    // A numeric second argument is a handle to update, the empty one
    // included; neither names a waitbar window.
    const std::size_t windows = mlfAllchild(0).size();
    for (const Value& handle : {Value(), Value::zeros(0, 0), Value::scalar(12345)}) {
        EXPECT_EQ(errorOf([&] { waitbar(0, &x, &handle); }), "Couldn't find waitbar handles.");
    }
    EXPECT_EQ(mlfAllchild(0).size(), windows);
    // A tagged window without a patch and a line.
    inCallback([&] {
        mlfNFigure(
            {{"Tag", Value::text("TMWWaitbar")}, {"HandleVisibility", Value::text("callback")}});
        EXPECT_EQ(errorOf([&] { waitbar(0, &x, nullptr); }), "Couldn't find waitbar handles.");
    });
}

}  // namespace
}  // namespace velmora
