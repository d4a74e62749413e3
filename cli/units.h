// Acceleration units of records and of results.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::spectra {

enum class AccelUnit { G, MetrePerS2, CentimetrePerS2 };

// Standard gravity, m/s^2: records given in g are converted with it.
inline constexpr double STANDARD_GRAVITY = 9.80665;

// "g", "m/s2" and "cm/s2", the latter two also as "/s^2", "/s/s", "/sec2",
// "/sec^2", "/sec/sec", and "gal" for cm/s2; case does not matter. Nothing
// for any other text.
std::optional<AccelUnit> parseAccelUnit(std::string_view text);

// The unit's name as the options spell it.
const char* unitName(AccelUnit unit);

// Converts samples in `unit` to m/s^2 in place. Centimetres are divided by
// 100 (exact scaling of the decimal unit), g multiplied by STANDARD_GRAVITY;
// m/s^2 is left untouched, so those samples keep their bits.
void convertToMs2(AccelUnit unit, double* samples, std::size_t n);

// The units results are written in for an output acceleration unit: lengths
// follow the acceleration unit (cm with cm/s^2, else m) and SA is in the
// acceleration unit itself. Results in m and m/s^2 are left untouched, so
// they keep their bits.
struct ResultUnits {
    AccelUnit unit = AccelUnit::MetrePerS2;
    std::string lengthName;    // "m" or "cm"
    std::string velocityName;  // "m/s" or "cm/s"
    std::string accelName;     // "m/s2", "cm/s2" or "g"

    double length(double metres) const;  // SD; SV and PSV likewise per second
    double accel(double ms2) const;      // SA
};

ResultUnits resultUnits(AccelUnit outputUnit);

}  // namespace velmora::spectra
