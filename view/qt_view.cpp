// The Qt view: observes the model and keeps one real window per figure, runs
// the event loop, and turns the user's doings into model changes.
#include "view/qt_view.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <iostream>
#include <map>
#include <vector>

#include "view/qt_figure_window.h"
#include "view/qt_fonts.h"
#include "view/qt_values.h"

namespace velmora {

namespace {

using qtview::FigureWindow;

class QtView;

// Sees every mouse press and key press in the application: working in a
// window makes its figure current, as the user means it to be. A window
// that the window manager activates on its own does not: it may do so
// while a callback runs, and the program must find the window it made
// current itself.
class ClickWatcher : public QObject {
  public:
    explicit ClickWatcher(QtView& view) : view_(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QtView& view_;
};

class QtView : public HostView {
  public:
    QtView() = default;
    ~QtView() override { destroyWindows(); }
    QtView(const QtView&) = delete;
    QtView& operator=(const QtView&) = delete;

    void initialize(int& argc, char** argv) override;
    void run() override;
    void terminate() override;
    void showError(const std::string& message) override;
    void quitRequested() override;

    void objectCreated(const GraphicsObject& o) override;
    void propertyChanged(const GraphicsObject& o, const std::string& name) override;
    void drawnContentChanged(const GraphicsObject& o, GraphicsModel& m);
    void objectDeleting(const GraphicsObject& o) override;
    void figureRaised(Handle fig) override;
    void flush() override;
    bool measureText(const std::vector<std::string>& lines, const std::string& font,
                     double sizePoints, const std::string& weight, TextMetrics& out) override;

    void userWorkedIn(Handle fig);

  private:
    static bool haveApp() { return QApplication::instance() != nullptr; }
    FigureWindow* window(Handle fig) const;
    // The window holding an axes' child (a line, patch, text or legend).
    FigureWindow* windowOfAxes(Handle axes, const GraphicsModel& m) const;
    void closeRequested(Handle fig);
    void checkDone();
    void destroyWindows();
    // Owner of the view's timers and its event filter; goes with the view.
    QObject* context();

