#include "engine/solver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/solver_lanes.h"

namespace velmora {

SpectrumGrid classicGrid() {
    SpectrumGrid grid;
    grid.periods.resize(PERIOD_COUNT);
    for (std::size_t j = 1; j <= PERIOD_COUNT; ++j)
        grid.periods[j - 1] = PERIOD_START + static_cast<double>(j - 1) * PERIOD_STEP;
    grid.dt = TIME_STEP;
    grid.twoPi = TWO_PI;
    return grid;
}

DiscreteOscillator discreteOscillator(double period, double zeta, double dt, double twoPi) {
    DiscreteOscillator o;
    o.period = period;
    o.omega = twoPi / period;
    o.omegaD = o.omega * std::sqrt(1.0 - zeta * zeta);
    const Mat2 a{0.0, 1.0, -(o.omega * o.omega), (-2.0 * zeta) * o.omega};
    const Vec2 b{0.0, -1.0};
    o.ad = mlfExpm(a * dt);
    o.bd = (mlfInv(a) * (o.ad - mlfEye())) * b;
    return o;
}

std::vector<double> stepSamples(const std::vector<double>& record, std::size_t n) {
    std::vector<double> out(n, 0.0);
    const std::size_t m = record.size() < n ? record.size() : n;
    std::copy(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(m), out.begin());
    return out;
}

void setTimeAxis(SpectrumResult& r, const double* a, std::size_t n, double dt) {
    r.time.resize(n);
    for (std::size_t k = 0; k < n; ++k) r.time[k] = static_cast<double>(k) * dt;
    r.samples.assign(a, a + n);
}

namespace lanes {

namespace {

// The recurrence x = ad x + bd a(k): coefficients bd (fields 4, 5).
template <std::size_t L>
struct ConstantHoldBlock : OscillatorBlock<ConstantHoldBlock<L>, L, 2> {
    using typename Lanes<L>::Vec;
    static constexpr std::size_t AHEAD = 0;

    [[gnu::always_inline]] void excitation(const double* ak, Vec& e1, Vec& e2) const {
        e1 = this->b[0] * ak[0];
        e2 = this->b[1] * ak[0];
        this->opaque(e1);
        this->opaque(e2);
    }
};

}  // namespace

PeakRows stepConstantHold(const std::vector<Mat2>& ad, const std::vector<Vec2>& bd, const double* a,
                          std::size_t n, SolverKernel kernel) {
    std::vector<std::array<double, 6>> c(ad.size());
    for (std::size_t j = 0; j < c.size(); ++j)
        c[j] = {ad[j].a11, ad[j].a12, ad[j].a21, ad[j].a22, bd[j].x1, bd[j].x2};
    return stepOscillators<ConstantHoldBlock>(c, a, n, kernel);
}

}  // namespace lanes

SpectrumResult solveSpectrum(const double* a, std::size_t n, double zeta, const SpectrumGrid& grid,
                             SolverKernel kernel) {
    const std::size_t count = grid.periods.size();
    std::vector<DiscreteOscillator> osc(count);
    std::vector<Mat2> ad(count);
    std::vector<Vec2> bd(count);
    for (std::size_t j = 0; j < count; ++j) {
        osc[j] = discreteOscillator(grid.periods[j], zeta, grid.dt, grid.twoPi);
        ad[j] = osc[j].ad;
        bd[j] = osc[j].bd;
    }
    const lanes::PeakRows peaks = lanes::stepConstantHold(ad, bd, a, n, kernel);

    SpectrumResult r;
    r.period = grid.periods;
    r.sd = peaks.sd;
    r.sv = peaks.sv;
    r.psv.resize(count);
    r.sa.resize(count);
    for (std::size_t j = 0; j < count; ++j) {
        r.psv[j] = r.sd[j] * osc[j].omegaD;
        r.sa[j] = osc[j].omega * osc[j].omega * r.sd[j];
    }
    setTimeAxis(r, a, n, grid.dt);
    return r;
}

SpectrumResult compute_ordinates(const double* a, std::size_t n, double zeta) {
    static const SpectrumGrid grid = classicGrid();
    return solveSpectrum(a, n, zeta, grid);
}

}  // namespace velmora
