#include "host/text_ops.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace velmora {

// --- num2str ------------------------------------------------------------------

std::string num2str(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x > 0 ? "Inf" : "-Inf";
    if (x == 0.0) return "0";  // also -0, which would otherwise print a sign
    char buf[512];
    if (x == std::trunc(x)) {
        // %.0f spells out every whole number exactly (1e10 -> 10000000000);
        // the largest double needs 309 digits.
        std::snprintf(buf, sizeof buf, "%.0f", x);
        return buf;
    }
    const int magnitude = 1 + static_cast<int>(std::floor(std::log10(std::fabs(x))));
    const int digits = std::max(magnitude, 1) + 4;
    std::snprintf(buf, sizeof buf, "%.*g", digits, x);
    return buf;
}

Value mlfNum2str(const Value& x) {
    switch (x.kind()) {
        case ValueKind::Char:
            return x;
        case ValueKind::Empty:
            return Value::text("");
        case ValueKind::Cell:
            throw Error("num2str: the input must be numeric or text.");
        case ValueKind::Double:
            break;
    }
    if (x.rows() == 0) return Value::text("");
    // Each column is right-aligned to its widest entry so that the rows of a
    // matrix line up; a single row then comes out as numbers joined by two
    // blanks.
    std::vector<std::vector<std::string>> cells(x.rows(), std::vector<std::string>(x.cols()));
    std::vector<std::size_t> widths(x.cols(), 0);
    for (std::size_t c = 0; c < x.cols(); ++c) {
        for (std::size_t r = 0; r < x.rows(); ++r) {
            cells[r][c] = num2str(x(r + 1, c + 1));
            widths[c] = std::max(widths[c], cells[r][c].size());
        }
    }
    std::vector<std::string> rows;
    rows.reserve(x.rows());
    for (const auto& line : cells) {
        std::string out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            if (c > 0) out += "  ";
            out.append(widths[c] - line[c].size(), ' ');
            out += line[c];
        }
        rows.push_back(std::move(out));
    }
    return Value::textRows(rows);
}

// --- str2num ------------------------------------------------------------------

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Scans one plain decimal number starting at pos: [+-] digits [. digits]
// [eE [+-] digits], where at least one mantissa digit is required. Returns
// the end position, or npos when the text there is not such a number.
std::size_t scanNumber(const std::string& s, std::size_t pos) {
    const std::size_t n = s.size();
    std::size_t i = pos;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < n && isDigit(s[i])) ++i, ++mantissaDigits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && isDigit(s[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::string::npos;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < n && isDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return std::string::npos;
    }
    return i;
}

// Decimal order of magnitude of a validated, non-zero token, used only to
// tell overflow from underflow. Exponents too large for a long saturate,
// which keeps the sign right.
long decimalOrder(const std::string& token) {
    std::size_t i = 0;
    if (token[i] == '+' || token[i] == '-') ++i;
    long intDigits = 0;
    long leadingFractionZeros = 0;
    bool seenNonZero = false;
    for (; i < token.size() && isDigit(token[i]); ++i) {
        if (token[i] != '0') seenNonZero = true;
        if (seenNonZero) ++intDigits;
    }
    if (i < token.size() && token[i] == '.') {
        for (++i; i < token.size() && isDigit(token[i]); ++i) {
            if (seenNonZero) continue;
            if (token[i] == '0') {
                ++leadingFractionZeros;
            } else {
                seenNonZero = true;
            }
        }
    }
    long exponent = 0;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        bool negative = false;
        if (token[i] == '+' || token[i] == '-') negative = token[i++] == '-';
        for (; i < token.size(); ++i) {
            exponent = std::min(exponent * 10 + (token[i] - '0'), 1000000000L);
        }
        if (negative) exponent = -exponent;
    }
    return intDigits > 0 ? exponent + intDigits - 1 : exponent - leadingFractionZeros - 1;
}

// Converts a validated token; false when it does not fit a double.
bool convert(const std::string& token, double& out) {
    const char* first = token.data();
    const char* last = token.data() + token.size();
    // from_chars takes no leading '+'; it is also independent of the C
    // locale, which the GUI toolkit sets from the environment.
    if (*first == '+') ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc() && result.ptr == last) {
        out = value;
        return true;
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to represent reads as zero, as any calculator would.
        // Too large is refused rather than read as Inf: a typed "1e999" is
        // a mistake, and an empty result makes the caller report it.
        if (decimalOrder(token) < 0) {
            out = 0.0;
            return true;
        }
    }
    return false;
}

// One line of numbers; false when the line is not a plain list of numbers.
bool parseLine(const std::string& s, std::vector<double>& out) {
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n && isBlank(s[i])) ++i;
    while (i < n) {
        const std::size_t end = scanNumber(s, i);
        if (end == std::string::npos) return false;
        double value = 0.0;
        if (!convert(s.substr(i, end - i), value)) return false;
        out.push_back(value);
        i = end;
        // Separator: blanks with at most one comma among them, or the end.
        bool separated = false;
        while (i < n && isBlank(s[i])) ++i, separated = true;
        if (i < n && s[i] == ',') {
            ++i;
            separated = true;
            while (i < n && isBlank(s[i])) ++i;
            if (i == n) return false;  // a trailing comma leaves a list unfinished
        }
        if (i < n && !separated) return false;
    }
    return true;
}

}  // namespace

