// The program on real Qt widgets, as a user drives it: Option 1 and Option 2
// from the welcome window by clicks and typing to their plots, and how the
// windows of a run behave: the right window closed, plots placed beside their
// results, the error window in front of its screen, one double click acting on
// one screen, the keyboard's order.
#include <QListWidget>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

#include "app/functions.h"
#include "test_qt_support.h"
#include "view/qt_export.h"

namespace velmora::qttest {
namespace {

const char* const kOption1Name =
    "VELMORA: OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS";
const char* const kOption2Name =
    "VELMORA: OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO";
const char* const kPleaseWait = "VELMORA: Please Wait...";
const char* const kOption1Button = "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ";
const char* const kPlotButtons[] = {"Ground Acceleration Time History", "Spectral Displacement",
                                    "Pseudo Spectral Velocity", "Spectral Velocity",
                                    "Spectral Acceleration"};

class QtResultsTest : public QtProgramTest {
  protected:
    // An option's input screen, from the welcome window.
    Handle optionScreen(const char* caption) {
        velmora_gui();
        clickButton(button(newestWindow(), caption));
        return newestWindow();
    }

    // An Option 1 run with the screens' start values (record 1, five ratios).
    Handle option1Results() {
        button(optionScreen(kOption1Button), "DONE")->click();
        button(newestWindow(), "DONE")->click();
        return newestWindow();
    }

