// The input screens on real Qt widgets: an Option 1 analysis driven from the
// welcome window by clicks and typing, as a user does it.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/callback_table.h"
#include "app/functions.h"
#include "app/global_state.h"
#include "app/program.h"
#include "engine/ground_motion.h"
#include "test_qt_support.h"

namespace velmora::qttest {
namespace {

using QtScreensTest = QtProgramTest;

TEST_F(QtScreensTest, Option1FromTheWelcomeWindowToTheResults) {
    velmora_gui();
    const Handle welcome = newestWindow();
    ASSERT_NE(welcome, 0);
    QPushButton* option1 =
        button(welcome, "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ");
    ASSERT_NE(option1, nullptr);
    option1->click();

    // Option 1: record 2 (list line 3), three ratios, scale factor 2.
    // Window numbers are reused: the screen may carry the welcome window's.
    const Handle input = newestWindow();
    ASSERT_EQ(model().get(input, "Name").toText(),
              "VELMORA: OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS");
    auto* list = widgetOf<QListWidget>(input, controlsOfStyle(input, "listbox").at(0));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 22);
    list->setCurrentRow(2);
    const auto fields = controlsOfStyle(input, "edit");
    ASSERT_EQ(fields.size(), 2u);
    typeInto(widgetOf<QLineEdit>(input, fields[0]), "3");
    typeInto(widgetOf<QLineEdit>(input, fields[1]), "2");
    ASSERT_NE(button(input, "DONE"), nullptr);
    button(input, "DONE")->click();
    EXPECT_EQ(gv(G::RECORD), Value::scalar(2));
    EXPECT_EQ(gv(G::numdamp), Value::scalar(3));
    EXPECT_EQ(gv(G::SCALE1), Value::scalar(2));

    // The damping ratios screen shows three fields; new ratios typed in.
    const Handle ratios = newestWindow();
    const auto ratioFields = controlsOfStyle(ratios, "edit");
    ASSERT_EQ(ratioFields.size(), 3u);
    EXPECT_EQ(widgetOf<QLineEdit>(ratios, ratioFields[0])->text(), "0.02");
    typeInto(widgetOf<QLineEdit>(ratios, ratioFields[0]), "0.03");
    typeInto(widgetOf<QLineEdit>(ratios, ratioFields[2]), "0.07");
    button(ratios, "DONE")->click();
    settle();

    EXPECT_EQ(gv(G::damp), Value::row({0.03, 0.05, 0.07}));
    EXPECT_EQ(gv(G::err), Value::scalar(0));
    EXPECT_EQ(gv(G::SD).rows(), 3u);
    EXPECT_EQ(gv(G::SD).cols(), 160u);
    EXPECT_EQ(gv(G::SA).rows(), 3u);
    EXPECT_EQ(gv(G::PERIOD).cols(), 160u);
    // The record was scaled by the factor typed on the input screen.
    const auto record = load_ground_motion(gv(G::EQ_data), 2, 2.0, false);
    const Value& acc = gv(G::ACC);
    ASSERT_EQ(acc.numel(), std::min<std::size_t>(record.size(), 1500));
    for (std::size_t k = 1; k <= acc.numel(); k += 97) EXPECT_EQ(acc(k), record[k - 1]);
    // No error window was needed, and the screens gave way to the results.
    for (Handle f : model().figuresInCreationOrder()) {
        EXPECT_NE(model().get(f, "Name").toText(), "VELMORA: Error");
        EXPECT_TRUE(controlsOfStyle(f, "edit").empty());
    }
}

TEST_F(QtScreensTest, AnInvalidCountOpensTheErrorWindowWhoseBackDismissesIt) {
    velmora_gui();
    button(newestWindow(), "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ")->click();
    const Handle input = newestWindow();
    typeInto(widgetOf<QLineEdit>(input, controlsOfStyle(input, "edit").at(0)), "12");
    button(input, "DONE")->click();
    const Handle error = newestWindow();
    ASSERT_NE(error, input);
    EXPECT_EQ(model().get(error, "Name").toText(), "VELMORA: Error");
    EXPECT_EQ(gv(G::err), Value::scalar(1));
    EXPECT_EQ(gv(G::numdamp), Value::scalar(5));

    ASSERT_NE(button(error, "BACK"), nullptr);
    button(error, "BACK")->click();
    settle();
    EXPECT_FALSE(model().isHandle(error));
    EXPECT_TRUE(model().isHandle(input));
    EXPECT_EQ(gv(G::err), Value::scalar(0));
}

}  // namespace
}  // namespace velmora::qttest
