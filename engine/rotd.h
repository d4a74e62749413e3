// Orientation-independent spectra of two horizontal components: the peak
// of the displacement rotated to every angle from 0 to 179 degrees, and
// percentiles of those peaks (RotD50 the median, RotD100 the maximum).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "engine/solver.h"
#include "host/mat2.h"

namespace velmora {

inline constexpr std::size_t ROTD_ANGLES = 180;  // 0, 1, ..., 179 degrees

using AnglePeaks = std::array<double, ROTD_ANGLES>;

// max over t of |u1(t) cos(theta) + u2(t) sin(theta)| for every angle.
// Exact: only the samples that cannot reach any angle's peak are skipped,
// so the result is bit for bit that of rotatedPeaksPlain.
AnglePeaks rotatedPeaks(const double* u1, const double* u2, std::size_t n);

// The same by one pass over the samples per angle: the reference.
AnglePeaks rotatedPeaksPlain(const double* u1, const double* u2, std::size_t n);

// The p-th percentile (0..100) of values: linear interpolation between the
// sorted values at rank p/100 (count - 1), so 0 is the minimum, 100 the
// maximum and 50 of 180 values the mean of the 90th and 91st.
double percentileOf(std::vector<double> values, double p);

// The relative displacement u(k), k = 0 .. n-1, of one oscillator from rest
// under x(k+1) = ad x(k) + b0 a(k) + b1 a(k+1) (u[0] = 0), with the
// arithmetic of the default solver's kernels in their order.
void displacementHistory(const Mat2& ad, const Vec2& b0, const Vec2& b1, const double* a,
                         std::size_t n, double* u);

// RotDnn of one damping ratio: sd[i][j] is percentile i at period j;
// sa = omega^2 sd.
struct RotDSpectrum {
    double zeta = 0.0;
    std::vector<double> percentiles;
    std::vector<std::vector<double>> sd, sa;
};

// RotD spectra of the components a1 and a2 (n samples each, at grid.dt),
// stepped as linear between samples.
RotDSpectrum solveRotD(const double* a1, const double* a2, std::size_t n, double zeta,
                       const SpectrumGrid& grid, const std::vector<double>& percentiles);

}  // namespace velmora
