// Figures as real windows and controls as real widgets: where they sit, how
// they look, and what the user's doings do to the model.
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "test_qt_support.h"

namespace velmora::qttest {
namespace {

Value rgb(double r, double g, double b) {
    return Value::row({r, g, b});
}

class QtControlsTest : public QtViewTest {
  protected:
    // A 400 x 300 pixel figure without a menu bar.
    Handle makeFigure(const std::string& name = "Input") {
        return model().createFigure({{"Name", Value::text(name)},
                                     {"Position", Value::row({101, 201, 400, 300})},
                                     {"Color", rgb(0.5, 0.6, 0.7)},
                                     {"MenuBar", Value::text("none")}});
    }
    Handle control(Handle fig, const PropertyList& props) {
        return model().create(ObjectType::Uicontrol, fig, props);
    }
};

TEST_F(QtControlsTest, FigureIsARealWindowWithTitleSizeAndColour) {
    const Handle f = makeFigure("Site data");
    settle();
    auto* w = window(f);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Figure 1: Site data");
    EXPECT_EQ(w->canvas()->size(), QSize(400, 300));
    EXPECT_TRUE(w->menu()->isHidden());
    // Lower-left origin: bottom 201 (1-based) on an 800 pixel high screen.
    const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
    EXPECT_EQ(w->geometry(), QRect(100, screenHeight - 200 - 300, 400, 300));
    EXPECT_EQ(grabCanvas(f).pixelColor(200, 150), QColor(128, 153, 179));

    model().set(f, {{"NumberTitle", Value::text("off")}});
    EXPECT_EQ(w->windowTitle(), "Site data");
    model().set(f, {{"Visible", Value::text("off")}});
    EXPECT_FALSE(w->isVisible());
}

// Then the program changes them: what it sets shows without coming back as
// user input, while what the user types comes back.
TEST_F(QtControlsTest, ControlsOfEachStyleShowWhatTheProgramSetsAndTypingComesBack) {
    const Handle f = makeFigure();
    const Handle frame = control(f, {{"Style", Value::text("frame")},
                                     {"Position", Value::row({11, 21, 200, 100})},
                                     {"BackgroundColor", rgb(1, 0, 0)}});
    // 150 points = 200 pixels at 96 pixels per inch.
    const Handle label = control(f, {{"Style", Value::text("text")},
                                     {"Units", Value::text("points")},
                                     {"Position", Value::row({150, 150, 60, 15})},
                                     {"String", Value::text("Damping")},
                                     {"FontName", Value::text("Time")},
                                     {"FontSize", Value::scalar(12)},
                                     {"FontWeight", Value::text("bold")},
                                     {"BackgroundColor", rgb(0, 1, 0)},
                                     {"ForegroundColor", rgb(0, 0, 1)}});
    const Handle edit = control(f, {{"Style", Value::text("edit")},
                                    {"Callback", Value::text("velmora_gui02set")},
                                    {"Position", Value::row({231, 251, 120, 24})},
                                    {"String", Value::text("0.05")},
                                    {"HorizontalAlignment", Value::text("left")},
                                    {"BackgroundColor", rgb(1, 1, 1)}});
    std::vector<Value> lines;
    for (int i = 1; i <= 40; ++i) lines.push_back(Value::text("line " + std::to_string(i)));
    const Handle list = control(f, {{"Style", Value::text("listbox")},
                                    {"Position", Value::row({231, 101, 150, 80})},
                                    {"Callback", Value::text("velmora_gui03set")},
                                    {"String", Value::cellRow(lines)},
                                    {"FontName", Value::text("Fixedsys")},
                                    {"BackgroundColor", rgb(1, 1, 1)}});
    const Handle button =
        control(f, {{"Position", Value::row({301, 11, 90, 30})}, {"String", Value::text("Close")}});
    settle();

    auto* frameW = widgetOf<QFrame>(f, frame);
    auto* labelW = widgetOf<QLabel>(f, label);
    auto* editW = widgetOf<QLineEdit>(f, edit);
    auto* listW = widgetOf<QListWidget>(f, list);
    auto* buttonW = widgetOf<QPushButton>(f, button);
    // Each style is its own kind of widget.
    ASSERT_TRUE(frameW && labelW && editW && listW && buttonW);
    EXPECT_EQ(frameW->geometry(), QRect(10, 300 - 20 - 100, 200, 100));
    EXPECT_EQ(frameW->frameShadow(), QFrame::Sunken);

    EXPECT_EQ(labelW->geometry(), QRect(200, 300 - 220, 80, 20));
    EXPECT_EQ(labelW->text(), "Damping");
    EXPECT_TRUE(labelW->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(QFontInfo(labelW->font()).family().contains("Serif"));
    EXPECT_EQ(labelW->font().pointSizeF(), 12);
    EXPECT_EQ(labelW->font().weight(), QFont::Bold);

    EXPECT_EQ(editW->geometry(), QRect(230, 300 - 250 - 24, 120, 24));
    EXPECT_EQ(editW->text(), "0.05");
    EXPECT_TRUE(editW->alignment() & Qt::AlignLeft);

    EXPECT_EQ(listW->geometry(), QRect(230, 300 - 100 - 80, 150, 80));
    ASSERT_EQ(listW->count(), 40);
    EXPECT_EQ(listW->item(2)->text(), "line 3");
    EXPECT_EQ(QFontInfo(listW->font()).family(), "DejaVu Sans Mono");
    EXPECT_EQ(listW->selectionMode(), QAbstractItemView::SingleSelection);

    EXPECT_EQ(buttonW->geometry(), QRect(300, 300 - 10 - 30, 90, 30));
    EXPECT_EQ(buttonW->text(), "Close");

    // What the user sees: each colour where it belongs.
    const QImage image = grabCanvas(f);
    EXPECT_EQ(image.pixelColor(110, 230), QColor(255, 0, 0));  // inside the frame
    EXPECT_EQ(image.pixelColor(202, 82), QColor(0, 255, 0));   // label background
    EXPECT_EQ(image.pixelColor(5, 5), QColor(128, 153, 179));  // figure
    EXPECT_GT(countPixels(image, labelW->geometry(), [](QColor p) { return isHue(p, 2); }), 10);
    // The sunken border: its top edge darker than the panel.
    EXPECT_GT(countPixels(image, frameW->geometry().adjusted(0, 0, 0, -99),
                          [](QColor p) { return p.red() < 200; }),
              150);

    model().set(edit, {{"String", Value::text("12.5")},
                       {"BackgroundColor", rgb(1, 1, 0)},
                       {"Position", Value::row({51, 61, 70, 22})}});
    model().set(list, {{"Value", Value::row({30})}, {"ListboxTop", Value::scalar(25)}});
    model().set(label, {{"String", Value::textRows({"two", "rows"})}});
    settle();
    EXPECT_EQ(editW->text(), "12.5");
    EXPECT_EQ(editW->geometry(), QRect(50, 300 - 60 - 22, 70, 22));
    EXPECT_EQ(editW->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_TRUE(listW->item(29)->isSelected());
    EXPECT_EQ(listW->indexAt(QPoint(5, 2)).row(), 24);  // line 25 at the top
    EXPECT_EQ(labelW->text(), "two\nrows");
    // Nothing came back as if the user had typed or selected.
    EXPECT_TRUE(callbacks_.empty());
    EXPECT_EQ(model().get(edit, "String").toText(), "12.5");
    EXPECT_EQ(model().get(list, "Value"), Value::row({30}));

    // What the user types sets the String at once; committing the entry runs
    // the field's callback, once.
    typeInto(editW, "4.5", false);
    EXPECT_EQ(model().get(edit, "String").toText(), "4.5");
    EXPECT_TRUE(callbacks_.empty());
    pressKey(editW, Qt::Key_Return);
    EXPECT_EQ(callbacks_, std::vector<std::string>{"velmora_gui02set"});
}

TEST_F(QtControlsTest, PushingAButtonRunsItsCallbackInItsWindow) {
    const Handle f1 = makeFigure("One");
    const Handle b = control(
        f1, {{"String", Value::text("Run")}, {"Callback", Value::text("velmora_gui06(2)")}});
    const Handle f2 = makeFigure("Two");
    settle();
    EXPECT_EQ(model().topFigure(), f2);
    auto* button = widgetOf<QPushButton>(f1, b);
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(callbacks_, std::vector<std::string>{"velmora_gui06(2)"});
    EXPECT_EQ(model().topFigure(), f1);
}

TEST_F(QtControlsTest, LongListLinesScrollSidewaysAndShowWholeAsTooltips) {
    const Handle f = makeFigure();
    const std::string longLine =
        "7   Northridge, Arleta and Nordhoff Fire Station, Jan.17,1994, 90degr.";
    const Handle l =
        control(f, {{"Style", Value::text("listbox")},
                    {"Position", Value::row({11, 11, 150, 120})},
                    {"String", Value::cellRow({Value::text("1   Short"), Value::text(longLine),
                                               Value::text("3   Another short one")})}});
    const Handle narrow = control(f, {{"Style", Value::text("listbox")},
                                      {"Position", Value::row({201, 11, 150, 120})},
                                      {"String", Value::text("One|Two")}});
    settle();
    auto* list = widgetOf<QListWidget>(f, l);
    ASSERT_NE(list, nullptr);
    list->show();
    settle();
    // The scroll range reaches the end of the longest line.
    QScrollBar* bar = list->horizontalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    const int lineWidth =
        QFontMetrics(list->font()).horizontalAdvance(QString::fromStdString(longLine));
    EXPECT_GE(bar->maximum() + list->viewport()->width(), lineWidth);
    bar->setValue(bar->maximum());
    const QRect end = list->visualItemRect(list->item(1));
    EXPECT_LE(end.left() + lineWidth, list->viewport()->width() + 4);
    bar->setValue(0);

    // Hovering a line shows all of it.
    const QPoint at = list->visualItemRect(list->item(1)).center();
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), longLine);
    QToolTip::hideText();
    // Lines that fit need no scroll bar.
    EXPECT_FALSE(widgetOf<QListWidget>(f, narrow)->horizontalScrollBar()->isVisible());
}

TEST_F(QtControlsTest, ClosingAWindowThroughItsFrameDeletesTheFigure) {
    const Handle f = makeFigure();
    control(f, {{"String", Value::text("OK")}, {"Callback", Value::text("velmora_gui01(1)")}});
    settle();
    ASSERT_NE(window(f), nullptr);
    window(f)->close();
    EXPECT_FALSE(model().isHandle(f));
    EXPECT_TRUE(callbacks_.empty());
    settle();
    EXPECT_EQ(window(f), nullptr);
    const auto tops = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(tops.begin(), tops.end(), [](QWidget* w) { return w->isVisible(); }));
}

TEST_F(QtControlsTest, TheProgramRaisingAFigureOrAClickOrAKeyMakesItCurrentActivationDoesNot) {
    const Handle f1 = makeFigure("Visible handle");
    const Handle f2 = model().createFigure({{"Name", Value::text("Hidden handle")},
                                            {"HandleVisibility", Value::text("off")},
                                            {"MenuBar", Value::text("none")}});
    settle(20);
    EXPECT_EQ(model().topFigure(), f2);
    // The program raising a figure activates its window.
    model().figure(f1);
    settle(20);
    EXPECT_EQ(QApplication::activeWindow(), window(f1));
    EXPECT_EQ(model().topFigure(), f1);

    // The window manager activating a window (on its own, or because
    // another one closed) leaves the program's current figure alone.
    window(f2)->activateWindow();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window(f2), &activate);
    settle(20);
    EXPECT_EQ(model().topFigure(), f1);

