#include "cli/record_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cli/numbers.h"
#include "cli/readers.h"

namespace velmora::spectra {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\f' || c == '\v';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the valid UTF-8 sequence at the start of `s` and its code
// point, or 0 when it is not one (overlong forms and surrogates included).
std::size_t utf8Sequence(std::string_view s, char32_t& code) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t n = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
    } else {
        return 0;
    }
    static constexpr char32_t kLeadBits[5] = {0, 0, 0x1F, 0x0F, 0x07};
    static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    code = b0 & kLeadBits[n];
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        code = (code << 6) | (b & 0x3Fu);
    }
    if (code < kSmallest[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return n;
}

// Characters a terminal acts on rather than shows: C1 controls (U+009B
// starts an escape sequence), and the marks that reorder text.
bool shownAsIs(char32_t code) {
    if (code < 0xA0) return false;
    if (code >= 0x200B && code <= 0x200F) return false;
    if (code >= 0x2028 && code <= 0x202E) return false;
    if (code >= 0x2066 && code <= 0x2069) return false;
    return code != 0xFEFF;
}

void appendEscaped(std::string& out, unsigned char c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
}

}  // namespace

bool Lines::next(std::string_view& line) {
    if (done_) return false;
    if (!newlineKnown_ || (newline_ != std::string_view::npos && newline_ < at_)) {
        newline_ = text_.find('\n', at_);
        newlineKnown_ = true;
    }
    if (!returnKnown_ || (return_ != std::string_view::npos && return_ < at_)) {
        return_ = text_.find('\r', at_);
        returnKnown_ = true;
    }
    const std::size_t end = newline_ == std::string_view::npos ? text_.size() : newline_;
    const bool cr = return_ < end;
    std::size_t lineEnd = end;
    std::size_t next = newline_ == std::string_view::npos ? end : newline_ + 1;
    if (cr) {
        lineEnd = return_;
        if (lineEnd + 1 != end) next = lineEnd + 1;  // a lone "\r"; "\r\n" ends at the "\n"
    }
    line = text_.substr(at_, lineEnd - at_);
    ++number_;
    if (next == text_.size() && newline_ == std::string_view::npos && !cr) {
        done_ = true;
        if (line.empty()) return false;
    }
    at_ = next;
    return true;
}

bool Fields::next(std::string_view& field) {
    std::size_t i = 0;
    while (i < rest_.size() && isSeparator(rest_[i])) ++i;
    if (i == rest_.size()) return false;
    std::size_t j = i;
    while (j < rest_.size() && !isSeparator(rest_[j])) ++j;
    field = rest_.substr(i, j - i);
    rest_.remove_prefix(j);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = field.substr(1, field.size() - 2);
    }
    return true;
}

std::size_t plainNumbers(std::string_view line, double* values, std::size_t max) {
    const char* p = line.data();
    const char* const end = p + line.size();
    std::size_t n = 0;
    for (;;) {
        while (p < end && isSeparator(*p)) ++p;
        if (p == end) return n;
        if (n == max) return NOT_PLAIN;
        const auto [next, ec] = std::from_chars(p, end, values[n]);
        if (ec != std::errc() || (next < end && !isSeparator(*next)) || !std::isfinite(values[n])) {
            return NOT_PLAIN;
        }
        ++n;
        p = next;
    }
}

bool blankOrComment(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    return i == line.size() || line[i] == '#';
}

bool startsLikeNumber(std::string_view field) {
    double x = 0.0;
    if (parseNumber(field, x)) return true;
    std::size_t i = 0;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) ++i;
    if (i < field.size() && field[i] == '.') ++i;
    return i < field.size() && isDigit(field[i]);
}

double finiteValue(std::string_view field, std::size_t line) {
    double x = 0.0;
    if (!parseNumber(field, x))
        throw RecordError(lineText(line) + ": " + quotedText(field) + " is not a number");
    if (!std::isfinite(x)) {
        throw RecordError(lineText(line) + ": " + quotedText(field) + " is not a finite number");
    }
    return x;
}

std::string lowerCase(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string lineText(std::size_t line) {
    return "line " + std::to_string(line);
}

namespace {

// Appends at most QUOTE_LENGTH characters of `text` (an escaped byte
// counts as one), escaped; false when some were left out.
bool appendPrintable(std::string& out, std::string_view text) {
    std::size_t shown = 0;
    std::size_t i = 0;
    for (; i < text.size() && shown < QUOTE_LENGTH; ++shown) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            char32_t code = 0;
            const std::size_t n = utf8Sequence(text.substr(i), code);
            if (n > 0 && shownAsIs(code)) {
                out.append(text.substr(i, n));
                i += n;
            } else {
                appendEscaped(out, c);
                ++i;
            }
            continue;
        }
        ++i;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            appendEscaped(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return i == text.size();
}

}  // namespace

std::string quotedText(std::string_view text) {
    std::string out = "\"";
    const bool whole = appendPrintable(out, text);
    out += '"';
    if (!whole) out += "...";
    return out;
}

std::string printableText(std::string_view text) {
    std::string out;
    if (!appendPrintable(out, text)) out += "...";
    return out;
}

}  // namespace velmora::spectra
