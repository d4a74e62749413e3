// The retained graphics object model: root, figures, controls, axes, texts,
// lines, patches and legends, addressed by numeric handles. It knows nothing
// of Qt; a view observes it and shows it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/value.h"

namespace velmora {

using Handle = double;
using PropertyList = std::vector<std::pair<std::string, Value>>;

enum class ObjectType { Root, Figure, Uicontrol, Axes, Text, Line, Patch, Legend };

const char* typeName(ObjectType type);

// The axes' default colour order: one [red green blue] row per curve colour.
Value defaultColorOrder();

struct Property {
    std::string name;  // canonical capitalisation
    Value value;
};

struct GraphicsObject {
    Handle handle = 0;
    ObjectType type = ObjectType::Root;
    Handle parent = 0;
    std::vector<Handle> children;  // creation order
    std::vector<Property> props;   // properties set, in first-set order

    const Value* find(const std::string& canonicalName) const;
};

struct TextMetrics {
    double width = 0;   // points
    double height = 0;  // points
};

// What a view learns from the model, and what the model asks of a view.
class ModelObserver {
  public:
    virtual ~ModelObserver() = default;
    virtual void objectCreated(const GraphicsObject&) {}
    virtual void propertyChanged(const GraphicsObject&, const std::string& /*canonicalName*/) {}
    // Called before the object (and, first, each of its children) goes.
    virtual void objectDeleting(const GraphicsObject&) {}
    virtual void figureRaised(Handle) {}
    virtual void flush() {}
    // Real font metrics where the view has them; false to use the estimate.
    virtual bool measureText(const std::vector<std::string>& /*lines*/, const std::string& /*font*/,
                             double /*sizePoints*/, const std::string& /*weight*/, TextMetrics&) {
        return false;
    }
};

class GraphicsModel {
  public:
    GraphicsModel();

    // --- objects
    Handle createFigure(const PropertyList& props);
    // Makes figure `number` current (and raises it), creating it when absent.
    Handle figure(double number);
    Handle create(ObjectType type, Handle parent, const PropertyList& props);
    void set(Handle h, const PropertyList& props);
    Value get(Handle h, const std::string& name) const;
    bool isHandle(Handle h) const;
    const GraphicsObject& object(Handle h) const;  // throws Error when invalid
    // Deletes a figure and its children. Without a program callback.
    void close(Handle fig);
    // Closes the current figure; does nothing when there is none.
    void closeCurrent();

    // --- current objects
    Handle currentFigure() const;  // 0 when there is none visible
    // The window the user worked in last, hidden or not; 0 when none.
    Handle topFigure() const { return stackOrder_.empty() ? 0 : stackOrder_.front(); }
    Handle gcf();                  // creates a figure when there is none
    Handle gca();                  // creates axes when the figure has none
    void makeCurrent(Handle fig);  // as a user clicking into the window

    // --- lookups
    std::vector<Handle> visibleChildren(Handle h) const;  // newest first
    std::vector<Handle> allchild(Handle h) const;         // newest first
    std::vector<Handle> findobj(const std::vector<Handle>& roots, bool flat,
                                const PropertyList& match) const;
    std::vector<Handle> figuresInCreationOrder() const;
    std::size_t figureCount() const { return figureOrder_.size(); }
    // Every object, the root included.
    std::size_t objectCount() const { return objects_.size(); }

    // --- plotting in the current axes
    std::vector<Handle> plot(const Value& x, const Value& y, bool logScales);
    Handle legend(const Value& labelRows, int location);

    // --- callbacks
    using CallbackRunner = std::function<void(const std::string&)>;
    void setCallbackRunner(CallbackRunner runner) { runner_ = std::move(runner); }
    // A button press: its window becomes current, then its Callback runs.
    void pressButton(Handle control);
    bool inCallback() const { return callbackDepth_ > 0; }
    class CallbackScope {
      public:
        explicit CallbackScope(GraphicsModel& m) : m_(m) { ++m_.callbackDepth_; }
        ~CallbackScope() { --m_.callbackDepth_; }
        CallbackScope(const CallbackScope&) = delete;
        CallbackScope& operator=(const CallbackScope&) = delete;

      private:
        GraphicsModel& m_;
    };

    // --- view
    void setObserver(ModelObserver* observer) { observer_ = observer; }
    ModelObserver* observer() const { return observer_; }
    void drawnow();
    void setScreen(double widthPixels, double heightPixels, double pixelsPerInch);
    TextMetrics measure(const GraphicsObject& text) const;

  private:
    friend class CallbackScope;
    GraphicsObject& obj(Handle h);
    Handle newHandle(ObjectType type, bool integerFigure);
    void applyProps(GraphicsObject& o, const PropertyList& props, bool notify);
    void applyOne(GraphicsObject& o, const std::string& canonical, Value v);
    void storeProp(GraphicsObject& o, const std::string& canonical, Value v);
    bool visible(const GraphicsObject& o) const;
    void deleteTree(Handle h);
    void raise(Handle fig);
    Value derived(const GraphicsObject& o, const std::string& canonical, bool& found) const;
    Value defaultValue(const GraphicsObject& o, const std::string& canonical) const;
    void createAxesLabels(GraphicsObject& axes);
    void syncPatchData(GraphicsObject& patch, const std::string& changed);

    std::map<Handle, std::unique_ptr<GraphicsObject>> objects_;
    std::vector<Handle> figureOrder_;  // creation order
    std::vector<Handle> stackOrder_;   // most recently current first
    double nextFraction_ = 0;          // for handles that are not whole numbers
    int callbackDepth_ = 0;
    CallbackRunner runner_;
    ModelObserver* observer_ = nullptr;
    double screenWidth_ = 1280, screenHeight_ = 1024, pixelsPerInch_ = 96;
};

// Canonical capitalisation of a property name for an object type; throws
// Error for a name the type does not have.
std::string canonicalProperty(ObjectType type, const std::string& name);
// True when values of this property are keywords ("on", "off", ...) that
// compare without regard to case; they are stored in lower case.
bool isKeywordProperty(const std::string& canonical);

}  // namespace velmora
