#include "host/graphics_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/graphics_properties.h"

namespace velmora {

namespace {

bool isWhole(double h) {
    return std::floor(h) == h;
}

Value colorFromLetter(const std::string& s) {
    static const std::pair<const char*, std::vector<double>> table[] = {
        {"r", {1, 0, 0}}, {"red", {1, 0, 0}},     {"g", {0, 1, 0}}, {"green", {0, 1, 0}},
        {"b", {0, 0, 1}}, {"blue", {0, 0, 1}},    {"y", {1, 1, 0}}, {"yellow", {1, 1, 0}},
        {"m", {1, 0, 1}}, {"magenta", {1, 0, 1}}, {"c", {0, 1, 1}}, {"cyan", {0, 1, 1}},
        {"w", {1, 1, 1}}, {"white", {1, 1, 1}},   {"k", {0, 0, 0}}, {"black", {0, 0, 0}},
    };
    const std::string l = lowerText(s);
    for (const auto& [name, c] : table) {
        if (l == name) return Value::row(c);
    }
    if (l == "none" || l == "flat" || l == "interp") return Value::text(l);
    throw Error("Invalid colour \"" + s + "\".");
}

Value asColumn(const Value& v) {
    if (!v.isDouble()) return v;
    return Value::column(v.data());
}

}  // namespace

const Value* GraphicsObject::find(const std::string& canonicalName) const {
    for (const auto& p : props) {
        if (p.name == canonicalName) return &p.value;
    }
    return nullptr;
}

GraphicsModel::GraphicsModel() {
    auto root = std::make_unique<GraphicsObject>();
    root->handle = 0;
    root->type = ObjectType::Root;
    objects_[0] = std::move(root);
}

GraphicsObject& GraphicsModel::obj(Handle h) {
    auto it = objects_.find(h);
    if (it == objects_.end()) throw Error("Invalid handle.");
    return *it->second;
}

const GraphicsObject& GraphicsModel::object(Handle h) const {
    auto it = objects_.find(h);
    if (it == objects_.end()) throw Error("Invalid handle.");
    return *it->second;
}

bool GraphicsModel::isHandle(Handle h) const {
    return !std::isnan(h) && objects_.count(h) != 0;
}

Handle GraphicsModel::newHandle(ObjectType type, bool integerFigure) {
    if (type == ObjectType::Figure && integerFigure) {
        double n = 1;
        while (objects_.count(n)) n += 1;
        return n;
    }
    // Handles that are not whole numbers never collide with figure numbers.
    nextFraction_ += 1;
    return nextFraction_ + 0.5;
}

void GraphicsModel::storeProp(GraphicsObject& o, const std::string& canonical, Value v) {
    for (auto& p : o.props) {
        if (p.name == canonical) {
            p.value = std::move(v);
            return;
        }
    }
    o.props.push_back({canonical, std::move(v)});
}

void GraphicsModel::applyOne(GraphicsObject& o, const std::string& canonical, Value v) {
    if (canonical == "Type" || canonical == "Children" || canonical == "Extent" ||
        canonical == "ScreenSize" || canonical == "ScreenPixelsPerInch") {
        throw Error("Attempt to modify a read-only property: \"" + canonical + "\".");
    }
    if (isKeywordProperty(canonical)) {
        if (!v.isChar()) throw Error("Bad value for property \"" + canonical + "\".");
        v = Value::text(lowerText(v.toText()));
    } else if (isColorProperty(canonical) && v.isChar()) {
        v = colorFromLetter(v.toText());
    } else if (isColorProperty(canonical) && !(v.isDouble() && v.numel() == 3)) {
        throw Error("Color value must be a 3 element numeric vector.");
    }
    if (canonical == "Position" && !(v.isDouble() && (v.numel() == 4 || v.numel() == 3))) {
        throw Error("Bad value for property \"Position\": expected [left bottom width height].");
    }
    if (o.type == ObjectType::Axes && (canonical == "Title" || canonical == "XLabel" ||
                                       canonical == "YLabel" || canonical == "ZLabel")) {
        // Installing a text as one of the axes' labels replaces the old one.
        if (!v.isScalar() || !isHandle(v.toDouble()) ||
            object(v.toDouble()).type != ObjectType::Text) {
            throw Error("The \"" + canonical + "\" property must be the handle of a text object.");
        }
        const Value* current = o.find(canonical);
        const Value old = current ? *current : Value();
        storeProp(o, canonical, v);
        if (old.isScalar() && old.toDouble() != v.toDouble() && isHandle(old.toDouble())) {
            deleteTree(old.toDouble());
        }
        return;
    }
    if (o.type == ObjectType::Patch) {
        if (canonical == "XData" || canonical == "YData") v = asColumn(v);
        storeProp(o, canonical, v);
        syncPatchData(o, canonical);
        return;
    }
    if ((canonical == "XLim" || canonical == "YLim") && o.type == ObjectType::Axes) {
        storeProp(o, canonical, v);
        storeProp(o, canonical + "Mode", Value::text("manual"));
        return;
    }
    if (canonical == "CurrentFigure") {
        makeCurrent(v.toDouble());
        return;
    }
    storeProp(o, canonical, std::move(v));
}

void GraphicsModel::syncPatchData(GraphicsObject& p, const std::string& changed) {
    // Vertices/Faces and XData/YData describe the same shape; keep both.
    if (changed == "XData" || changed == "YData") {
        const Value* x = p.find("XData");
        const Value* y = p.find("YData");
        if (!x || !y || x->numel() != y->numel()) return;
        const std::size_t n = x->numel();
        std::vector<double> verts(n * 2);
        std::vector<double> faces(n);
        for (std::size_t i = 0; i < n; ++i) {
            verts[i] = x->data()[i];
            verts[n + i] = y->data()[i];
            faces[i] = static_cast<double>(i + 1);
        }
        storeProp(p, "Vertices", Value::matrix(n, 2, verts));
        storeProp(p, "Faces", Value::matrix(1, n, faces));
    } else if (changed == "Vertices") {
        const Value* v = p.find("Vertices");
        if (!v || !v->isDouble() || v->cols() < 2) return;
        const std::size_t n = v->rows();
        std::vector<double> x(v->data().begin(), v->data().begin() + n);
        std::vector<double> y(v->data().begin() + n, v->data().begin() + 2 * n);
        storeProp(p, "XData", Value::column(x));
        storeProp(p, "YData", Value::column(y));
    }
}

void GraphicsModel::applyProps(GraphicsObject& o, const PropertyList& props, bool notify) {
    for (const auto& [name, value] : props) {
        const std::string canonical = canonicalProperty(o.type, name);
        if (canonical == "Parent") {
            if (o.parent != value.toDouble()) {
                throw Error("Changing the \"Parent\" of an object is not supported.");
            }
            storeProp(o, canonical, value);
            continue;
        }
        applyOne(o, canonical, value);
        if (notify && observer_) observer_->propertyChanged(o, canonical);
    }
}

Handle GraphicsModel::createFigure(const PropertyList& props) {
    bool integerHandle = true;
    for (const auto& [name, value] : props) {
        if (lowerText(name) == "integerhandle" && value.isChar() &&
            lowerText(value.toText()) == "off") {
            integerHandle = false;
        }
    }
    auto o = std::make_unique<GraphicsObject>();
    o->type = ObjectType::Figure;
    o->handle = newHandle(ObjectType::Figure, integerHandle);
    o->parent = 0;
    GraphicsObject& ref = *o;
    // Validate and store before the object becomes visible to anyone.
    applyProps(ref, props, false);
    objects_[ref.handle] = std::move(o);
    obj(0).children.push_back(ref.handle);
    figureOrder_.push_back(ref.handle);
    stackOrder_.insert(stackOrder_.begin(), ref.handle);
    if (observer_) observer_->objectCreated(ref);
    return ref.handle;
}

Handle GraphicsModel::figure(double number) {
    if (isHandle(number)) {
        if (object(number).type != ObjectType::Figure) {
            throw Error("The handle given to figure is not a figure.");
        }
        makeCurrent(number);
        return number;
    }
    if (!(number >= 1) || !isWhole(number) || number > 1e15) {
        throw Error("The figure number must be a positive whole number.");
    }
    auto o = std::make_unique<GraphicsObject>();
    o->type = ObjectType::Figure;
    o->handle = number;
    GraphicsObject& ref = *o;
    objects_[number] = std::move(o);
    obj(0).children.push_back(number);
    figureOrder_.push_back(number);
    stackOrder_.insert(stackOrder_.begin(), number);
    if (observer_) observer_->objectCreated(ref);
    return number;
}

Handle GraphicsModel::create(ObjectType type, Handle parent, const PropertyList& props) {
    if (type == ObjectType::Figure) return createFigure(props);
    if (type == ObjectType::Root) throw Error("The root cannot be created.");
    PropertyList rest;
    bool parentGiven = false;
    for (const auto& [name, value] : props) {
        if (lowerText(name) == "parent") {
            if (!value.isScalar()) throw Error("The \"Parent\" must be a handle.");
            parent = value.toDouble();
            parentGiven = true;
        }
        rest.push_back({name, value});
    }
    if (!parentGiven && parent == 0) {
        parent = (type == ObjectType::Uicontrol || type == ObjectType::Axes) ? gcf() : gca();
    }
    if (!isHandle(parent)) throw Error("The \"Parent\" handle is not valid.");
    const ObjectType ptype = object(parent).type;
    const bool ok = (type == ObjectType::Uicontrol || type == ObjectType::Axes)
                        ? ptype == ObjectType::Figure
                        : ptype == ObjectType::Axes;
    if (!ok) {
        throw Error(std::string("A ") + typeName(type) + " cannot be a child of a " +
                    typeName(ptype) + ".");
    }
    auto o = std::make_unique<GraphicsObject>();
    o->type = type;
    o->handle = newHandle(type, false);
    o->parent = parent;
    GraphicsObject& ref = *o;
    applyProps(ref, rest, false);
    objects_[ref.handle] = std::move(o);
    obj(parent).children.push_back(ref.handle);
    if (observer_) observer_->objectCreated(ref);
    if (type == ObjectType::Axes) {
        storeProp(obj(parent), "CurrentAxes", Value::scalar(ref.handle));
        createAxesLabels(ref);
    }
    return ref.handle;
}

void GraphicsModel::createAxesLabels(GraphicsObject& axes) {
    // Every axes owns its title and label texts from the start.
    const Handle a = axes.handle;
    struct Label {
        const char* prop;
        PropertyList props;
    };
    const Label labels[] = {
        {"Title",
         {{"HorizontalAlignment", Value::text("center")},
          {"VerticalAlignment", Value::text("bottom")}}},
        {"XLabel",
         {{"HorizontalAlignment", Value::text("center")},
          {"VerticalAlignment", Value::text("cap")}}},
        {"YLabel",
         {{"HorizontalAlignment", Value::text("center")},
          {"VerticalAlignment", Value::text("bottom")},
          {"Rotation", Value::scalar(90)}}},
        {"ZLabel", {{"HorizontalAlignment", Value::text("right")}}},
    };
    for (const auto& l : labels) {
        PropertyList props = l.props;
        props.push_back({"HandleVisibility", Value::text("off")});
        props.push_back({"Parent", Value::scalar(a)});
        const Handle t = create(ObjectType::Text, a, props);
        storeProp(obj(a), l.prop, Value::scalar(t));
    }
}

void GraphicsModel::set(Handle h, const PropertyList& props) {
    applyProps(obj(h), props, true);
}

Value GraphicsModel::derived(const GraphicsObject& o, const std::string& c, bool& found) const {
    found = true;
    if (c == "Type") return Value::text(typeName(o.type));
    if (c == "Parent") return o.type == ObjectType::Root ? Value() : Value::scalar(o.parent);
    if (c == "Children") {
        auto kids = visibleChildren(o.handle);
        std::vector<double> v(kids.begin(), kids.end());
        return v.empty() ? Value() : Value::column(v);
    }
    if (o.type == ObjectType::Root) {
        if (c == "ScreenPixelsPerInch") return Value::scalar(pixelsPerInch_);
        if (c == "ScreenSize") {
            const Value* unitsSet = o.find("Units");
            const std::string units = unitsSet ? unitsSet->toText() : "pixels";
            if (units == "points") {
                const double k = 72.0 / pixelsPerInch_;
                return Value::row({0, 0, screenWidth_ * k, screenHeight_ * k});
            }
            if (units == "inches") {
                return Value::row(
                    {0, 0, screenWidth_ / pixelsPerInch_, screenHeight_ / pixelsPerInch_});
            }
            return Value::row({1, 1, screenWidth_, screenHeight_});
        }
        if (c == "CurrentFigure") {
            const Handle f = topFigure();
            return f == 0 ? Value() : Value::scalar(f);
        }
    }
    if (o.type == ObjectType::Text && c == "Extent") {
        const TextMetrics m = measure(o);
        const std::string units = lowerText(get(o.handle, "Units").toText());
        const Value pos = get(o.handle, "Position");
        const double x = pos.numel() > 0 ? pos(1) : 0;
        const double y = pos.numel() > 1 ? pos(2) : 0;
        if (units == "pixels") {
            const double k = pixelsPerInch_ / 72.0;
            return Value::row({x, y, m.width * k, m.height * k});
        }
        return Value::row({x, y, m.width, m.height});
    }
    found = false;
    return Value();
}

Value GraphicsModel::defaultValue(const GraphicsObject& o, const std::string& c) const {
    if (o.type == ObjectType::Uicontrol && c == "BackgroundColor") {
        return get(0, "DefaultUicontrolBackgroundColor");
    }
    if (o.type == ObjectType::Axes && c == "FontSize") return get(0, "FactoryAxesFontSize");
    return typeDefault(o.type, c);
}

Value GraphicsModel::get(Handle h, const std::string& name) const {
    const GraphicsObject& o = object(h);
    const std::string c = canonicalProperty(o.type, name);
    bool found = false;
    Value d = derived(o, c, found);
    if (found) return d;
    if (const Value* v = o.find(c)) return *v;
    return defaultValue(o, c);
}

}  // namespace velmora