    std::unique_ptr<QApplication> app_;  // when this view made it
    std::unique_ptr<ClickWatcher> watcher_;
    std::map<Handle, QPointer<FigureWindow>> windows_;
    std::vector<QPointer<QWidget>> leaving_;  // deletion deferred
    std::vector<QPointer<QMessageBox>> messages_;
    QPointer<QEventLoop> loop_;
    bool quit_ = false;
    // A callback starts by making its button's window current: the window
    // the callback acts for, and the owner of the dialogs it opens.
    Handle callbackWindow_ = 0;
};

bool ClickWatcher::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if ((t == QEvent::MouseButtonPress || t == QEvent::KeyPress) && watched->isWidgetType()) {
        if (auto* w = dynamic_cast<FigureWindow*>(static_cast<QWidget*>(watched)->window())) {
            view_.userWorkedIn(w->handle());
        }
    }
    return false;
}

FigureWindow* QtView::window(Handle fig) const {
    auto it = windows_.find(fig);
    return it == windows_.end() ? nullptr : it->second.data();
}

FigureWindow* QtView::windowOfAxes(Handle axes, const GraphicsModel& m) const {
    if (!m.isHandle(axes)) return nullptr;
    const GraphicsObject& a = m.object(axes);
    if (a.type != ObjectType::Axes) return nullptr;
    return window(a.parent);
}

QObject* QtView::context() {
    if (!watcher_) watcher_ = std::make_unique<ClickWatcher>(*this);
    return watcher_.get();
}

void QtView::initialize(int& argc, char** argv) {
    if (!haveApp()) {
        // QApplication keeps references to argc and argv: both outlive it.
        app_ = std::make_unique<QApplication>(argc, argv);
        QApplication::setStyle("Fusion");
    }
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::instance()->installEventFilter(context());
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        hg().setScreen(s->geometry().width(), s->geometry().height(), s->logicalDotsPerInch());
    }
}

void QtView::run() {
    if (!haveApp() || quit_ || GraphicsHost::instance().quitting() || hg().figureCount() == 0) {
        return;
    }
    for (auto& [h, w] : windows_) {
        if (w) w->syncNow();
    }
    QEventLoop loop;
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
}

void QtView::checkDone() {
    if (loop_ && (quit_ || hg().figureCount() == 0)) loop_->quit();
}

void QtView::quitRequested() {
    quit_ = true;
    if (loop_) loop_->quit();
}

void QtView::destroyWindows() {
    if (!haveApp()) return;
    for (auto& m : messages_) delete m.data();
    messages_.clear();
    for (auto& [h, w] : windows_) delete w.data();
    windows_.clear();
    for (auto& w : leaving_) delete w.data();
    leaving_.clear();
}

void QtView::terminate() {
    destroyWindows();
    if (watcher_ && haveApp()) QApplication::instance()->removeEventFilter(watcher_.get());
    watcher_.reset();
    if (haveApp()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app_.reset();
}

void QtView::showError(const std::string& message) {
    std::cerr << message << std::endl;
    if (!haveApp()) return;
    // Not modal: the program goes on while the message is up.
    auto* box = new QMessageBox(QMessageBox::Critical, QObject::tr("Error"),
                                QString::fromStdString(message), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    std::erase_if(messages_, [](const QPointer<QMessageBox>& p) { return p.isNull(); });
    messages_.push_back(box);
}

void QtView::objectCreated(const GraphicsObject& o) {
    if (!haveApp()) return;
    GraphicsModel& m = hg();
    switch (o.type) {
        case ObjectType::Figure: {
            auto* w = new FigureWindow(m, o.handle, true);
            w->setEvents({[this](Handle h) { closeRequested(h); }});
            windows_[o.handle] = w;
            // A window without a figure number opened by a button is that
            // button's window's dialog (an error message, a progress bar).
            if (m.inCallback() && std::floor(o.handle) != o.handle) {
                if (FigureWindow* owner = window(callbackWindow_)) w->setDialogOwner(owner);
            }
            break;
        }
        case ObjectType::Uicontrol:
            if (FigureWindow* w = window(o.parent)) w->addControl(o.handle);
            break;
        case ObjectType::Axes:
            if (FigureWindow* w = window(o.parent)) w->addAxes(o.handle);
            break;
        case ObjectType::Text:
        case ObjectType::Line:
        case ObjectType::Patch:
        case ObjectType::Legend:
            drawnContentChanged(o, m);
            break;
        case ObjectType::Root:
            break;
    }
}

// Something drawn in an axes appeared or changed: a patch keeps the trail
// that erase mode "none" leaves, and the axes are redrawn.
void QtView::drawnContentChanged(const GraphicsObject& o, GraphicsModel& m) {
    if (FigureWindow* w = windowOfAxes(o.parent, m)) {
        if (o.type == ObjectType::Patch) {
            if (auto* a = w->axes(o.parent)) a->recordTrail(o.handle);
        }
        w->markDirty(o.parent);
    }
}

void QtView::propertyChanged(const GraphicsObject& o, const std::string& name) {
    if (!haveApp()) return;
    GraphicsModel& m = hg();
    switch (o.type) {
        case ObjectType::Figure:
            if (FigureWindow* w = window(o.handle)) w->propertyChanged(name);
            break;
        case ObjectType::Uicontrol:
            if (FigureWindow* w = window(o.parent)) {
                if (auto* c = w->control(o.handle)) c->propertyChanged(name);
            }
            break;
        case ObjectType::Axes:
            if (FigureWindow* w = window(o.parent)) w->markDirty(o.handle);
            break;
        case ObjectType::Text:
        case ObjectType::Line:
        case ObjectType::Patch:
        case ObjectType::Legend:
            drawnContentChanged(o, m);
            break;
        case ObjectType::Root:
            break;
    }
}

void QtView::objectDeleting(const GraphicsObject& o) {
    if (!haveApp()) return;
    GraphicsModel& m = hg();
    switch (o.type) {
        case ObjectType::Figure: {
            auto it = windows_.find(o.handle);
            if (it == windows_.end()) break;
            // The window may be the one whose button runs this very callback.
            if (it->second) {
                std::erase_if(leaving_, [](const QPointer<QWidget>& p) { return p.isNull(); });
                leaving_.push_back(it->second.data());
                it->second->dispose();
            }
            windows_.erase(it);
            // Once the model has let go of the figure, see whether any is left.
            QTimer::singleShot(0, context(), [this]() { checkDone(); });
            break;
        }
        case ObjectType::Uicontrol:
            if (FigureWindow* w = window(o.parent)) w->removeControl(o.handle);
            break;
        case ObjectType::Axes:
            if (FigureWindow* w = window(o.parent)) w->removeAxes(o.handle);
            break;
        case ObjectType::Text:
        case ObjectType::Line:
        case ObjectType::Patch:
        case ObjectType::Legend:
            if (FigureWindow* w = windowOfAxes(o.parent, m)) {
                if (o.type == ObjectType::Patch) {
                    if (auto* a = w->axes(o.parent)) a->forgetTrail(o.handle);
                }
                w->markDirty(o.parent);
            }
            break;
        case ObjectType::Root:
            break;
    }
}

void QtView::figureRaised(Handle fig) {
    if (!hg().inCallback()) callbackWindow_ = fig;
    FigureWindow* w = window(fig);
    if (!w) return;
    w->syncNow();
    if (w->isHidden() || QApplication::activeWindow() == w) return;
    w->raise();
    w->activateWindow();
}

void QtView::userWorkedIn(Handle fig) {
    GraphicsModel& m = hg();
    if (m.isHandle(fig) && m.topFigure() != fig) m.makeCurrent(fig);
}

void QtView::closeRequested(Handle fig) {
    GraphicsModel& m = hg();
    // Closing through the frame deletes the figure, without a callback.
    if (m.isHandle(fig)) m.close(fig);
}

void QtView::flush() {
    if (!haveApp()) return;
    for (auto& [h, w] : windows_) {
        if (w) w->syncNow();
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool QtView::measureText(const std::vector<std::string>& lines, const std::string& font,
                         double sizePoints, const std::string& weight, TextMetrics& out) {
    if (!haveApp()) return false;
    out = qtview::measureLines(lines, qtview::fontFor(font, sizePoints, weight),
                               qtview::screenPpi(hg()));
    return true;
}

}  // namespace

std::unique_ptr<HostView> makeQtView() {
    return std::make_unique<QtView>();
}

}  // namespace velmora