    // The controls in the order Tab visits them, from the focus widget on:
    // buttons by caption, fields by what they show.
    std::vector<std::string> tabOrder(Handle fig) {
        std::vector<std::string> order;
        QWidget* first = window(fig)->focusWidget();
        QWidget* w = first;
        do {
            const QVariant h = w ? w->property("velmoraHandle") : QVariant();
            if (w && h.isValid() && w->focusPolicy() & Qt::TabFocus && w->isEnabled() &&
                !w->isHidden() && w->window() == window(fig) && w != window(fig)) {
                const std::string style = model().get(h.toDouble(), "Style").toText();
                const Value text = model().get(h.toDouble(), "String");
                order.push_back(style == "pushbutton" ? text.toText()
                                : style == "edit"     ? "edit " + text.toText()
                                                      : style);
            }
            w = w ? w->nextInFocusChain() : nullptr;
        } while (w && w != first && order.size() < 40);
        return order;
    }
};

TEST_F(QtResultsTest, Option1FromTheWelcomeWindowPastItsErrorWindowsToTheResults) {
    const Handle input = optionScreen(kOption1Button);
    ASSERT_EQ(model().get(input, "Name").toText(), kOption1Name);
    const auto fields = controlsOfStyle(input, "edit");
    ASSERT_EQ(fields.size(), 2u);
    // A bad count and a bad scale factor: two error windows, in front of
    // their screen, where the program put them, one over the other.
    typeInto(widgetOf<QLineEdit>(input, fields[0]), "12");
    typeInto(widgetOf<QLineEdit>(input, fields[1]), "two");
    button(input, "DONE")->click();
    settle();
    const auto errors = figuresNamed("VELMORA: Error");
    ASSERT_EQ(errors.size(), 2u);
    for (Handle e : errors) {
        ASSERT_NE(window(e), nullptr);
        ASSERT_NE(window(e)->windowHandle(), nullptr);
        EXPECT_EQ(window(e)->windowHandle()->transientParent(), window(input)->windowHandle());
        EXPECT_TRUE(window(e)->windowFlags() & Qt::Dialog);
        EXPECT_EQ(window(e)->geometry(), window(errors[0])->geometry());
    }
    EXPECT_EQ(model().topFigure(), errors[1]);
    // Return presses BACK of the one it reaches, Escape the other's.
    QWidget* focus = window(errors[1])->focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus, button(errors[1], "BACK"));
    pressKey(focus, Qt::Key_Return);
    settle();
    EXPECT_FALSE(model().isHandle(errors[1]));
    EXPECT_EQ(gv(G::err), Value::scalar(0));
    EXPECT_TRUE(model().isHandle(errors[0]));
    pressKey(window(errors[0])->focusWidget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(model().isHandle(errors[0]));
    EXPECT_TRUE(model().isHandle(input));
    // Keys on a screen with more buttons press none of them.
    pressKey(window(input)->canvas(), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(model().isHandle(input));
    EXPECT_EQ(model().figureCount(), 1u);

    // Record 21 (the last list line, clicked: the start record's line is
    // no longer selected), three ratios, scale factor -0.25.
    auto* list = widgetOf<QListWidget>(input, controlsOfStyle(input, "listbox").at(0));
    ASSERT_NE(list, nullptr);
    list->scrollToItem(list->item(21));
    mouseClick(list->viewport(), list->visualItemRect(list->item(21)).center());
    EXPECT_EQ(list->selectedItems().size(), 1);
    typeInto(widgetOf<QLineEdit>(input, fields[0]), "3");
    typeInto(widgetOf<QLineEdit>(input, fields[1]), "-2.5e-1");
    clickButton(button(input, "DONE"));
    EXPECT_EQ(gv(G::RECORD), Value::scalar(21));
    EXPECT_EQ(gv(G::SCALE1), Value::scalar(-0.25));

    // The damping ratios screen shows three fields; new ratios typed in.
    const Handle ratios = newestWindow();
    const auto ratioFields = controlsOfStyle(ratios, "edit");
    ASSERT_EQ(ratioFields.size(), 3u);
    typeInto(widgetOf<QLineEdit>(ratios, ratioFields[0]), "0.03");
    typeInto(widgetOf<QLineEdit>(ratios, ratioFields[2]), "0.07");
    clickButton(button(ratios, "DONE"));
    EXPECT_EQ(gv(G::damp), Value::row({0.03, 0.05, 0.07}));
    // Window numbers are reused: the results may carry the screen's.
    const Handle results = newestWindow();

    // The plot windows and the results window are nobody's dialogs.
    clickButton(button(results, "Spectral Velocity"));
    EXPECT_EQ(model().figureCount(), 2u);
    for (Handle f : model().figuresInCreationOrder()) {
        EXPECT_EQ(window(f)->windowHandle()->transientParent(), nullptr);
    }
}

TEST_F(QtResultsTest, Option2FromTheWelcomeWindowToASpectralAccelerationPlot) {
    // Records 1, 5 and 10 (line 0 is the header), damping 0.05.
    const Handle input =
        optionScreen("OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO ");
    ASSERT_EQ(model().get(input, "Name").toText(), kOption2Name);
    auto* list = widgetOf<QListWidget>(input, controlsOfStyle(input, "listbox").at(0));
    ASSERT_NE(list, nullptr);
    for (int row : {1, 5, 10}) {
        list->scrollToItem(list->item(row));
        // Control-click adds a line to the selection.
        mouseClick(list->viewport(), list->visualItemRect(list->item(row)).center(),
                   row == 1 ? Qt::NoModifier : Qt::ControlModifier);
    }
    settle();
    EXPECT_EQ(list->selectedItems().size(), 3);
    typeInto(widgetOf<QLineEdit>(input, controlsOfStyle(input, "edit").at(0)), "0.05");
    clickButton(button(input, "DONE"));
    EXPECT_EQ(gv(G::EQ), Value::row({1, 5, 10}));

    // One scale factor field per record.
    const Handle scales = newestWindow();
    const auto factorFields = controlsOfStyle(scales, "edit");
    const char* const factors[] = {"1.5", "2", "0.5"};
    for (int i = 0; i < 3; ++i)
        typeInto(widgetOf<QLineEdit>(scales, factorFields.at(i)), factors[i]);
    clickButton(button(scales, "DONE"));
    settle(50);
    EXPECT_EQ(gv(G::SCALE2), Value::row({1.5, 2, 0.5}));

    // The results window offers the plots.
    clickButton(button(newestWindow(), "Spectral Acceleration"));
    const Handle plot = windowNamed("FIG/VELMORA: OPTION 2 - Spectral Acceleration");
    ASSERT_NE(plot, 0);
    ASSERT_NE(window(plot), nullptr);
    EXPECT_TRUE(window(plot)->isVisible());
    // Each record's curve is drawn in its colour-order colour (give or take
    // antialiased edges).
    const QImage image = qtview::renderFigureImage(model(), plot, 1.0);
    for (const QColor c : {QColor(0, 0, 255), QColor(0, 128, 0), QColor(255, 0, 0)}) {
        auto near = [&c](QColor p) {
            return std::abs(p.red() - c.red()) <= 40 && std::abs(p.green() - c.green()) <= 40 &&
                   std::abs(p.blue() - c.blue()) <= 40;
        };
        EXPECT_GT(countPixels(image, image.rect(), near), 30) << c.name().toStdString();
    }
}

TEST_F(QtResultsTest, TheRunClosesItsOwnPleaseWaitWindowWhateverWindowBecameActive) {
    Handle results = option1Results();
    clickButton(button(results, "Spectral Acceleration"));
    const Handle plot = windowNamed("FIG/VELMORA: OPTION 1 - Spectral Acceleration");
    ASSERT_NE(plot, 0);
    // With the plot window open, twice BACK to the damping ratios and DONE
    // again. First the window manager activates the plot window once the
    // damping ratios screen has closed: the activation arrives while the run
    // shows its progress. Then something makes the plot window current while
    // the bar advances.
    for (bool activatedByTheWindowManager : {true, false}) {
        SCOPED_TRACE(activatedByTheWindowManager);
        clickButton(button(results, "BACK"));
        const Handle ratios = newestWindow();
        bool waitWasUp = activatedByTheWindowManager;
        if (activatedByTheWindowManager) {
            QCoreApplication::postEvent(window(plot), new QEvent(QEvent::WindowActivate));
        } else {
            QTimer::singleShot(0, [&]() {
                waitWasUp = !figuresNamed(kPleaseWait).empty();
                model().makeCurrent(plot);
            });
        }
        clickButton(button(ratios, "DONE"));
        settle(20);
        EXPECT_TRUE(waitWasUp);
        ASSERT_TRUE(model().isHandle(plot));
        EXPECT_EQ(model().get(plot, "Name").toText(),
                  "FIG/VELMORA: OPTION 1 - Spectral Acceleration");
        ASSERT_NE(window(plot), nullptr);
        EXPECT_TRUE(window(plot)->isVisible());
        EXPECT_TRUE(figuresNamed(kPleaseWait).empty());
        // The run forgets the plot window, which stays open.
        EXPECT_EQ(gv(G::fig1_sa), Value::scalar(-1));
        results = newestWindow();
        EXPECT_EQ(model().get(results, "Name").toText(), kOption1Name);
        EXPECT_EQ(model().figureCount(), 2u);
        EXPECT_EQ(model().topFigure(), results);
    }
}

TEST_F(QtResultsTest, PlotWindowsCascadeFromTheResultsWindowThatKeepsItsPlace) {
    const Handle results = option1Results();
    const QRect resultsPlace = window(results)->geometry();
    for (const char* caption : kPlotButtons) clickButton(button(results, caption));
    settle(20);
    ASSERT_EQ(model().figureCount(), 6u);
    EXPECT_EQ(window(results)->geometry(), resultsPlace);

    // Each plot window a title bar further down and right than the one
    // before, back to the screen's left or top edge where it would leave the
    // screen; the first not over the results window.
    std::vector<QRect> places;
    for (Handle f : model().figuresInCreationOrder()) {
        ASSERT_TRUE(window(f)->isVisible());
        places.push_back(window(f)->geometry());
        // The program's property values stay as they were: no Position stored.
        EXPECT_TRUE(f == results || model().object(f).find("Position") == nullptr) << f;
    }
    std::vector<std::pair<int, int>> corners;
    for (const QRect& r : places) corners.push_back({r.x(), r.y()});
    std::sort(corners.begin(), corners.end());
    EXPECT_EQ(std::unique(corners.begin(), corners.end()), corners.end());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int step = places[2].y() - places[1].y();
    EXPECT_GE(step, 16);
    EXPECT_LE(step, 40);
    const int spanX = area.width() - places[1].width();
    const int spanY = area.height() - step - places[1].height();
    for (std::size_t i = 1; i < places.size(); ++i) {
        EXPECT_TRUE(area.contains(places[i])) << i;
        EXPECT_GE(places[i].top(), area.top() + step) << i;
        if (i < 2) continue;
        EXPECT_EQ((places[i].x() - places[i - 1].x() - step) % spanX, 0) << i;
        EXPECT_EQ((places[i].y() - places[i - 1].y() - step) % spanY, 0) << i;
    }
    EXPECT_GE(std::abs(places[1].y() - places[0].y()), step / 2);

    // A window closed through its frame frees its place for the next one,
    // whose number is above every remembered one, the closed one's too.
    const Handle sd = windowNamed("FIG/VELMORA: OPTION 1 - Spectral Displacement");
    const QPoint freed = window(sd)->geometry().topLeft();
    window(sd)->close();
    settle();
    clickButton(button(results, "Spectral Displacement"));
    const Handle reopened = windowNamed("FIG/VELMORA: OPTION 1 - Spectral Displacement");
    ASSERT_NE(reopened, 0);
    EXPECT_EQ(reopened, results + 6);
    EXPECT_EQ(window(reopened)->geometry().topLeft(), freed);
    // Pressed again, the button raises its window and opens none.
    clickButton(button(results, "Spectral Displacement"));
    EXPECT_EQ(model().topFigure(), reopened);
    EXPECT_EQ(model().figureCount(), 6u);

    // A window whose Position the program sets stands where it says.
    model().set(reopened, {{"Position", Value::row({232, 258, 560, 420})}});
    settle();
    EXPECT_EQ(window(reopened)->geometry().left(), resultsPlace.left());

    // CLOSE FIG. closes this window's plots only and forgets them; pressed
    // again it does nothing.
    clickButton(button(results, "CLOSE FIG."));
    clickButton(button(results, "CLOSE FIG."));
    EXPECT_EQ(model().figureCount(), 1u);
    EXPECT_EQ(gv(G::fig1_sd), Value::scalar(-1));
}

TEST_F(QtResultsTest, TabFollowsTheReadingOrderAndADoubleClickSkipsNoScreen) {
    // Tab starts from the first list or field, never from QUIT.
    const Handle input = optionScreen(kOption1Button);
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(250);
    EXPECT_EQ(window(input)->focusWidget(),
              widgetOf<QListWidget>(input, controlsOfStyle(input, "listbox").at(0)));
    // The fields from top to bottom: the scale factor above the count.
    EXPECT_EQ(tabOrder(input),
              (std::vector<std::string>{"listbox", "edit 1", "edit 5", "QUIT", "BACK", "DONE"}));

    // A double click on DONE: the first click moves on to the damping ratios
    // screen, the second lands on its DONE at the same spot and is ignored.
    settle(300);
    QPushButton* done = button(input, "DONE");
    mouseClick(done, done->rect().center());
    const Handle ratios = newestWindow();
    EXPECT_EQ(window(ratios)->focusWidget(),
              widgetOf<QLineEdit>(ratios, controlsOfStyle(ratios, "edit").at(0)));
    EXPECT_EQ(tabOrder(ratios),
              (std::vector<std::string>{"edit 0.02", "edit 0.05", "edit 0.1", "edit 0.15",
                                        "edit 0.2", "QUIT", "BACK", "DONE"}));
    QPushButton* next = button(ratios, "DONE");
    mouseClick(next, next->rect().center());
    QMouseEvent again(QEvent::MouseButtonDblClick, QPointF(next->rect().center()),
                      next->mapToGlobal(QPointF(next->rect().center())), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(next, &again);
    settle();
    EXPECT_EQ(model().figureCount(), 1u);
    EXPECT_EQ(controlsOfStyle(newestWindow(), "edit").size(), 5u);
    EXPECT_EQ(gv(G::SA).rows(), 0u);

    // Once the double-click time has passed, a click counts.
    settle(300);
    mouseClick(next, next->rect().center());
    settle();
    // (Window numbers are used again: the results may carry the screen's.)
    EXPECT_EQ(gv(G::SA).rows(), 5u);
    ASSERT_EQ(model().figureCount(), 1u);
    const Handle results = newestWindow();
    std::vector<std::string> expected(std::begin(kPlotButtons), std::end(kPlotButtons));
    for (const char* b : {"QUIT", "BACK", "CLOSE FIG."}) expected.push_back(b);
    EXPECT_EQ(tabOrder(results), expected);

    // The welcome window starts on its first option.
    model().close(results);
    velmora_gui01(Value::scalar(0));
    EXPECT_EQ(tabOrder(newestWindow()).at(0), kOption1Button);
}

}  // namespace
}  // namespace velmora::qttest
