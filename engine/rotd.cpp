#include "engine/rotd.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/solver_hold.h"

namespace velmora {

namespace {

struct AngleTable {
    AnglePeaks c{}, s{};
    AngleTable() {
        for (std::size_t i = 0; i < ROTD_ANGLES; ++i) {
            const double theta = static_cast<double>(i) * std::numbers::pi / 180.0;
            c[i] = std::cos(theta);
            s[i] = std::sin(theta);
        }
    }
};

const AngleTable& angles() {
    static const AngleTable table;
    return table;
}

// Folds sample t into every angle's peak: one pass across the angles, which
// the compiler vectorises.
inline void foldSample(double x1, double x2, const AngleTable& a, AnglePeaks& peaks) {
    for (std::size_t i = 0; i < ROTD_ANGLES; ++i) {
        const double p = std::fabs(x1 * a.c[i] + x2 * a.s[i]);
        peaks[i] = p > peaks[i] ? p : peaks[i];
    }
}

// Every tenth angle: a coarse first look at the motion.
constexpr std::size_t COARSE_STEP = 10;

}  // namespace

AnglePeaks rotatedPeaksPlain(const double* u1, const double* u2, std::size_t n) {
    const AngleTable& a = angles();
    AnglePeaks peaks{};
    for (std::size_t i = 0; i < ROTD_ANGLES; ++i) {
        double m = 0.0;
        for (std::size_t t = 0; t < n; ++t) {
            const double p = std::fabs(u1[t] * a.c[i] + u2[t] * a.s[i]);
            m = p > m ? p : m;
        }
        peaks[i] = m;
    }
    return peaks;
}

// A sample of radius r projects to at most r at any angle. The samples that
// reach the coarse angles' peaks give every angle a lower bound on its peak;
// a sample whose radius is below the smallest bound cannot set any peak and
// is skipped. What remains is folded in exactly as the plain loop does.
AnglePeaks rotatedPeaks(const double* u1, const double* u2, std::size_t n) {
    if (n == 0) return AnglePeaks{};
    const AngleTable& a = angles();
    constexpr std::size_t COARSE = ROTD_ANGLES / COARSE_STEP;
    std::array<double, COARSE> coarse{};
    std::array<std::size_t, COARSE> at{};
    for (std::size_t t = 0; t < n; ++t) {
        for (std::size_t k = 0; k < COARSE; ++k) {
            const std::size_t i = k * COARSE_STEP;
            const double p = std::fabs(u1[t] * a.c[i] + u2[t] * a.s[i]);
            if (p > coarse[k]) {
                coarse[k] = p;
                at[k] = t;
            }
        }
    }
    AnglePeaks bound{};
    for (std::size_t k = 0; k < COARSE; ++k) foldSample(u1[at[k]], u2[at[k]], a, bound);
    const double lowest = *std::min_element(bound.begin(), bound.end());
    // Rounding can make a projection exceed the computed radius by a few
    // units in the last place; the margin keeps every such sample.
    const double threshold = lowest * lowest * (1.0 - 1e-9);

    AnglePeaks peaks = bound;
    for (std::size_t t = 0; t < n; ++t) {
        if (u1[t] * u1[t] + u2[t] * u2[t] >= threshold) foldSample(u1[t], u2[t], a, peaks);
    }
    return peaks;
}

double percentileOf(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = p / 100.0 * static_cast<double>(values.size() - 1);
    const auto lo = static_cast<std::size_t>(std::floor(rank));
    if (lo + 1 >= values.size()) return values.back();
    const double f = rank - static_cast<double>(lo);
    return f == 0.0 ? values[lo] : values[lo] + f * (values[lo + 1] - values[lo]);
}

void displacementHistory(const Mat2& ad, const Vec2& b0, const Vec2& b1, const double* a,
                         std::size_t n, double* u) {
    if (n == 0) return;
    double x = 0.0, v = 0.0;
    u[0] = 0.0;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const double s1 = ad.a11 * x + ad.a12 * v, s2 = ad.a21 * x + ad.a22 * v;
        const double e1 = b0.x1 * a[k] + b1.x1 * a[k + 1];
        const double e2 = b0.x2 * a[k] + b1.x2 * a[k + 1];
        x = s1 + e1;
        v = s2 + e2;
        u[k + 1] = x;
    }
}

RotDSpectrum solveRotD(const double* a1, const double* a2, std::size_t n, double zeta,
                       const SpectrumGrid& grid, const std::vector<double>& percentiles) {
    RotDSpectrum r;
    r.zeta = zeta;
    r.percentiles = percentiles;
    r.sd.assign(percentiles.size(), std::vector<double>(grid.periods.size()));
    r.sa = r.sd;
    std::vector<double> u1(n), u2(n);
    std::vector<double> peaks(ROTD_ANGLES);
    for (std::size_t j = 0; j < grid.periods.size(); ++j) {
        const HoldOscillator o = holdOscillator(grid.periods[j], zeta, grid.dt, grid.twoPi);
        displacementHistory(o.ad, o.b0, o.b1, a1, n, u1.data());
        displacementHistory(o.ad, o.b0, o.b1, a2, n, u2.data());
        const AnglePeaks p = rotatedPeaks(u1.data(), u2.data(), n);
        peaks.assign(p.begin(), p.end());
        for (std::size_t i = 0; i < percentiles.size(); ++i) {
            r.sd[i][j] = percentileOf(peaks, percentiles[i]);
            r.sa[i][j] = o.omega * o.omega * r.sd[i][j];
        }
    }
    return r;
}

}  // namespace velmora