    // A key press counts; a window whose handle is hidden becomes the top
    // one, not the current.
    pressKey(window(f2)->canvas(), Qt::Key_A);
    EXPECT_EQ(model().topFigure(), f2);
    EXPECT_EQ(model().currentFigure(), f1);
    // So does a click into a window.
    mouseClick(window(f1)->canvas(), QPoint(5, 5));
    EXPECT_EQ(model().topFigure(), f1);
    EXPECT_EQ(model().currentFigure(), f1);
}

TEST_F(QtControlsTest, FixedSizeWindowsAndTheDefaultMenuBar) {
    const Handle f = model().createFigure(
        {{"Resize", Value::text("off")}, {"Position", Value::row({11, 11, 300, 200})}});
    settle();
    auto* w = window(f);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->menu()->isHidden());
    const int menu = w->menu()->height();
    EXPECT_GT(menu, 0);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_EQ(w->canvas()->geometry(), QRect(0, menu, 300, 200));
    const auto menus = w->menu()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus[0]->text().remove('&'), "File");
    QStringList items;
    for (QAction* a : menus[0]->menu()->actions()) {
        if (!a->isSeparator()) items << a->text().remove('&');
    }
    EXPECT_EQ(items, QStringList({"Save Figure As...", "Export Data...", "Copy Figure", "Close"}));
    // File > Close deletes the figure as the frame's close box does.
    menus[0]->menu()->actions().last()->trigger();
    EXPECT_FALSE(model().isHandle(f));
}

