// The graphics host: the object model, the view that shows it and runs the
// event loop, and the program-facing operations under their platform names.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/graphics_model.h"
#include "host/value.h"

namespace velmora {

// A view runs the event loop. The Qt view shows real windows; the script
// view drives the model from a script; the null view runs nothing.
class HostView : public ModelObserver {
  public:
    // May remove the command-line words it recognises.
    virtual void initialize(int& argc, char** argv) = 0;
    // Runs until no figure is left or the program asked to quit.
    virtual void run() = 0;
    virtual void terminate() {}
    // An error raised inside a callback: shown to the user.
    virtual void showError(const std::string& /*message*/) {}
    // The program asked to quit (mlfQuit): stop the loop.
    virtual void quitRequested() {}
};

// Raised by mlfQuit; unwinds the callback and ends the program in order.
struct QuitRequest {};

class GraphicsHost {
  public:
    static GraphicsHost& instance();
    GraphicsModel& model() { return *model_; }
    HostView* view() { return view_.get(); }
    void setView(std::unique_ptr<HostView> view);
    void reset();  // a fresh model, no view (for tests)
    bool quitting() const { return quitting_; }
    void setQuitting(bool q) { quitting_ = q; }

  private:
    GraphicsHost();
    std::unique_ptr<GraphicsModel> model_;
    std::unique_ptr<HostView> view_;
    bool quitting_ = false;
};

inline GraphicsModel& hg() {
    return GraphicsHost::instance().model();
}

// --- Program-facing operations.
void mlfHGInitialize(int& argc, char** argv);
void mlfHGWaitForFiguresToDie();
void mlfHGTerminate();

Handle mlfNFigure(const PropertyList& props);
Handle mlfNFigure(double number);
Handle mlfNUicontrol(Handle parent, const PropertyList& props);
Handle mlfNAxes(const PropertyList& props);
Handle mlfNText(const PropertyList& props);
Handle mlfNLine(const Value& x, const Value& y, const PropertyList& props);
Handle mlfNLine(const PropertyList& props);
Handle mlfNPatch(const Value& x, const Value& y, const Value& color, const PropertyList& props);
Handle mlfNPatch(const PropertyList& props);
std::vector<Handle> mlfNPlot(const Value& x, const Value& y);
std::vector<Handle> mlfNLoglog(const Value& x, const Value& y);
Handle mlfNLegend(const Value& labelRows, int location);
void mlfNSet(Handle h, const PropertyList& props);
Value mlfGet(Handle h, const std::string& name);
std::vector<Handle> mlfFindobj(const std::vector<Handle>& handles, bool flat,
                               const PropertyList& match);
std::vector<Handle> mlfAllchild(Handle h);
Handle mlfGcf();
Handle mlfGca();
void mlfDrawnow();
bool mlfIshandle(double h);
void mlfNClose();
void mlfNClose(Handle fig);
void mlfColormap(const Value& map);
[[noreturn]] void mlfQuit();
[[noreturn]] void mlfError(const std::string& message);
// One line of text on the console.
void mlfDisp(const std::string& line);

// A value holding a handle list as a column.
Value handlesValue(const std::vector<Handle>& handles);

}  // namespace velmora
