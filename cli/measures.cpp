#include "cli/measures.h"

#include <cmath>
#include <numbers>

#include "cli/units.h"
#include "engine/solver_hold.h"

namespace velmora::spectra {

namespace {

// The time at which the running integral `cum` (cum[0] = 0, rising) first
// reaches `level`, interpolated linearly within the step.
double timeReaching(const std::vector<double>& cum, double level, double dt) {
    for (std::size_t k = 1; k < cum.size(); ++k) {
        if (cum[k] >= level) {
            const double rise = cum[k] - cum[k - 1];
            const double f = rise > 0.0 ? (level - cum[k - 1]) / rise : 0.0;
            return (static_cast<double>(k - 1) + f) * dt;
        }
    }
    return static_cast<double>(cum.size() - 1) * dt;
}

}  // namespace

GroundMeasures groundMeasures(const double* a, std::size_t n, double dt) {
    GroundMeasures m;
    std::vector<double> energy(n, 0.0);  // running integral of a^2
    double v = 0.0, d = 0.0, cav = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        m.pga = std::fmax(m.pga, std::fabs(a[k]));
        if (k == 0) continue;
        const double vNext = v + 0.5 * dt * (a[k - 1] + a[k]);
        d += 0.5 * dt * (v + vNext);
        v = vNext;
        cav += 0.5 * dt * (std::fabs(a[k - 1]) + std::fabs(a[k]));
        energy[k] = energy[k - 1] + 0.5 * dt * (a[k - 1] * a[k - 1] + a[k] * a[k]);
        m.pgv = std::fmax(m.pgv, std::fabs(v));
        m.pgd = std::fmax(m.pgd, std::fabs(d));
    }
    m.cav = cav;
    const double total = n > 0 ? energy.back() : 0.0;
    m.arias = std::numbers::pi / (2.0 * STANDARD_GRAVITY) * total;
    if (total > 0.0) {
        const double t5 = timeReaching(energy, 0.05 * total, dt);
        m.d5_75 = timeReaching(energy, 0.75 * total, dt) - t5;
        m.d5_95 = timeReaching(energy, 0.95 * total, dt) - t5;
    }
    return m;
}

double spectrumIntensity(const double* a, std::size_t n, double dt, double zeta,
                         Excitation excitation) {
    SpectrumGrid grid;
    const auto count =
        static_cast<std::size_t>(std::lround((SI_PERIOD_TO - SI_PERIOD_FROM) / SI_PERIOD_STEP));
    for (std::size_t j = 0; j <= count; ++j)
        grid.periods.push_back(SI_PERIOD_FROM + static_cast<double>(j) * SI_PERIOD_STEP);
    grid.dt = dt;
    grid.twoPi = 2.0 * std::numbers::pi;
    const SpectrumResult r = solveHoldSpectrum(a, n, zeta, grid, excitation);
    double si = 0.0;
    for (std::size_t j = 1; j < r.psv.size(); ++j)
        si += 0.5 * (grid.periods[j] - grid.periods[j - 1]) * (r.psv[j - 1] + r.psv[j]);
    return si;
}

}  // namespace velmora::spectra
