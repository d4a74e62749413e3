// velmora-spectra's own solver: the oscillator stepped exactly for a record
// that varies linearly between samples (or, on request, is held constant
// over each step), with its coefficients taken from the exponential of the
// system augmented by the excitation, so no matrix is inverted and nothing
// cancels at extreme ratios of period to time step.
#pragma once

#include <cstddef>
#include <string>

#include "engine/solver.h"
#include "host/mat2.h"

namespace velmora {

// How the record is taken between two samples.
enum class Excitation { Linear, Constant };

// The ratios of period to time step, and the periods, for which the results
// are validated against an independent long-double solution.
inline constexpr double MIN_STEPS_PER_PERIOD = 0.01;
inline constexpr double MAX_STEPS_PER_PERIOD = 1e8;
inline constexpr double MIN_PERIOD = 1e-4;  // s
inline constexpr double MAX_PERIOD = 1e4;   // s

// Empty when results are validated for this period at this time step,
// otherwise why not, for a message ("period 1e+20 s is ...").
std::string periodOutsideValidatedRange(double period, double dt);
std::string periodOutsideValidatedRange(double period);

// The discretised oscillator of one period, x = [u; v]:
//   linear excitation    x(k+1) = ad x(k) + b0 a(k) + b1 a(k+1)
//   constant excitation  x(k+1) = ad x(k) + hold a(k)
struct HoldOscillator {
    double omega = 0.0;  // twoPi / period
    Mat2 ad;
    Vec2 hold;    // the response to a unit acceleration held over the step
    Vec2 b0, b1;  // the responses to accelerations falling 1 -> 0 and rising 0 -> 1
};

HoldOscillator holdOscillator(double period, double zeta, double dt, double twoPi);

// Steps all periods of the grid together through the n samples of a: n - 1
// steps for a linear excitation, n for a constant one. The peaks are taken
// over the initial state at rest and every stepped state; psv = omega sd and
// sa = omega^2 sd, the convention of the published spectra.
SpectrumResult solveHoldSpectrum(const double* a, std::size_t n, double zeta,
                                 const SpectrumGrid& grid, Excitation excitation,
                                 SolverKernel kernel = SolverKernel::Auto);

}  // namespace velmora
