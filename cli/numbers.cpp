#include "cli/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace velmora::spectra {

bool parseNumber(std::string_view token, double& value) {
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && token.front() == '-') return false;
    }
    if (token.empty()) return false;
    // Fortran's D exponent: copy the (short) token with D read as E.
    std::array<char, 64> buffer{};
    std::size_t d = 0;
    while (d < token.size() && token[d] != 'd' && token[d] != 'D') ++d;
    if (d < token.size()) {
        if (token.size() >= buffer.size()) return false;
        token.copy(buffer.data(), token.size());
        buffer[d] = 'e';
        token = std::string_view(buffer.data(), token.size());
    }
    const char* end = token.data() + token.size();
    double x = 0.0;
    const auto [ptr, ec] = std::from_chars(token.data(), end, x);
    if (ptr != end) return false;
    if (ec == std::errc::result_out_of_range) {
        // Either too large (an infinity) or too small (zero); the sign and
        // exponent tell which.
        const bool negative = token.front() == '-';
        const std::size_t e = token.find_first_of("eE");
        const bool tiny =
            e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-';
        x = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        if (negative) x = -x;
    } else if (ec != std::errc()) {
        return false;
    }
    value = x;
    return true;
}

std::string shortestText(double x) {
    std::array<char, 32> buffer{};
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
    return std::string(buffer.data(), r.ptr);
}

std::string fullText(double x) {
    std::array<char, 32> buffer{};
    const int n = std::snprintf(buffer.data(), buffer.size(), "%.17g", x);
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace velmora::spectra
