#include "view/qt_values.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace velmora::qtview {

namespace {

QString rightTrimmed(const std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && s[end - 1] == ' ') --end;
    return QString::fromStdString(s.substr(0, end));
}

}  // namespace

bool isNoneColor(const Value& v) {
    return v.isChar() && keyword(v) == "none";
}

QColor toColor(const Value& v, const QColor& fallback) {
    if (!v.isDouble() || v.numel() != 3) return fallback;
    auto channel = [&](std::size_t i) {
        const double x = v.data()[i];
        if (!std::isfinite(x)) return 0;
        return static_cast<int>(std::lround(std::clamp(x, 0.0, 1.0) * 255.0));
    };
    return QColor(channel(0), channel(1), channel(2));
}

QStringList textLines(const Value& v, bool splitBars) {
    QStringList out;
    if (v.isChar()) {
        const auto rows = v.charRows();
        if (rows.size() == 1 && splitBars && rows[0].find('|') != std::string::npos) {
            for (const QString& part : QString::fromStdString(rows[0]).split('|')) {
                out << rightTrimmed(part.toStdString());
            }
            return out;
        }
        for (const auto& r : rows) out << rightTrimmed(r);
    } else if (v.isCell()) {
        for (std::size_t i = 1; i <= v.numel(); ++i) {
            const Value& item = v.cellAt(i);
            if (item.isChar()) {
                for (const auto& r : item.charRows()) out << rightTrimmed(r);
            } else if (item.isEmpty()) {
                out << QString();
            } else if (item.isDouble()) {
                out << QString::number(item.toDouble(), 'g', 6);
            }
        }
    } else if (v.isDouble() && !v.isEmpty()) {
        // A number shown as text, as the array library would print it.
        out << QString::number(v.toDouble(), 'g', 6);
    }
    return out;
}

QString joinedText(const Value& v) {
    return textLines(v).join('\n');
}

std::string keyword(const Value& v) {
    if (!v.isChar() || v.rows() > 1) return {};
    std::string s = v.toText();
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

double number(const Value& v, double fallback) {
    if (!v.isDouble() || v.isEmpty()) return fallback;
    return v.data()[0];
}

Value prop(const GraphicsModel& m, Handle h, const std::string& name) {
    try {
        return m.get(h, name);
    } catch (const Error&) {
        return Value();
    }
}

double screenPpi(const GraphicsModel& m) {
    const double ppi = number(prop(m, 0, "ScreenPixelsPerInch"), 96);
    return ppi > 0 ? ppi : 96;
}

}  // namespace velmora::qtview
