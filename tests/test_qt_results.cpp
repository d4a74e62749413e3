// Analyses on real Qt widgets: an Option 2 run from the welcome window
// through the scale factors to a spectral acceleration plot saved as a
// picture, and how the windows of a run behave: the right window closed,
// plots placed beside their results, the error window in front of its
// screen, one double click acting on one screen, the keyboard's order.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/callback_table.h"
#include "app/functions.h"
#include "app/global_state.h"
#include "app/program.h"
#include "test_qt_support.h"
#include "view/qt_export.h"

namespace velmora::qttest {
namespace {

const char* const kOption1Name =
    "VELMORA: OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS";
const char* const kOption2Name =
    "VELMORA: OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO";
const char* const kPleaseWait = "VELMORA: Please Wait...";
const char* const kPlotButtons[] = {"Ground Acceleration Time History", "Spectral Displacement",
                                    "Pseudo Spectral Velocity", "Spectral Velocity",
                                    "Spectral Acceleration"};

class QtResultsTest : public QtProgramTest {
  protected:
    std::vector<Handle> childrenOf(Handle parent, ObjectType type) {
        std::vector<Handle> out;
        for (Handle c : model().object(parent).children) {
            if (model().object(c).type == type) out.push_back(c);
        }
        return out;
    }

    // The Option 1 input screen, from the welcome window.
    Handle option1Screen() {
        velmora_gui();
        button(newestWindow(), "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ")
            ->click();
        return newestWindow();
    }

    // An Option 1 run with the screens' start values (record 1, five ratios).
    Handle option1Results() {
        button(option1Screen(), "DONE")->click();
        button(newestWindow(), "DONE")->click();
        return newestWindow();
    }

    std::vector<Handle> figuresNamed(const std::string& name) {
        std::vector<Handle> out;
        for (Handle f : model().figuresInCreationOrder()) {
            if (model().get(f, "Name").toText() == name) out.push_back(f);
        }
        return out;
    }

    // The controls in the order Tab visits them, from the focus widget on.
    std::vector<std::string> tabOrder(Handle fig) {
        std::vector<std::string> order;
        QWidget* first = window(fig)->focusWidget();
        QWidget* w = first;
        do {
            const QVariant h = w ? w->property("velmoraHandle") : QVariant();
            if (w && h.isValid() && w->focusPolicy() & Qt::TabFocus && w->isEnabled() &&
                !w->isHidden() && w->window() == window(fig) && w != window(fig)) {
                const Value text = model().get(h.toDouble(), "String");
                const std::string style = model().get(h.toDouble(), "Style").toText();
                order.push_back(style == "pushbutton" ? text.toText() : style);
            }
            w = w ? w->nextInFocusChain() : nullptr;
        } while (w && w != first && order.size() < 40);
        return order;
    }

    // Control-click adds a line to the list's selection.
    static void clickRow(QListWidget* list, int row, bool add) {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        mouseClick(list->viewport(), list->visualItemRect(item).center(),
                   add ? Qt::ControlModifier : Qt::NoModifier);
    }
};

// Near one of the colour-order colours, allowing for antialiased edges.
bool near(QColor p, int r, int g, int b) {
    const int tolerance = 40;
    return std::abs(p.red() - r) <= tolerance && std::abs(p.green() - g) <= tolerance &&
           std::abs(p.blue() - b) <= tolerance;
}

TEST_F(QtResultsTest, Option2FromTheWelcomeWindowToASavedSpectralAccelerationPlot) {
    velmora_gui();
    const Handle welcome = newestWindow();
    ASSERT_NE(welcome, 0);
    clickButton(button(welcome, "OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO "));

    // Records 1, 5 and 10 (line 0 is the header), damping 0.05.
    const Handle input = newestWindow();
    ASSERT_EQ(model().get(input, "Name").toText(), kOption2Name);
    auto* list = widgetOf<QListWidget>(input, controlsOfStyle(input, "listbox").at(0));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 22);
    clickRow(list, 1, false);
    clickRow(list, 5, true);
    clickRow(list, 10, true);
    settle();
    EXPECT_EQ(list->selectedItems().size(), 3);
    const auto dampField = controlsOfStyle(input, "edit");
    ASSERT_EQ(dampField.size(), 1u);
    typeInto(widgetOf<QLineEdit>(input, dampField[0]), "0.05");
    clickButton(button(input, "DONE"));
    EXPECT_EQ(gv(G::EQ), Value::row({1, 5, 10}));
    EXPECT_EQ(gv(G::DAMP), Value::scalar(0.05));
    EXPECT_EQ(gv(G::numquakes), Value::scalar(3));