TEST_F(QtControlsTest, AnErrorIsPrintedAndShownWithoutStoppingTheProgram) {
    testing::internal::CaptureStderr();
    view_->showError("Damping must be a number.");
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Damping must be a number.\n", 0), 0u);
    settle();
    QMessageBox* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) shown = box;
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), "Damping must be a number.");
    EXPECT_FALSE(shown->isModal());
}

TEST_F(QtControlsTest, TheEventLoopEndsWithTheLastFigureOrOnQuit) {
    const Handle f = makeFigure();
    settle();
    QTimer::singleShot(30, [&]() { model().close(f); });
    view_->run();
    EXPECT_EQ(model().figureCount(), 0u);

    makeFigure();
    QTimer::singleShot(30, [&]() { view_->quitRequested(); });
    view_->run();
    EXPECT_EQ(model().figureCount(), 1u);
}

TEST_F(QtControlsTest, TextExtentsComeFromRealFontMetrics) {
    const Handle f = model().createFigure({});
    const Handle a = model().create(ObjectType::Axes, f, {});
    auto extent = [&](const char* s) {
        return model().measure(
            model().object(model().create(ObjectType::Text, a, {{"String", Value::text(s)}})));
    };
    const TextMetrics narrow = extent("iiiiiiii");
    const TextMetrics wide = extent("MMMMMMMM");
    EXPECT_GT(narrow.width, 0);
    EXPECT_GT(wide.width, 2 * narrow.width);
    EXPECT_GT(wide.height, 8);
    EXPECT_LT(wide.height, 20);
}

}  // namespace
}  // namespace velmora::qttest
