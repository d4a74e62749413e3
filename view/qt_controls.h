// One uicontrol as a real widget: a push button, static text, edit field,
// list box or frame, placed by its Position in the figure's canvas.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <string>

#include "host/graphics_model.h"

namespace velmora::qtview {

class ControlView : public QObject {
  public:
    ControlView(GraphicsModel& model, Handle h, QWidget* canvas);
    ~ControlView() override;
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;

    Handle handle() const { return h_; }
    QWidget* widget() const { return widget_; }
    // The program changed a property: show it, without reporting it back.
    void propertyChanged(const std::string& name);
    // Place the widget by its Position in the canvas' current size.
    void relayout();
    // The control was deleted. Its widget may be emitting the very signal
    // whose callback deleted it, so both go later.
    void dispose();

  protected:
    // Ignores a press on a button whose window has only just appeared: the
    // second click of a double click meant for the window before.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void applyAll();
    void applyText();
    void applyListSelection();
    void applyListTop();
    void applyColors();
    void applyFont();
    void applyAlignment();
    void applyEnable();
    void applyVisible();
    void updateWrapping();
    void runCallbackIfAny();
    void report(const char* what) const;

    GraphicsModel& model_;
    Handle h_;
    QPointer<QWidget> canvas_;
    QPointer<QWidget> widget_;
    std::string style_;
    bool applying_ = false;  // a programmatic update is on the way to the widget
    bool fromUser_ = false;  // the model is being told what the user did
    bool edited_ = false;    // the user typed since the last commit
    bool disposed_ = false;
};

}  // namespace velmora::qtview
