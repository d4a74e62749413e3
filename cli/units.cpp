#include "cli/units.h"

#include <algorithm>
#include <cctype>

namespace velmora::spectra {

std::optional<AccelUnit> parseAccelUnit(std::string_view text) {
    std::string t(text);
    std::transform(t.begin(), t.end(), t.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (t == "g") return AccelUnit::G;
    if (t == "gal") return AccelUnit::CentimetrePerS2;
    // A length per second squared, written any of the common ways.
    for (const char* perS2 : {"/s2", "/s^2", "/s/s", "/sec2", "/sec^2", "/sec/sec"}) {
        if (t == std::string("m") + perS2) return AccelUnit::MetrePerS2;
        if (t == std::string("cm") + perS2) return AccelUnit::CentimetrePerS2;
    }
    return std::nullopt;
}

const char* unitName(AccelUnit unit) {
    switch (unit) {
        case AccelUnit::G:
            return "g";
        case AccelUnit::CentimetrePerS2:
            return "cm/s2";
        case AccelUnit::MetrePerS2:
            break;
    }
    return "m/s2";
}

void convertToMs2(AccelUnit unit, double* samples, std::size_t n) {
    switch (unit) {
        case AccelUnit::G:
            for (std::size_t i = 0; i < n; ++i) samples[i] *= STANDARD_GRAVITY;
            break;
        case AccelUnit::CentimetrePerS2:
            for (std::size_t i = 0; i < n; ++i) samples[i] /= 100.0;
            break;
        case AccelUnit::MetrePerS2:
            break;
    }
}

double ResultUnits::length(double metres) const {
    return unit == AccelUnit::CentimetrePerS2 ? metres * 100.0 : metres;
}

double ResultUnits::accel(double ms2) const {
    switch (unit) {
        case AccelUnit::G:
            return ms2 / STANDARD_GRAVITY;
        case AccelUnit::CentimetrePerS2:
            return ms2 * 100.0;
        case AccelUnit::MetrePerS2:
            break;
    }
    return ms2;
}

ResultUnits resultUnits(AccelUnit outputUnit) {
    ResultUnits u;
    u.unit = outputUnit;
    u.lengthName = outputUnit == AccelUnit::CentimetrePerS2 ? "cm" : "m";
    u.velocityName = u.lengthName + "/s";
    u.accelName = unitName(outputUnit);
    return u;
}

}  // namespace velmora::spectra
