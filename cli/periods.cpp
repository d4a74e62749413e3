#include "cli/periods.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>
#include <string>

#include "cli/numbers.h"

namespace velmora::spectra {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> split(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = s.find(separator);
        parts.push_back(trim(s.substr(0, at)));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + 1);
    }
}

[[noreturn]] void fail(std::string_view item, const std::string& why) {
    throw std::invalid_argument("\"" + std::string(item) + "\": " + why);
}

double period(std::string_view item, std::string_view field, const char* what) {
    double x = 0.0;
    if (!parseNumber(field, x)) fail(item, std::string(what) + " is not a number");
    if (!std::isfinite(x) || x <= 0.0) fail(item, std::string(what) + " must be above 0");
    return x;
}

void checkCount(std::string_view item, double count) {
    if (count > static_cast<double>(MAX_PERIODS)) {
        fail(item, "gives more than " + std::to_string(MAX_PERIODS) + " periods");
    }
}

void addRange(std::string_view item, const std::vector<std::string_view>& f,
              std::vector<double>& out) {
    const double start = period(item, f[0], "the start");
    const double step = period(item, f[1], "the step");
    const double end = period(item, f[2], "the end");
    if (end < start) fail(item, "the end is below the start");
    // The end counts when it is reached up to rounding: 0.1:0.05:8.05 ends
    // at 8.05 although (8.05 - 0.1) / 0.05 is not exactly 159.
    const double q = (end - start) / step;
    checkCount(item, q + 1.0);
    const auto last = static_cast<std::size_t>(std::floor(q + 1e-9 * std::max(1.0, q)));
    for (std::size_t k = 0; k <= last; ++k) out.push_back(start + static_cast<double>(k) * step);
}

void addLog(std::string_view item, const std::vector<std::string_view>& f,
            std::vector<double>& out) {
    const double first = period(item, f[1], "the first period");
    const double last = period(item, f[2], "the last period");
    double count = 0.0;
    if (!parseNumber(f[3], count) || count != std::floor(count) || count < 2.0) {
        fail(item, "the count must be a whole number of at least 2");
    }
    if (last <= first) fail(item, "the last period must be above the first");
    checkCount(item, count);
    const auto n = static_cast<std::size_t>(count);
    // Exponents as lo + (span k) / (n - 1): whole decades come out exact
    // (log:0.01:10:100 holds 0.1 and 1 exactly).
    const double lo = std::log10(first);
    const double span = std::log10(last) - lo;
    out.push_back(first);
    for (std::size_t k = 1; k + 1 < n; ++k) {
        out.push_back(
            std::pow(10.0, lo + span * static_cast<double>(k) / static_cast<double>(n - 1)));
    }
    out.push_back(last);
}

bool isLog(std::string_view field) {
    return field.size() == 3 && std::tolower(static_cast<unsigned char>(field[0])) == 'l' &&
           std::tolower(static_cast<unsigned char>(field[1])) == 'o' &&
           std::tolower(static_cast<unsigned char>(field[2])) == 'g';
}

}  // namespace

std::vector<double> parsePeriods(std::string_view text) {
    if (trim(text).empty()) throw std::invalid_argument("no periods given");
    std::vector<double> out;
    for (std::string_view item : split(text, ',')) {
        if (item.empty())
            throw std::invalid_argument("an empty item in \"" + std::string(text) + "\"");
        const std::vector<std::string_view> f = split(item, ':');
        if (f.size() == 1) {
            out.push_back(period(item, f[0], "the period"));
        } else if (isLog(f[0])) {
            if (f.size() != 4) fail(item, "a log series is log:first:last:count");
            addLog(item, f, out);
        } else if (f.size() == 3) {
            addRange(item, f, out);
        } else {
            fail(item, "a range is start:step:end, a log series log:first:last:count");
        }
        checkCount(item, static_cast<double>(out.size()));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

}  // namespace velmora::spectra
