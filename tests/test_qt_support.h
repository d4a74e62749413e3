// Shared ground of the Qt tests: a fresh model with the Qt view on it, and
// helpers to let the event loop run and to look at rendered pixels.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

#include "app/callback_table.h"
#include "app/global_state.h"
#include "app/program.h"
#include "host/graphics_host.h"
#include "host/qt_figure_window.h"
#include "host/qt_view.h"

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
    }
    void TearDown() override {
        GraphicsHost::instance().reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    GraphicsModel& model() { return hg(); }
    qtview::FigureWindow* window(Handle fig) { return qtview::findFigureWindow(hg(), fig); }

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