    // One scale factor field per record.
    const Handle scales = newestWindow();
    ASSERT_EQ(model().get(scales, "Name").toText(), kOption2Name);
    const auto factorFields = controlsOfStyle(scales, "edit");
    ASSERT_EQ(factorFields.size(), 3u);
    typeInto(widgetOf<QLineEdit>(scales, factorFields[0]), "1.5");
    typeInto(widgetOf<QLineEdit>(scales, factorFields[1]), "2");
    typeInto(widgetOf<QLineEdit>(scales, factorFields[2]), "0.5");
    clickButton(button(scales, "DONE"));
    settle(50);
    EXPECT_EQ(gv(G::SCALE2), Value::row({1.5, 2, 0.5}));
    EXPECT_EQ(gv(G::err), Value::scalar(0));
    EXPECT_EQ(gv(G::SA).rows(), 3u);
    EXPECT_EQ(gv(G::SD).rows(), 3u);

    // The results window offers the plots.
    const Handle results = newestWindow();
    ASSERT_EQ(model().get(results, "Name").toText(), kOption2Name);
    clickButton(button(results, "Spectral Acceleration"));
    const Handle plot = windowNamed("FIG/VELMORA: OPTION 2 - Spectral Acceleration");
    ASSERT_NE(plot, 0);
    ASSERT_NE(window(plot), nullptr);
    EXPECT_TRUE(window(plot)->isVisible());
    const auto axes = childrenOf(plot, ObjectType::Axes);
    ASSERT_EQ(axes.size(), 1u);
    EXPECT_EQ(childrenOf(axes[0], ObjectType::Line).size(), 3u);

