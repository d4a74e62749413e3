#include "host/axis_quantity.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace velmora {

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

const char* symbolOf(const std::string& word) {
    static const std::pair<const char*, const char*> table[] = {
        {"seconds", "s"},
        {"second", "s"},
        {"sec", "s"},
        {"s", "s"},
        {"meters", "m"},
        {"meter", "m"},
        {"metres", "m"},
        {"metre", "m"},
        {"m", "m"},
        {"centimeters", "cm"},
        {"centimeter", "cm"},
        {"centimetres", "cm"},
        {"cm", "cm"},
        {"millimeters", "mm"},
        {"millimeter", "mm"},
        {"millimetres", "mm"},
        {"mm", "mm"},
        {"inches", "in"},
        {"inch", "in"},
        {"feet", "ft"},
        {"foot", "ft"},
        {"g", "g"},
        {"hertz", "Hz"},
        {"hz", "Hz"},
        {"radians", "rad"},
        {"radian", "rad"},
        {"percent", "%"},
        {"%", "%"},
        {"kilonewtons", "kN"},
        {"newtons", "N"},
        {"kilograms", "kg"},
        {"tonnes", "t"},
    };
    for (const auto& [name, symbol] : table) {
        if (word == name) return symbol;
    }
    return nullptr;
}

}  // namespace

std::string unitSymbol(const std::string& words) {
    std::istringstream in(lower(words));
    std::string out;
    bool afterPer = false;
    bool haveUnit = false;
    for (std::string w; in >> w;) {
        if (w == "per") {
            if (!haveUnit || afterPer) return trimmed(words);
            out += "/";
            afterPer = true;
            continue;
        }
        if (w == "squared" || w == "cubed") {
            if (!haveUnit || (!out.empty() && out.back() == '/')) return trimmed(words);
            out += w == "squared" ? "^2" : "^3";
            continue;
        }
        const char* symbol = symbolOf(w);
        if (!symbol) return trimmed(words);
        // Two units side by side multiply.
        if (haveUnit && out.back() != '/') out += " ";
        out += symbol;
        haveUnit = true;
    }
    if (!out.empty() && out.back() == '/') return trimmed(words);
    return out;
}

AxisQuantity axisQuantity(const std::string& label) {
    const std::string text = trimmed(label);
    AxisQuantity q;
    if (text.empty()) return q;
    // "Period [s]" and "Period (s)"
    for (const auto& [open, close] : {std::pair{'[', ']'}, std::pair{'(', ')'}}) {
        const auto at = text.rfind(open);
        if (text.back() == close && at != std::string::npos && at > 0) {
            q.quantity = trimmed(text.substr(0, at));
            q.unit = unitSymbol(text.substr(at + 1, text.size() - at - 2));
            if (!q.quantity.empty()) return q;
        }
    }
    // "Period - seconds"
    const auto dash = text.rfind(" - ");
    if (dash != std::string::npos && dash > 0) {
        q.quantity = trimmed(text.substr(0, dash));
        q.unit = unitSymbol(text.substr(dash + 3));
        return q;
    }
    q.quantity = text;
    return q;
}

std::string axisLabelText(const GraphicsModel& model, Handle axes, const char* which) {
    if (!model.isHandle(axes)) return "";
    const Value h = model.get(axes, which);
    if (!h.isScalar() || !model.isHandle(h.toDouble())) return "";
    const Value s = model.get(h.toDouble(), "String");
    std::vector<std::string> lines;
    if (s.isChar()) {
        lines = s.charRows();
    } else if (s.isCell()) {
        for (std::size_t i = 1; i <= s.numel(); ++i) {
            if (s.cellAt(i).isChar()) lines.push_back(s.cellAt(i).toText());
        }
    }
    std::string out;
    for (const std::string& line : lines) {
        const std::string t = trimmed(line);
        if (t.empty()) continue;
        out += (out.empty() ? "" : " ") + t;
    }
    return out;
}

std::string quantityHeading(const AxisQuantity& q) {
    if (q.unit.empty()) return q.quantity;
    return q.quantity + " [" + q.unit + "]";
}

}  // namespace velmora
