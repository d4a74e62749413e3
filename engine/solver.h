// Elastic response spectra of a damped single-degree-of-freedom oscillator
// driven by a ground acceleration record, by the exact state-space
// recurrence of the discretised oscillator (the record is held constant over
// each time step).
#pragma once

#include <cstddef>
#include <vector>

#include "host/mat2.h"

namespace velmora {

// The program's fixed analysis constants.
inline constexpr double PERIOD_START = 0.1;  // s
inline constexpr double PERIOD_STEP = 0.05;  // s
inline constexpr std::size_t PERIOD_COUNT = 160;
inline constexpr double TIME_STEP = 0.02;  // s, also every record's sample spacing
inline constexpr std::size_t MAX_STEPS = 1500;
// The program's value of 2 pi; its spectra depend on it, so it is kept.
inline constexpr double TWO_PI = 6.28;

// The oscillator periods and the constants a spectrum is computed with.
struct SpectrumGrid {
    std::vector<double> periods;  // s
    double dt = TIME_STEP;        // s
    double twoPi = TWO_PI;
};

// PERIOD_COUNT periods 0.1, 0.15, ..., 8.05 s; each one computed from its
// index rather than by repeated addition, so no rounding accumulates.
SpectrumGrid classicGrid();

// The discretised oscillator of one period: x(k+1) = ad x(k) + bd a(k) with
// x = [u; v] (relative displacement and velocity).
struct DiscreteOscillator {
    double period = 0.0;
    double omega = 0.0;   // twoPi / period
    double omegaD = 0.0;  // damped circular frequency
    Mat2 ad;              // expm(A dt)
    Vec2 bd;              // inv(A) (ad - I) B with B = [0; -1]
};

DiscreteOscillator discreteOscillator(double period, double zeta, double dt, double twoPi);

// One spectrum: per period the peak magnitudes of displacement (sd) and
// velocity (sv) over the initial state and the n computed states,
// psv = sd omegaD and sa = omega^2 sd (finite and non-zero at zeta = 1,
// where psv is 0). time and samples give the n steps that were used.
struct SpectrumResult {
    std::vector<double> period;
    std::vector<double> sd, sv, psv, sa;
    std::vector<double> time;     // (k-1) dt, k = 1..n
    std::vector<double> samples;  // a(1..n)
};

// Fills r.time with k dt and r.samples with a(k), k = 0 .. n-1.
void setTimeAxis(SpectrumResult& r, const double* a, std::size_t n, double dt);

// Instruction sets the time stepping can use. Every one gives bitwise the
// same result; Auto picks the widest the processor supports, and so does a
// request for one the processor lacks.
enum class SolverKernel { Auto, Generic, Avx2, Avx512 };
bool solverKernelAvailable(SolverKernel kernel);

// Steps all periods of the grid together through the first n samples of a
// (a must hold at least n values). zeta is the damping ratio, 0..1.
SpectrumResult solveSpectrum(const double* a, std::size_t n, double zeta, const SpectrumGrid& grid,
                             SolverKernel kernel = SolverKernel::Auto);

// The program's spectrum: the classic grid, TIME_STEP and TWO_PI.
SpectrumResult compute_ordinates(const double* a, std::size_t n, double zeta);

// The first n samples of a record, zero-extended when the record is shorter
// (a run over a fixed number of steps).
std::vector<double> stepSamples(const std::vector<double>& record, std::size_t n);

}  // namespace velmora
