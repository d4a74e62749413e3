#include "engine/solver_reference.h"

#include <cmath>

#include "host/mat2.h"

namespace velmora {

namespace {

struct Peaks {
    double sd = 0.0, sv = 0.0;  // the initial state counts

    void track(const Vec2& x) {
        const double au = std::fabs(x.x1);
        const double av = std::fabs(x.x2);
        sd = au > sd ? au : sd;
        sv = av > sv ? av : sv;
    }
};

// x(k+1) = ad x(k) + bd a(k), k = 0 .. n-1.
Peaks constantHold(const Mat2& ad, const Vec2& bd, const double* a, std::size_t n) {
    Vec2 x{0.0, 0.0};
    Peaks p;
    for (std::size_t k = 0; k < n; ++k) {
        x = ad * x + bd * a[k];
        p.track(x);
    }
    return p;
}

// x(k+1) = ad x(k) + (b0 a(k) + b1 a(k+1)), k = 0 .. n-2.
Peaks linearHold(const Mat2& ad, const Vec2& b0, const Vec2& b1, const double* a, std::size_t n) {
    Vec2 x{0.0, 0.0};
    Peaks p;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        x = ad * x + (b0 * a[k] + b1 * a[k + 1]);
        p.track(x);
    }
    return p;
}

void addTimeAxis(SpectrumResult& r, const double* a, std::size_t n, double dt) {
    for (std::size_t k = 0; k < n; ++k) {
        r.time.push_back(static_cast<double>(k) * dt);
        r.samples.push_back(a[k]);
    }
}

}  // namespace

SpectrumResult solveSpectrumReference(const double* a, std::size_t n, double zeta,
                                      const SpectrumGrid& grid) {
    SpectrumResult r;
    for (const double period : grid.periods) {
        const double omega = grid.twoPi / period;
        const double omegaD = omega * std::sqrt(1.0 - zeta * zeta);
        const Mat2 am{0.0, 1.0, -(omega * omega), (-2.0 * zeta) * omega};
        const Vec2 bm{0.0, -1.0};
        const Mat2 ad = mlfExpm(am * grid.dt);
        const Vec2 bd = (mlfInv(am) * (ad - mlfEye())) * bm;
        const Peaks p = constantHold(ad, bd, a, n);
        r.period.push_back(period);
        r.sd.push_back(p.sd);
        r.sv.push_back(p.sv);
        r.psv.push_back(p.sd * omegaD);
        r.sa.push_back(omega * omega * p.sd);
    }
    addTimeAxis(r, a, n, grid.dt);
    return r;
}

SpectrumResult solveHoldSpectrumReference(const double* a, std::size_t n, double zeta,
                                          const SpectrumGrid& grid, Excitation excitation) {
    SpectrumResult r;
    for (const double period : grid.periods) {
        const HoldOscillator o = holdOscillator(period, zeta, grid.dt, grid.twoPi);
        const Peaks p = excitation == Excitation::Linear ? linearHold(o.ad, o.b0, o.b1, a, n)
                                                         : constantHold(o.ad, o.hold, a, n);
        r.period.push_back(period);
        r.sd.push_back(p.sd);
        r.sv.push_back(p.sv);
        r.psv.push_back(o.omega * p.sd);
        r.sa.push_back(o.omega * o.omega * p.sd);
    }
    addTimeAxis(r, a, n, grid.dt);
    return r;
}

}  // namespace velmora
