// Shared ground of the Qt tests: a fresh model with the Qt view on it, and
// helpers to let the event loop run and to look at rendered pixels.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRect>
#include <QStyleHints>
#include <functional>
#include <string>
#include <vector>

#include "app/callback_table.h"
#include "app/global_state.h"
#include "app/program.h"
#include "host/graphics_host.h"
#include "view/qt_figure_window.h"
#include "view/qt_view.h"

namespace velmora::qttest {

class QtViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GraphicsHost::instance().reset();
        auto view = makeQtView();
        view_ = view.get();
        GraphicsHost::instance().setView(std::move(view));
        static char name[] = "velmora-qt-tests";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        view_->initialize(argc, argv);
        hg().setCallbackRunner([this](const std::string& cb) { callbacks_.push_back(cb); });
        // The tests click into windows the moment they appear; the guard
        // against double clicks that does not allow it has its own test.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }
    void TearDown() override {
        GraphicsHost::instance().reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    GraphicsModel& model() { return hg(); }
    qtview::FigureWindow* window(Handle fig) { return qtview::findFigureWindow(hg(), fig); }
    QImage grabCanvas(Handle fig) { return window(fig)->canvas()->grab().toImage(); }

    template <typename W>
    W* widgetOf(Handle fig, Handle control) {
        auto* w = window(fig);
        return w ? qobject_cast<W*>(w->controlWidget(control)) : nullptr;
    }

    // The String of an axes' XLabel, YLabel or Title.
    void setLabel(Handle axes, const char* which, const std::string& text) {
        model().set(model().get(axes, which).toDouble(), {{"String", Value::text(text)}});
    }

    // Let the view catch up (drawnow), then run the event loop a while.
    void settle(int milliseconds = 0) {
        hg().drawnow();
        QElapsedTimer t;
        t.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        } while (t.elapsed() < milliseconds);
    }

    // A press and release of the left button at `at`, as the mouse gives.
    static void mouseClick(QWidget* target, QPoint at,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF local(at);
        const QPointF global(target->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                            modifiers);
        QApplication::sendEvent(target, &release);
    }

    static void pressKey(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }

    // Replaces the field's text by typing over it, then Return unless told not to.
    static void typeInto(QLineEdit* edit, const QString& text, bool commit = true) {
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(edit, &press);
        }
        if (commit) pressKey(edit, Qt::Key_Return);
    }

    HostView* view_ = nullptr;
    std::vector<std::string> callbacks_;
};

// The Qt view with a whole program under it: the globals created and the
// callable table registered, callbacks run as the program runs them.
class QtProgramTest : public QtViewTest {
  protected:
    void SetUp() override {
        QtViewTest::SetUp();
        GlobalState::instance().create();
        CallbackTable::instance().registerRows();
        hg().setCallbackRunner(runCallback);
    }
    void TearDown() override {
        QtViewTest::TearDown();
        CallbackTable::instance().unregisterRows();
        GlobalState::instance().destroy();
    }

    // The newest window, once the view has caught up with it.
    Handle newestWindow() {
        settle();
        const auto figures = model().figuresInCreationOrder();
        return figures.empty() ? 0 : figures.back();
    }

    std::vector<Handle> figuresNamed(const std::string& name) {
        std::vector<Handle> out;
        for (Handle f : model().figuresInCreationOrder()) {
            if (model().get(f, "Name").toText() == name) out.push_back(f);
        }
        return out;
    }

    Handle windowNamed(const std::string& name) {
        settle();
        const auto named = figuresNamed(name);
        return named.empty() ? 0 : named.front();
    }

    std::vector<Handle> controlsOfStyle(Handle fig, const std::string& style) {
        std::vector<Handle> out;
        for (Handle c : model().object(fig).children) {
            if (model().object(c).type != ObjectType::Uicontrol) continue;
            const Value s = model().get(c, "Style");
            if (s.isChar() && s.toText() == style) out.push_back(c);
        }
        return out;
    }

    QPushButton* button(Handle fig, const std::string& caption) {
        for (Handle c : controlsOfStyle(fig, "pushbutton")) {
            if (model().get(c, "String").toText() == caption) return widgetOf<QPushButton>(fig, c);
        }
        return nullptr;
    }

    // A click with the mouse, as the user does it.
    void clickButton(QPushButton* b) {
        ASSERT_NE(b, nullptr);
        mouseClick(b, b->rect().center());
        settle();
    }
};

// Pixels of `image` inside `area` for which `match` holds.
inline int countPixels(const QImage& image, const QRect& area,
                       const std::function<bool(QColor)>& match) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (match(image.pixelColor(x, y))) ++n;
        }
    }
    return n;
}

// Mostly one primary colour: the channel `c` (0 red, 1 green, 2 blue) at
// least `strong`, the others well below it.
inline bool isHue(QColor p, int c, int strong = 90) {
    const int v[3] = {p.red(), p.green(), p.blue()};
    for (int i = 0; i < 3; ++i) {
        if (i == c ? v[i] < strong : v[i] > v[c] - 60) return false;
    }
    return true;
}

inline bool isDark(QColor p) {
    return p.red() < 110 && p.green() < 110 && p.blue() < 110;
}

}  // namespace velmora::qttest
