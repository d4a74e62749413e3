#include "host/figure_csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "host/axis_quantity.h"

namespace velmora {

namespace {

struct Column {
    std::string header;
    std::vector<double> values;
};

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::vector<double> numbers(const Value& v) {
    return v.isDouble() ? v.data() : std::vector<double>();
}

std::string rightTrimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// The legend's rows, one per curve in the order the curves were made.
std::vector<std::string> legendRows(const GraphicsModel& model, Handle legend) {
    const Value s = model.get(legend, "String");
    std::vector<std::string> rows;
    if (s.isChar()) {
        for (const std::string& r : s.charRows()) rows.push_back(rightTrimmed(r));
    } else if (s.isCell()) {
        for (std::size_t i = 1; i <= s.numel(); ++i) {
            rows.push_back(s.cellAt(i).isChar() ? rightTrimmed(s.cellAt(i).toText()) : "");
        }
    }
    return rows;
}

std::string joined(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + ": " + b;
}

void addAxesColumns(const GraphicsModel& model, Handle axes, std::vector<Column>& columns) {
    std::vector<Handle> lines;
    std::vector<std::string> rows;
    for (Handle c : model.object(axes).children) {
        const ObjectType t = model.object(c).type;
        if (t == ObjectType::Line) lines.push_back(c);
        if (t == ObjectType::Legend) rows = legendRows(model, c);
    }
    const std::string xHeading =
        quantityHeading(axisQuantity(axisLabelText(model, axes, "XLabel")));
    const std::string yHeading =
        quantityHeading(axisQuantity(axisLabelText(model, axes, "YLabel")));
    std::size_t group = 0;
    bool inGroup = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<double> x = numbers(model.get(lines[i], "XData"));
        std::vector<double> y = numbers(model.get(lines[i], "YData"));
        const std::size_t n = std::min(x.size(), y.size());
        x.resize(n);
        y.resize(n);
        // Curves of one plot share their x values: one x column for them.
        if (!inGroup || columns[group].values != x) {
            columns.push_back({xHeading.empty() ? "x" : xHeading, x});
            group = columns.size() - 1;
            inGroup = true;
        }
        std::string row = i < rows.size() ? rows[i] : "";
        if (row.empty() && lines.size() > 1) row = "curve " + std::to_string(i + 1);
        std::string header = joined(yHeading, row);
        columns.push_back({header.empty() ? "y" : header, y});
    }
}

}  // namespace

std::string shortestNumber(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x > 0 ? "Inf" : "-Inf";
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, r.ptr);
}

std::string figureCsv(const GraphicsModel& model, Handle figure) {
    if (!model.isHandle(figure) || model.object(figure).type != ObjectType::Figure) {
        throw Error("There is no figure with this handle to export.");
    }
    std::vector<Column> columns;
    for (Handle a : model.object(figure).children) {
        if (model.object(a).type == ObjectType::Axes) addAxesColumns(model, a, columns);
    }
    if (columns.empty()) throw Error("The figure has no curves to export.");

    std::string text;
    std::size_t longest = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        text += (c ? "," : "") + csvField(columns[c].header);
        longest = std::max(longest, columns[c].values.size());
    }
    text += "\n";
    for (std::size_t r = 0; r < longest; ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c) text += ",";
            if (r < columns[c].values.size()) text += shortestNumber(columns[c].values[r]);
        }
        text += "\n";
    }
    return text;
}

}  // namespace velmora
