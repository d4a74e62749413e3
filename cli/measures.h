// Ground-motion intensity measures of one record.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/solver_hold.h"

namespace velmora::spectra {

// Housner's spectrum intensity integrates PSV over these periods.
inline constexpr double SI_PERIOD_FROM = 0.1;  // s
inline constexpr double SI_PERIOD_TO = 2.5;    // s
inline constexpr double SI_PERIOD_STEP = 0.01;

// In SI units: m/s^2, m/s, m, s.
struct GroundMeasures {
    double pga = 0.0;    // max |a|
    double pgv = 0.0;    // max |v|, v the trapezoidal integral of a (no baseline correction)
    double pgd = 0.0;    // max |d|, d the trapezoidal integral of v
    double arias = 0.0;  // pi / (2 g) integral of a^2 dt, m/s
    double d5_75 = 0.0;  // time from 5 % to 75 % of the Arias intensity
    double d5_95 = 0.0;  // time from 5 % to 95 %
    double cav = 0.0;    // integral of |a| dt, m/s
};

// The measures of n samples a (m/s^2) at step dt (s); integrals by the
// trapezoidal rule, durations interpolated linearly between samples.
GroundMeasures groundMeasures(const double* a, std::size_t n, double dt);

// Housner's spectrum intensity (m) of a, integral of PSV from 0.1 to 2.5 s
// by the trapezoidal rule at SI_PERIOD_STEP, for the damping ratio zeta, with
// the record taken between samples as `excitation` says.
double spectrumIntensity(const double* a, std::size_t n, double dt, double zeta,
                         Excitation excitation);

}  // namespace velmora::spectra
