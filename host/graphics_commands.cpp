#include "host/graphics_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/graphics_properties.h"

// The commands the program calls on the model: plot, legend, pressing a
// button, measuring a text.

namespace velmora {

std::vector<Handle> GraphicsModel::plot(const Value& x, const Value& y, bool logScales) {
    if (!x.isDouble() && !x.isEmpty()) throw Error("Plot data must be numeric.");
    if (!y.isDouble() && !y.isEmpty()) throw Error("Plot data must be numeric.");
    const std::size_t n = x.numel();
    std::vector<std::vector<double>> curves;
    if (!y.isEmpty()) {
        if (y.cols() == n) {
            for (std::size_t r = 1; r <= y.rows(); ++r) curves.push_back(y.rowValues(r));
        } else if (y.rows() == n) {
            for (std::size_t c = 0; c < y.cols(); ++c) {
                curves.emplace_back(y.data().begin() + c * n, y.data().begin() + (c + 1) * n);
            }
        } else {
            throw Error("Vectors must be the same lengths.");
        }
    }
    const Handle a = gca();
    // A new plot replaces what the axes held.
    for (Handle c : std::vector<Handle>(object(a).children)) {
        const ObjectType t = object(c).type;
        if (t == ObjectType::Line || t == ObjectType::Patch || t == ObjectType::Legend) {
            deleteTree(c);
        }
    }
    const char* scale = logScales ? "log" : "linear";
    set(a, {{"XScale", Value::text(scale)}, {"YScale", Value::text(scale)}});
    const Value order = get(a, "ColorOrder");
    std::vector<Handle> lines;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        Value color = Value::row({0, 0, 1});
        if (order.isDouble() && order.rows() > 0 && order.cols() == 3) {
            color = Value::row(order.rowValues(i % order.rows() + 1));
        }
        lines.push_back(create(ObjectType::Line, a,
                               {{"Parent", Value::scalar(a)},
                                {"Color", color},
                                {"XData", Value::row(x.data())},
                                {"YData", Value::row(curves[i])}}));
    }
    return lines;
}

Handle GraphicsModel::legend(const Value& labelRows, int location) {
    if (location != 1 && location != 4 && !(location >= 0 && location <= 4) && location != -1) {
        throw Error("Unknown legend location code.");
    }
    const Handle a = gca();
    for (Handle c : std::vector<Handle>(object(a).children)) {
        if (object(c).type == ObjectType::Legend) deleteTree(c);
    }
    Value rows = labelRows;
    if (rows.isCell()) {
        std::vector<std::string> lines;
        for (std::size_t i = 1; i <= rows.numel(); ++i) lines.push_back(rows.cellAt(i).toText());
        rows = Value::textRows(lines);
    }
    return create(
        ObjectType::Legend, a,
        {{"Parent", Value::scalar(a)}, {"String", rows}, {"Location", Value::scalar(location)}});
}

void GraphicsModel::pressButton(Handle control) {
    const GraphicsObject& c = object(control);
    if (c.type != ObjectType::Uicontrol) throw Error("Only controls can be pressed.");
    const Handle fig = c.parent;
    const std::string callback =
        get(control, "Callback").isChar() ? get(control, "Callback").toText() : std::string();
    makeCurrent(fig);
    if (callback.empty() || !runner_) return;
    CallbackScope scope(*this);
    runner_(callback);
}

void GraphicsModel::drawnow() {
    if (observer_) observer_->flush();
}

void GraphicsModel::setScreen(double widthPixels, double heightPixels, double pixelsPerInch) {
    screenWidth_ = widthPixels;
    screenHeight_ = heightPixels;
    pixelsPerInch_ = pixelsPerInch;
}

TextMetrics GraphicsModel::measure(const GraphicsObject& text) const {
    const Value s = get(text.handle, "String");
    std::vector<std::string> lines;
    if (s.isChar()) {
        lines = s.charRows();
    } else if (s.isCell()) {
        for (std::size_t i = 1; i <= s.numel(); ++i) {
            const Value& item = s.cellAt(i);
            if (item.isChar()) lines.push_back(item.toText());
        }
    }
    const double size = get(text.handle, "FontSize").toDouble();
    TextMetrics m;
    if (observer_ && observer_->measureText(lines, get(text.handle, "FontName").toText(), size,
                                            get(text.handle, "FontWeight").toText(), m)) {
        return m;
    }
    // Headless estimate: an average glyph is a little over half the size wide.
    std::size_t longest = 0;
    for (const auto& l : lines) longest = std::max(longest, l.size());
    m.width = 0.6 * size * static_cast<double>(longest);
    m.height = 1.2 * size * static_cast<double>(std::max<std::size_t>(lines.size(), 1));
    return m;
}

}  // namespace velmora
