#include "host/graphics_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/graphics_properties.h"

// The object tree: children, searches, the current figure and axes, deleting.

namespace velmora {

bool GraphicsModel::visible(const GraphicsObject& o) const {
    const Value* hv = o.find("HandleVisibility");
    if (!hv) return true;
    const std::string s = hv->toText();
    if (s == "on") return true;
    if (const Value* show = object(0).find("ShowHiddenHandles"); show && show->toText() == "on") {
        return true;
    }
    return s == "callback" && inCallback();
}

std::vector<Handle> GraphicsModel::allchild(Handle h) const {
    const GraphicsObject& o = object(h);
    if (o.type == ObjectType::Root) {
        return stackOrder_;
    }
    return std::vector<Handle>(o.children.rbegin(), o.children.rend());
}

std::vector<Handle> GraphicsModel::visibleChildren(Handle h) const {
    std::vector<Handle> out;
    for (Handle c : allchild(h)) {
        if (visible(object(c))) out.push_back(c);
    }
    return out;
}

std::vector<Handle> GraphicsModel::findobj(const std::vector<Handle>& roots, bool flat,
                                           const PropertyList& match) const {
    std::vector<Handle> candidates;
    std::function<void(Handle)> walk = [&](Handle h) {
        candidates.push_back(h);
        for (Handle c : visibleChildren(h)) walk(c);
    };
    for (Handle h : roots) {
        if (!isHandle(h)) continue;
        if (flat) {
            candidates.push_back(h);
        } else {
            walk(h);
        }
    }
    std::vector<Handle> out;
    for (Handle h : candidates) {
        const GraphicsObject& o = object(h);
        bool ok = true;
        for (const auto& [name, want] : match) {
            std::string c;
            try {
                c = canonicalProperty(o.type, name);
            } catch (const Error&) {
                ok = false;
                break;
            }
            Value have = get(h, c);
            if (have.isChar() && want.isChar()) {
                const bool keyword = isKeywordProperty(c) || c == "Type";
                const std::string a = keyword ? lowerText(have.toText()) : have.toText();
                const std::string b = keyword ? lowerText(want.toText()) : want.toText();
                ok = a == b;
            } else {
                ok = have == want;
            }
            if (!ok) break;
        }
        if (ok) out.push_back(h);
    }
    return out;
}

std::vector<Handle> GraphicsModel::figuresInCreationOrder() const {
    return figureOrder_;
}

Handle GraphicsModel::currentFigure() const {
    for (Handle f : stackOrder_) {
        if (visible(object(f))) return f;
    }
    return 0;
}

Handle GraphicsModel::gcf() {
    const Handle f = currentFigure();
    if (f != 0) return f;
    return createFigure({});
}

Handle GraphicsModel::gca() {
    const Handle f = gcf();
    const Value* ca = object(f).find("CurrentAxes");
    if (ca && ca->isScalar() && isHandle(ca->toDouble())) return ca->toDouble();
    for (Handle c : object(f).children) {
        if (object(c).type == ObjectType::Axes) {
            storeProp(obj(f), "CurrentAxes", Value::scalar(c));
            return c;
        }
    }
    return create(ObjectType::Axes, f, {{"Parent", Value::scalar(f)}});
}

void GraphicsModel::raise(Handle fig) {
    auto it = std::find(stackOrder_.begin(), stackOrder_.end(), fig);
    if (it != stackOrder_.end()) stackOrder_.erase(it);
    stackOrder_.insert(stackOrder_.begin(), fig);
}

void GraphicsModel::makeCurrent(Handle fig) {
    if (!isHandle(fig) || object(fig).type != ObjectType::Figure) {
        throw Error("The handle is not a figure.");
    }
    raise(fig);
    if (observer_) observer_->figureRaised(fig);
}

void GraphicsModel::deleteTree(Handle h) {
    GraphicsObject& o = obj(h);
    const std::vector<Handle> kids = o.children;
    for (Handle c : kids) deleteTree(c);
    if (observer_) observer_->objectDeleting(o);
    if (o.type != ObjectType::Root && isHandle(o.parent)) {
        auto& siblings = obj(o.parent).children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), h), siblings.end());
    }
    if (o.type == ObjectType::Figure) {
        figureOrder_.erase(std::remove(figureOrder_.begin(), figureOrder_.end(), h),
                           figureOrder_.end());
        stackOrder_.erase(std::remove(stackOrder_.begin(), stackOrder_.end(), h),
                          stackOrder_.end());
    }
    objects_.erase(h);
}

void GraphicsModel::close(Handle fig) {
    if (!isHandle(fig) || object(fig).type != ObjectType::Figure) {
        throw Error("The handle given to close is not a figure.");
    }
    deleteTree(fig);
}

void GraphicsModel::closeCurrent() {
    const Handle f = currentFigure();
    if (f != 0) close(f);
}

}  // namespace velmora