Value str2num(const std::string& text) {
    std::vector<double> values;
    if (!parseLine(text, values) || values.empty()) return Value();
    return Value::row(std::move(values));
}

Value mlfStr2num(const Value& text) {
    if (!text.isChar() || text.rows() == 0) return Value();
    // Each row of a character matrix is one row of the result.
    std::vector<std::vector<double>> lines;
    for (const auto& row : text.charRows()) {
        std::vector<double> values;
        if (!parseLine(row, values)) return Value();
        if (values.empty()) continue;
        if (!lines.empty() && values.size() != lines.front().size()) return Value();
        lines.push_back(std::move(values));
    }
    if (lines.empty()) return Value();
    const std::size_t rows = lines.size();
    const std::size_t cols = lines.front().size();
    std::vector<double> data(rows * cols);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < cols; ++c) data[c * rows + r] = lines[r][c];
    }
    return Value::matrix(rows, cols, std::move(data));
}

// --- character matrices ---------------------------------------------------------

namespace {

// The rows of a numeric value read as character codes.
std::vector<std::string> codeRows(const Value& x) {
    std::vector<std::string> rows(x.rows(), std::string(x.cols(), ' '));
    for (std::size_t r = 0; r < x.rows(); ++r) {
        for (std::size_t c = 0; c < x.cols(); ++c) {
            const double code = x(r + 1, c + 1);
            if (!(code >= 0.0 && code <= 255.0) || code != std::trunc(code)) {
                throw Error("Character codes must be whole numbers from 0 to 255.");
            }
            rows[r][c] = static_cast<char>(static_cast<unsigned char>(code));
        }
    }
    return rows;
}

// The rows of text a value stands for: a character matrix gives its rows,
// numbers give their character codes, a cell gives the rows of each element
// in column-major order.
std::vector<std::string> textRowsOf(const Value& x) {
    switch (x.kind()) {
        case ValueKind::Empty:
            return {};
        case ValueKind::Char:
            return x.charRows();
        case ValueKind::Double:
            return codeRows(x);
        case ValueKind::Cell:
            break;
    }
    std::vector<std::string> rows;
    for (std::size_t i = 1; i <= x.numel(); ++i) {
        const Value& item = x.cellAt(i);
        if (item.isCell()) throw Error("Cell elements must be character arrays.");
        // An empty text in a cell still takes a row.
        if (item.isEmpty()) {
            rows.emplace_back();
            continue;
        }
        for (auto& r : textRowsOf(item)) rows.push_back(std::move(r));
    }
    return rows;
}

}  // namespace

Value mlfStrvcat(const std::vector<Value>& parts) {
    std::vector<std::string> rows;
    for (const auto& part : parts) {
        if (part.isCell()) {
            for (std::size_t i = 1; i <= part.numel(); ++i) {
                const Value& item = part.cellAt(i);
                if (item.isCell()) throw Error("Cell elements must be character arrays.");
                if (item.isEmpty()) continue;
                for (auto& r : textRowsOf(item)) rows.push_back(std::move(r));
            }
        } else if (!part.isEmpty()) {
            for (auto& r : textRowsOf(part)) rows.push_back(std::move(r));
        }
    }
    return Value::textRows(rows);
}

Value mlfBlanks(std::size_t n) {
    return Value::text(std::string(n, ' '));
}

Value mlfStrrep(const Value& text, const Value& from, const Value& to) {
    if (text.isCell()) {
        std::vector<Value> items;
        items.reserve(text.numel());
        for (std::size_t i = 1; i <= text.numel(); ++i) {
            items.push_back(mlfStrrep(text.cellAt(i), from, to));
        }
        return Value::cell(text.rows(), text.cols(), std::move(items));
    }
    const auto isTextRow = [](const Value& v) {
        return v.kind() == ValueKind::Empty || (v.isChar() && v.rows() <= 1);
    };
    if (!isTextRow(text) || !isTextRow(from) || !isTextRow(to)) {
        throw Error("strrep: the arguments must be character rows or a cell of them.");
    }
    if (text.isEmpty()) return text;
    const std::string s = text.toText();
    const std::string f = from.toText();
    const std::string t = to.toText();
    if (f.empty()) return text;
    // Left to right, each match replaced and scanning resumed after it.
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit = s.find(f); hit != std::string::npos; hit = s.find(f, pos)) {
        out.append(s, pos, hit - pos);
        out += t;
        pos = hit + f.size();
    }
    out.append(s, pos, std::string::npos);
    return Value::text(out);
}

bool mlfStrcmp(const Value& a, const Value& b) {
    return a.isChar() && b.isChar() && a == b;
}

Value mlfChar(const Value& x) {
    if (x.isChar()) return x;
    return Value::textRows(textRowsOf(x));
}

Value horzcatText(const std::vector<Value>& parts) {
    std::vector<std::string> rows;
    bool first = true;
    for (const auto& part : parts) {
        if (part.isCell()) throw Error("Cannot join a cell array with text.");
        // Empty parts ([], '') vanish from a concatenation whatever their shape.
        if (part.isEmpty()) continue;
        std::vector<std::string> add = textRowsOf(part);
        if (first) {
            rows = std::move(add);
            first = false;
            continue;
        }
        if (add.size() != rows.size()) {
            throw Error(
                "All matrices on a row in the bracketed expression must have the same number "
                "of rows.");
        }
        for (std::size_t r = 0; r < rows.size(); ++r) rows[r] += add[r];
    }
    return Value::textRows(rows);
}

}  // namespace velmora
