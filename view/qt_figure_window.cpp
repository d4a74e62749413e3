#include "view/qt_figure_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "view/qt_export.h"
#include "view/qt_units.h"
#include "view/qt_values.h"

namespace velmora::qtview {

namespace {

std::vector<FigureWindow*>& liveWindows() {
    static std::vector<FigureWindow*> windows;
    return windows;
}

QSize screenSize() {
    if (const QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().size();
    return QSize(1280, 1024);
}

QRect availableArea() {
    if (const QScreen* s = QGuiApplication::primaryScreen()) return s->availableGeometry();
    return QRect(QPoint(0, 0), screenSize());
}

// A non-negative remainder.
int wrapped(int value, int span) {
    const int r = value % span;
    return r < 0 ? r + span : r;
}

// Rows from top to bottom, each from left to right. Widgets whose tops lie
// within half the row's first height share a row.
void sortInReadingOrder(std::vector<QWidget*>& widgets) {
    std::stable_sort(widgets.begin(), widgets.end(),
                     [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    std::size_t start = 0;
    while (start < widgets.size()) {
        const int rowTop = widgets[start]->y();
        const int reach = std::max(1, widgets[start]->height() / 2);
        std::size_t end = start + 1;
        while (end < widgets.size() && widgets[end]->y() < rowTop + reach) ++end;
        std::stable_sort(widgets.begin() + static_cast<std::ptrdiff_t>(start),
                         widgets.begin() + static_cast<std::ptrdiff_t>(end),
                         [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
        start = end;
    }
}

}  // namespace

FigureWindow* findFigureWindow(const GraphicsModel& model, Handle figure) {
    for (FigureWindow* w : liveWindows()) {
        if (w->handle() == figure && !w->disposed() &&
            w->property("velmoraModel").value<quintptr>() == reinterpret_cast<quintptr>(&model)) {
            return w;
        }
    }
    return nullptr;
}

QString figureTitle(const GraphicsModel& model, Handle figure) {
    const QString name = joinedText(prop(model, figure, "Name"));
    const bool numbered = keyword(prop(model, figure, "NumberTitle")) != "off" &&
                          std::floor(figure) == figure && std::fabs(figure) < 1e15;
    if (!numbered) return name;
    QString title = QString("Figure %1").arg(static_cast<qlonglong>(figure));
    if (!name.isEmpty()) title += ": " + name;
    return title;
}

FigureWindow::FigureWindow(GraphicsModel& model, Handle h, bool interactive)
    : QWidget(nullptr), model_(model), h_(h), interactive_(interactive) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setProperty("velmoraHandle", h);
    canvas_ = new QWidget(this);
    canvas_->setAutoFillBackground(true);
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    buildMenu();
    applyColor();
    applyTitle();
    applyMenuBar();
    applyGeometry();
    if (interactive_) {
        setProperty("velmoraModel", QVariant::fromValue(reinterpret_cast<quintptr>(&model)));
        liveWindows().push_back(this);
        applyVisible();
    }
}

FigureWindow::~FigureWindow() {
    auto& live = liveWindows();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

void FigureWindow::buildMenu() {
    QMenu* file = menuBar_->addMenu(tr("&File"));
    file->addAction(tr("&Save Figure As..."), this, [this]() { saveAs(); });
    file->addAction(tr("&Export Data..."), this, [this]() { exportData(); });
    file->addAction(tr("&Copy Figure"), this, [this]() {
        try {
            copyFigureToClipboard(model_, h_);
        } catch (const std::exception& e) {
            QMessageBox::warning(this, tr("Copy Figure"), QString::fromStdString(e.what()));
        }
    });
    file->addSeparator();
    file->addAction(tr("C&lose"), this, [this]() {
        if (events_.closeRequested) events_.closeRequested(h_);
    });
}

void FigureWindow::saveAs() {
    QString selected;
    QString path = QFileDialog::getSaveFileName(
        this, tr("Save Figure As"), "figure.png",
        tr("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), &selected);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The chosen filter names the type when the name does not.
        const int star = selected.indexOf("*.");
        if (star >= 0) path += selected.mid(star + 1, 4);
    }
    try {
        saveFigureImage(model_, h_, path.toStdString());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Save Figure As"), QString::fromStdString(e.what()));
    }
}

void FigureWindow::exportData() {
    QString path = QFileDialog::getSaveFileName(this, tr("Export Data"), "figure.csv",
                                                tr("CSV table (*.csv)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += ".csv";
    try {
        exportFigureCsv(model_, h_, path.toStdString());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Export Data"), QString::fromStdString(e.what()));
    }
}

int FigureWindow::menuHeight() const {
    return menuBar_->isHidden() ? 0 : menuBar_->sizeHint().height();
}

void FigureWindow::applyTitle() {
    setWindowTitle(figureTitle(model_, h_));
}

void FigureWindow::applyColor() {
    QPalette pal = canvas_->palette();
    pal.setColor(QPalette::Window, toColor(prop(model_, h_, "Color"), QColor(204, 204, 204)));
    canvas_->setPalette(pal);
}

void FigureWindow::applyMenuBar() {
    menuBar_->setHidden(keyword(prop(model_, h_, "MenuBar")) == "none");
}

void FigureWindow::applyGeometry() {
    const QSize screen = screenSize();
    QRect r = rectFromPosition(prop(model_, h_, "Position"), keyword(prop(model_, h_, "Units")),
                               screen, screenPpi(model_));
    r.setWidth(std::max(r.width(), 1));
    r.setHeight(std::max(r.height(), 1));
    const int menu = menuHeight();
    applying_ = true;
    if (keyword(prop(model_, h_, "Resize")) == "off") {
        setFixedSize(r.width(), r.height() + menu);
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    requested_ =
        QRect(r.x() + cascade_.x(), r.y() - menu + cascade_.y(), r.width(), r.height() + menu);
    setGeometry(requested_);
    layoutInside();
    applying_ = false;
}

void FigureWindow::layoutInside() {
    const int menu = menuHeight();
    menuBar_->setGeometry(0, 0, width(), menu);
    canvas_->setGeometry(0, menu, width(), std::max(0, height() - menu));
    for (auto& [h, c] : controls_) {
        if (c) c->relayout();
    }
    for (auto& [h, a] : axes_) markDirty(h);
}

void FigureWindow::applyVisible() {
    if (!interactive_) return;
    if (keyword(prop(model_, h_, "Visible")) == "off") {
        pendingShow_ = false;
        hide();
    } else if (isHidden()) {
        // Shown once the program has finished setting it up.
        pendingShow_ = true;
        scheduleSync();
    }
}

void FigureWindow::propertyChanged(const std::string& name) {
    if (disposed_ || applying_) return;
    if (name == "Name" || name == "NumberTitle") {
        applyTitle();
    } else if (name == "Color") {
        applyColor();
        for (auto& [h, a] : axes_) markDirty(h);
    } else if (name == "Position" || name == "Units" || name == "Resize") {
        // A window the program places stays where it puts it.
        if (name == "Position") cascade_ = QPoint();
        applyGeometry();
    } else if (name == "MenuBar") {
        applyMenuBar();
        applyGeometry();
    } else if (name == "Visible") {
        applyVisible();
    }
}

void FigureWindow::addControl(Handle h) {
    auto* c = new ControlView(model_, h, canvas_);
    controls_[h] = c;
}

void FigureWindow::removeControl(Handle h) {
    auto it = controls_.find(h);
    if (it == controls_.end()) return;
    if (it->second) it->second->dispose();
    controls_.erase(it);
}

ControlView* FigureWindow::control(Handle h) const {
    auto it = controls_.find(h);
    return it == controls_.end() ? nullptr : it->second.data();
}

QWidget* FigureWindow::controlWidget(Handle h) const {
    ControlView* c = control(h);
    return c ? c->widget() : nullptr;
}

void FigureWindow::addAxes(Handle h) {
    auto* a = new AxesWidget(model_, h, canvas_);
    axes_[h] = a;
    // Controls stay on top of plots, whatever the order they came in.
    for (auto& [ch, c] : controls_) {
        if (c && c->widget()) c->widget()->raise();
    }
    markDirty(h);
}

void FigureWindow::removeAxes(Handle h) {
    dirty_.erase(h);
    auto it = axes_.find(h);
    if (it == axes_.end()) return;
    if (it->second) it->second->dispose();
    axes_.erase(it);
}

AxesWidget* FigureWindow::axes(Handle h) const {
    auto it = axes_.find(h);
    return it == axes_.end() ? nullptr : it->second.data();
}

void FigureWindow::markDirty(Handle axes) {
    if (disposed_ || !axes_.count(axes)) return;
    dirty_.insert(axes);
    scheduleSync();
}

void FigureWindow::scheduleSync() {
    if (syncScheduled_ || disposed_) return;
    syncScheduled_ = true;
    QTimer::singleShot(0, this, [this]() {
        syncScheduled_ = false;
        syncNow();
    });
}

void FigureWindow::syncNow() {
    if (disposed_) return;
    const std::set<Handle> dirty = std::move(dirty_);
    dirty_.clear();
    for (Handle h : dirty) {
        if (AxesWidget* a = axes(h)) a->sync();
    }
    if (pendingShow_) {
        pendingShow_ = false;
        if (keyword(prop(model_, h_, "Visible")) != "off") showNow();
    }
}

void FigureWindow::showNow() {
    if (!placed_) {
        placed_ = true;
        placeBesideOthers();
    }
    arrangeFocus();
    if (owner_ && !owner_->disposed() && owner_->windowHandle()) {
        setWindowFlag(Qt::Dialog, true);
        create();
        if (windowHandle()) windowHandle()->setTransientParent(owner_->windowHandle());
    }
    show();
}

void FigureWindow::setDialogOwner(FigureWindow* owner) {
    owner_ = owner;
}

bool FigureWindow::appearedWithin(int milliseconds) const {
    return shownClock_.isValid() && shownClock_.elapsed() < milliseconds;
}

int FigureWindow::titleBarHeight() const {
    // The window manager's frame where one is seen, else the style's idea.
    for (const FigureWindow* w : liveWindows()) {
        if (w == this || w->disposed_ || !w->isVisible()) continue;
        const int bar = w->geometry().top() - w->frameGeometry().top();
        if (bar > 4) return bar;
    }
    return std::max(16, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
}

void FigureWindow::placeBesideOthers() {
    if (!interactive_ || model_.object(h_).find("Position")) return;
    std::vector<QPoint> taken;
    for (const FigureWindow* w : liveWindows()) {
        if (w == this || w->disposed_ || &w->model_ != &model_) continue;
        if (w->isHidden() && !w->pendingShow_) continue;
        taken.push_back(w->requested_.topLeft());
    }
    const int step = titleBarHeight();
    auto isTaken = [&](QPoint p) {
        return std::any_of(taken.begin(), taken.end(), [&](QPoint t) {
            return std::abs(t.x() - p.x()) < step / 2 + 1 && std::abs(t.y() - p.y()) < step / 2 + 1;
        });
    };
    QRect r = requested_;
    r.translate(-cascade_);
    const QPoint origin = r.topLeft();
    if (!isTaken(origin)) return;
    // Down and right by a title bar at a time, back to the screen's top or
    // left edge when the window would leave the screen.
    const QRect area = availableArea();
    const int top = area.top() + step;
    const int spanX = std::max(step, area.width() - r.width());
    const int spanY = std::max(step, area.bottom() + 1 - top - r.height());
    for (int k = 1; k <= 200; ++k) {
        const QPoint p(area.left() + wrapped(origin.x() - area.left() + k * step, spanX),
                       top + wrapped(origin.y() - top + k * step, spanY));
        if (!isTaken(p)) {
            cascade_ = p - origin;
            applyGeometry();
            return;
        }
    }
}

void FigureWindow::arrangeFocus() {
    std::vector<QWidget*> fields, buttons;
    for (auto& [h, c] : controls_) {
        QWidget* w = c ? c->widget() : nullptr;
        if (!w || w->isHidden() || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus) continue;
        (qobject_cast<QPushButton*>(w) ? buttons : fields).push_back(w);
    }
    sortInReadingOrder(fields);
    sortInReadingOrder(buttons);
    std::vector<QWidget*> chain = fields;
    chain.insert(chain.end(), buttons.begin(), buttons.end());
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    if (!chain.empty()) chain.front()->setFocus(Qt::OtherFocusReason);
}

void FigureWindow::buildFromModel() {
    for (Handle c : model_.object(h_).children) {
        const ObjectType t = model_.object(c).type;
        if (t == ObjectType::Uicontrol) addControl(c);
        if (t == ObjectType::Axes) addAxes(c);
    }
}

void FigureWindow::dispose() {
    if (disposed_) return;
    for (auto& [h, c] : controls_) {
        if (c) c->dispose();
    }
    for (auto& [h, a] : axes_) {
        if (a) a->dispose();
    }
    controls_.clear();
    axes_.clear();
    dirty_.clear();
    disposed_ = true;
    hide();
    deleteLater();
}

void FigureWindow::showEvent(QShowEvent* e) {
    shownClock_.start();
    QWidget::showEvent(e);
}

void FigureWindow::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (interactive_ && !disposed_ &&
        (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        // A window whose only button is its answer: Escape and Return press it.
        QPushButton* only = nullptr;
        int count = 0;
        for (auto& [h, c] : controls_) {
            auto* b = c ? qobject_cast<QPushButton*>(c->widget()) : nullptr;
            if (b && !b->isHidden() && b->isEnabled()) {
                only = b;
                ++count;
            }
        }
        if (count == 1) {
            e->accept();
            only->click();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

void FigureWindow::closeEvent(QCloseEvent* e) {
    if (!interactive_ || disposed_ || !events_.closeRequested) {
        QWidget::closeEvent(e);
        return;
    }
    // The model decides: deleting the figure hides and removes the window.
    e->ignore();
    events_.closeRequested(h_);
}

void FigureWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (disposed_) return;
    layoutInside();
    if (applying_ || !interactive_ || !model_.isHandle(h_)) return;
    // The user resized the window: the figure's Position follows.
    const std::string units = keyword(prop(model_, h_, "Units"));
    const QSize screen = screenSize();
    const double ppi = screenPpi(model_);
    const QRect now = rectFromPosition(prop(model_, h_, "Position"), units, screen, ppi);
    const QSize canvasSize = canvas_->size();
    if (canvasSize == now.size() || canvasSize.isEmpty()) return;
    // Dragging the lower-right corner keeps the top-left where it was.
    const QRect r(now.topLeft(), canvasSize);
    applying_ = true;
    try {
        model_.set(h_, {{"Position", positionFromRect(r, units, screen, ppi)}});
    } catch (const std::exception&) {
        // A model that refuses the size keeps its own; nothing to report.
    }
    applying_ = false;
}

}  // namespace velmora::qtview
