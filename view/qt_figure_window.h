// A figure as a top-level window: the default menu bar on top, below it the
// canvas on which controls and axes sit at their Positions.
#pragma once

#include <QElapsedTimer>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "host/graphics_model.h"
#include "view/qt_axes_widget.h"
#include "view/qt_controls.h"

namespace velmora::qtview {

class FigureWindow : public QWidget {
  public:
    // What the window tells its owner about the user's doings.
    struct Events {
        std::function<void(Handle)> closeRequested;  // the frame's close box, or File > Close
    };

    // An interactive window is a live view of the model; a passive one is
    // a copy for drawing into a file.
    FigureWindow(GraphicsModel& model, Handle h, bool interactive);
    ~FigureWindow() override;
    FigureWindow(const FigureWindow&) = delete;
    FigureWindow& operator=(const FigureWindow&) = delete;

    Handle handle() const { return h_; }
    QWidget* canvas() const { return canvas_; }
    QMenuBar* menu() const { return menuBar_; }
    void setEvents(Events events) { events_ = std::move(events); }

    void propertyChanged(const std::string& name);
    void addControl(Handle h);
    void removeControl(Handle h);
    ControlView* control(Handle h) const;
    QWidget* controlWidget(Handle h) const;
    void addAxes(Handle h);
    void removeAxes(Handle h);
    AxesWidget* axes(Handle h) const;
    // Something the axes shows changed: redraw it soon.
    void markDirty(Handle axes);
    // Bring everything up to date now: dirty axes, a pending show.
    void syncNow();
    // Build every control and axes the model holds for this figure.
    void buildFromModel();
    // The figure was deleted; the window goes later.
    void dispose();
    bool disposed() const { return disposed_; }
    // A small dialog opened by a button of `owner`: kept in front of it.
    void setDialogOwner(FigureWindow* owner);
    // True while the window appeared less than `milliseconds` ago.
    bool appearedWithin(int milliseconds) const;
    // Where the window was asked to be, before the window system had its say.
    QRect requestedGeometry() const { return requested_; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void buildMenu();
    void applyGeometry();
    void applyTitle();
    void applyColor();
    void applyMenuBar();
    void applyVisible();
    void layoutInside();
    void scheduleSync();
    void showNow();
    // A figure the program did not place goes beside the windows it would
    // otherwise cover exactly.
    void placeBesideOthers();
    int titleBarHeight() const;
    // Tab in reading order: lists and fields, then buttons; focus on the
    // first of them.
    void arrangeFocus();
    int menuHeight() const;
    void saveAs();
    void exportData();

    GraphicsModel& model_;
    Handle h_;
    bool interactive_;
    QWidget* canvas_;
    QMenuBar* menuBar_;
    Events events_;
    std::map<Handle, QPointer<ControlView>> controls_;
    std::map<Handle, QPointer<AxesWidget>> axes_;
    std::set<Handle> dirty_;
    bool syncScheduled_ = false;
    bool pendingShow_ = false;
    bool applying_ = false;
    bool disposed_ = false;
    bool placed_ = false;
    QPoint cascade_;  // offset from the figure's Position while the program sets none
    QRect requested_;
    QElapsedTimer shownClock_;
    QPointer<FigureWindow> owner_;
};

// The live window of a figure of this model, or null.
FigureWindow* findFigureWindow(const GraphicsModel& model, Handle figure);

// The title bar text: "Figure N: Name" when numbered, else the Name.
QString figureTitle(const GraphicsModel& model, Handle figure);

}  // namespace velmora::qtview
