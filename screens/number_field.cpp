#include "screens/number_field.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/graphics_host.h"
#include "host/text_ops.h"

namespace velmora::screen {

std::optional<double> oneFiniteNumber(const Value& text) {
    Value chars = text;
    if (chars.isCell() && chars.numel() == 1) chars = chars.cellAt(1);
    if (!chars.isChar()) return std::nullopt;
    const Value n = mlfStr2num(chars);
    if (n.numel() != 1 || !n.isDouble() || !std::isfinite(n.toDouble())) return std::nullopt;
    return n.toDouble();
}

std::optional<double> numberInField(Handle field) {
    return oneFiniteNumber(mlfGet(field, "String"));
}

std::size_t wholeCount(double x) {
    // Beyond any list or row the program builds; keeps the cast defined.
    if (!(x >= 0) || x > 1e9) return 0;
    return static_cast<std::size_t>(std::floor(x));
}

std::size_t wholeCount(const Value& v) {
    if (!v.isDouble() || v.isEmpty()) return 0;
    return wholeCount(v.toDouble());
}

double entryOr(const Value& v, std::size_t i, double fallback) {
    if (!v.isDouble() || i < 1 || i > v.numel()) return fallback;
    return v(i);
}

Value firstEntries(const Value& v, std::size_t n) {
    if (!v.isDouble()) return Value();
    const auto& all = v.data();
    return Value::row(std::vector<double>(all.begin(), all.begin() + std::min(n, all.size())));
}

}  // namespace velmora::screen
