#include "host/qt_figure_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "host/qt_export.h"
#include "host/qt_units.h"
#include "host/qt_values.h"

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
    setGeometry(r.x(), r.y() - menu, r.width(), r.height() + menu);
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
        if (keyword(prop(model_, h_, "Visible")) != "off") {
            if (events_.shown) events_.shown(h_);
            show();
        }
    }
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

bool FigureWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && interactive_ && !disposed_ && events_.activated) {
        events_.activated(h_);
    }
    return QWidget::event(e);
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