    // Saved as a PNG file.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath("sa.png");
    qtview::saveFigureImage(model(), plot, path.toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(8);
    EXPECT_EQ(head, QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_GT(file.size(), 1000);
    EXPECT_FALSE(QImage(path).isNull());

    // Each record's curve is drawn in its colour-order colour.
    const QImage image = qtview::renderFigureImage(model(), plot, 1.0);
    ASSERT_FALSE(image.isNull());
    const int colours[3][3] = {{0, 0, 255}, {0, 128, 0}, {255, 0, 0}};
    for (const auto& c : colours) {
        EXPECT_GT(
            countPixels(image, image.rect(), [&c](QColor p) { return near(p, c[0], c[1], c[2]); }),
            30)
            << "colour " << c[0] << "," << c[1] << "," << c[2];
    }
}

TEST_F(QtResultsTest, TheRunClosesItsOwnPleaseWaitWindowWhateverWindowBecameActive) {
    // A plot window open, BACK to the damping ratios, DONE again.
    Handle results = option1Results();
    clickButton(button(results, "Spectral Acceleration"));
    const Handle plot = windowNamed("FIG/VELMORA: OPTION 1 - Spectral Acceleration");
    ASSERT_NE(plot, 0);
    clickButton(button(results, "BACK"));
    Handle ratios = newestWindow();
    ASSERT_EQ(controlsOfStyle(ratios, "edit").size(), 5u);

    // The window manager activates the plot window once the damping ratios
    // screen has closed: the activation arrives while the run shows its
    // progress.
    QCoreApplication::postEvent(window(plot), new QEvent(QEvent::WindowActivate));
    clickButton(button(ratios, "DONE"));
    settle(20);
    ASSERT_TRUE(model().isHandle(plot));
    EXPECT_EQ(model().get(plot, "Name").toText(), "FIG/VELMORA: OPTION 1 - Spectral Acceleration");
    ASSERT_NE(window(plot), nullptr);
    EXPECT_TRUE(window(plot)->isVisible());
    EXPECT_TRUE(figuresNamed(kPleaseWait).empty());
    results = newestWindow();
    EXPECT_EQ(model().get(results, "Name").toText(), kOption1Name);
    EXPECT_EQ(model().figureCount(), 2u);
    EXPECT_EQ(model().topFigure(), results);

    // Whatever makes another window current while the bar advances, the run
    // still closes the please-wait window it opened.
    clickButton(button(results, "BACK"));
    ratios = newestWindow();
    bool waitWasUp = false;
    QTimer::singleShot(0, [&]() {
        waitWasUp = !figuresNamed(kPleaseWait).empty();
        model().makeCurrent(plot);
    });
    clickButton(button(ratios, "DONE"));
    settle(20);
    EXPECT_TRUE(waitWasUp);
    ASSERT_TRUE(model().isHandle(plot));
    EXPECT_EQ(model().get(plot, "Name").toText(), "FIG/VELMORA: OPTION 1 - Spectral Acceleration");
    EXPECT_TRUE(figuresNamed(kPleaseWait).empty());
    EXPECT_EQ(model().figureCount(), 2u);
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
    // The program's property values stay as they were: no Position stored.
    for (Handle f : model().figuresInCreationOrder()) {
        if (f != results) {
            EXPECT_EQ(model().object(f).find("Position"), nullptr);
        }
    }

    // A window closed frees its place for the next one.
    const Handle sd = windowNamed("FIG/VELMORA: OPTION 1 - Spectral Displacement");
    const QPoint freed = window(sd)->geometry().topLeft();
    model().close(sd);
    settle();
    clickButton(button(results, "Spectral Displacement"));
    const Handle reopened = windowNamed("FIG/VELMORA: OPTION 1 - Spectral Displacement");
    ASSERT_NE(reopened, 0);
    EXPECT_EQ(window(reopened)->geometry().topLeft(), freed);

    // A window whose Position the program sets stands where it says.
    model().set(reopened, {{"Position", Value::row({232, 258, 560, 420})}});
    settle();
    EXPECT_EQ(window(reopened)->geometry().left(), resultsPlace.left());
}

TEST_F(QtResultsTest, TheErrorWindowStaysInFrontOfItsScreenAndAnswersReturnAndEscape) {
    const Handle input = option1Screen();
    const auto fields = controlsOfStyle(input, "edit");
    ASSERT_EQ(fields.size(), 2u);
    typeInto(widgetOf<QLineEdit>(input, fields[0]), "12");
    typeInto(widgetOf<QLineEdit>(input, fields[1]), "two");
    button(input, "DONE")->click();
    settle();
    const auto errors = figuresNamed("VELMORA: Error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(gv(G::err), Value::scalar(1));
    for (Handle e : errors) {
        ASSERT_NE(window(e), nullptr);
        ASSERT_NE(window(e)->windowHandle(), nullptr);
        EXPECT_EQ(window(e)->windowHandle()->transientParent(), window(input)->windowHandle());
        EXPECT_TRUE(window(e)->windowFlags() & Qt::Dialog);
        // Both where the program put them, one over the other.
        EXPECT_EQ(window(e)->geometry(), window(errors[0])->geometry());
    }

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

    // The plot windows and the results window are nobody's dialogs.
    typeInto(widgetOf<QLineEdit>(input, fields[0]), "3");
    typeInto(widgetOf<QLineEdit>(input, fields[1]), "1");
    button(input, "DONE")->click();
    button(newestWindow(), "DONE")->click();
    const Handle results = newestWindow();
    ASSERT_EQ(model().get(results, "Name").toText(), kOption1Name);
    clickButton(button(results, "Spectral Velocity"));
    for (Handle f : model().figuresInCreationOrder()) {
        EXPECT_EQ(window(f)->windowHandle()->transientParent(), nullptr);
    }
}

TEST_F(QtResultsTest, APressRightAfterAWindowAppearedIsIgnoredSoADoubleClickSkipsNoScreen) {
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(250);
    const Handle input = option1Screen();
    settle(300);
    // A double click on DONE: the first click moves on to the damping ratios
    // screen, the second lands on its DONE at the same spot and is ignored.
    QPushButton* done = button(input, "DONE");
    mouseClick(done, done->rect().center());
    const Handle ratios = newestWindow();
    ASSERT_EQ(controlsOfStyle(ratios, "edit").size(), 5u);
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
    EXPECT_TRUE(controlsOfStyle(newestWindow(), "edit").empty());
    EXPECT_EQ(model().get(newestWindow(), "Name").toText(), kOption1Name);
}

TEST_F(QtResultsTest, TabFollowsTheReadingOrderFromTheFirstListOrFieldNeverFromQuit) {
    const Handle input = option1Screen();
    EXPECT_EQ(window(input)->focusWidget(),
              widgetOf<QListWidget>(input, controlsOfStyle(input, "listbox").at(0)));
    EXPECT_EQ(tabOrder(input),
              (std::vector<std::string>{"listbox", "edit", "edit", "QUIT", "BACK", "DONE"}));
    // The fields from top to bottom.
    const auto fields = controlsOfStyle(input, "edit");
    std::vector<QWidget*> chain;
    for (QWidget* w = window(input)->focusWidget()->nextInFocusChain();
         chain.size() < 2 && w != window(input)->focusWidget(); w = w->nextInFocusChain()) {
        if (qobject_cast<QLineEdit*>(w)) chain.push_back(w);
    }
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_LT(chain[0]->y(), chain[1]->y());

    button(input, "DONE")->click();
    const Handle ratios = newestWindow();
    EXPECT_EQ(window(ratios)->focusWidget(),
              widgetOf<QLineEdit>(ratios, controlsOfStyle(ratios, "edit").at(0)));
    EXPECT_EQ(tabOrder(ratios), (std::vector<std::string>{"edit", "edit", "edit", "edit", "edit",
                                                          "QUIT", "BACK", "DONE"}));

    button(ratios, "DONE")->click();
    const Handle results = newestWindow();
    std::vector<std::string> expected(std::begin(kPlotButtons), std::end(kPlotButtons));
    for (const char* b : {"QUIT", "BACK", "CLOSE FIG."}) expected.push_back(b);
    EXPECT_EQ(tabOrder(results), expected);

    // The welcome window starts on its first option.
    model().close(results);
    velmora_gui01(Value::scalar(0));
    const Handle welcome = newestWindow();
    EXPECT_EQ(tabOrder(welcome).at(0),
              "OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS ");
}

}  // namespace
}  // namespace velmora::qttest
