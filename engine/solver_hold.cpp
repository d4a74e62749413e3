#include "engine/solver_hold.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <vector>

#include "engine/solver_lanes.h"

namespace velmora {

namespace {

// A 4 x 4 matrix [a b; 0 d] of 2 x 2 blocks, the shape of the augmented
// system, which products keep.
struct Augmented {
    Mat2 a, b, d;
};

Augmented operator*(const Augmented& x, const Augmented& y) {
    return {x.a * y.a, x.a * y.b + x.b * y.d, x.d * y.d};
}

double columnSum(double x, double y) {
    return std::fabs(x) + std::fabs(y);
}

double norm1(const Augmented& m) {
    return std::fmax(std::fmax(columnSum(m.a.a11, m.a.a21), columnSum(m.a.a12, m.a.a22)),
                     std::fmax(columnSum(m.b.a11, m.b.a21) + columnSum(m.d.a11, m.d.a21),
                               columnSum(m.b.a12, m.b.a22) + columnSum(m.d.a12, m.d.a22)));
}

Mat2 over(const Mat2& m, double k) {
    return {m.a11 / k, m.a12 / k, m.a21 / k, m.a22 / k};
}

// Matrix exponential by scaling and squaring a Taylor polynomial: m / 2^s
// has a 1-norm of at most 1, where the terms beyond degree 18 sum to less
// than 1e-17 of the result.
Augmented exponential(const Augmented& m) {
    constexpr int DEGREE = 18;
    const double norm = norm1(m);
    if (!std::isfinite(norm)) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const Mat2 n{nan, nan, nan, nan};
        return {n, n, n};
    }
    int squarings = 0;
    if (norm > 1.0) std::frexp(norm, &squarings);  // norm / 2^s < 1
    const double f = std::ldexp(1.0, -squarings);
    const Augmented x{m.a * f, m.b * f, m.d * f};

    // Horner: I + x (I + x/2 (I + x/3 (...))).
    const Mat2 eye = mlfEye();
    Augmented e{eye, Mat2{}, eye};
    for (int k = DEGREE; k >= 1; --k) {
        const Augmented xe = x * e;
        e = {eye + over(xe.a, k), over(xe.b, k), eye + over(xe.d, k)};
    }
    for (int s = 0; s < squarings; ++s) e = e * e;
    return e;
}

// Six significant digits, as printf's %g writes them.
std::string text(double x) {
    char buffer[40];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 6);
    return std::string(buffer, r.ptr);
}

}  // namespace

std::string periodOutsideValidatedRange(double period) {
    if (period >= MIN_PERIOD && period <= MAX_PERIOD) return {};
    return "period " + text(period) + " s is outside the periods the solver is validated for, " +
           text(MIN_PERIOD) + " to " + text(MAX_PERIOD) + " s";
}

std::string periodOutsideValidatedRange(double period, double dt) {
    std::string why = periodOutsideValidatedRange(period);
    if (!why.empty()) return why;
    const double ratio = period / dt;
    if (ratio >= MIN_STEPS_PER_PERIOD && ratio <= MAX_STEPS_PER_PERIOD) return {};
    return "period " + text(period) + " s is " + text(ratio) + " time steps of " + text(dt) +
           " s; the solver is validated for periods of " + text(MIN_STEPS_PER_PERIOD) + " to " +
           text(MAX_STEPS_PER_PERIOD) + " time steps (" + text(MIN_STEPS_PER_PERIOD * dt) + " to " +
           text(MAX_STEPS_PER_PERIOD * dt) + " s at this step)";
}

// In the time unit dt and the state [omega u; v], the system augmented by
// the excitation c(t) = dt a(t) and its slope r over the step,
//   d/dt' [omega u; v; c; r] = M [omega u; v; c; r],
//   M = [0 theta 0 0; -theta -2 zeta theta -1 0; 0 0 0 1; 0 0 0 0],
// with theta = omega dt, has entries of the size of theta whatever the
// units, and exp(M) holds the step's transition matrix (upper left), the
// response to a held excitation (third column) and to a ramp (fourth).
HoldOscillator holdOscillator(double period, double zeta, double dt, double twoPi) {
    HoldOscillator o;
    o.omega = twoPi / period;
    const double theta = o.omega * dt;
    const Augmented e = exponential({Mat2{0.0, theta, -theta, (-2.0 * zeta) * theta},
                                     Mat2{0.0, 0.0, -1.0, 0.0}, Mat2{0.0, 1.0, 0.0, 0.0}});
    const double h = dt / o.omega;  // scales the first row back to u
    o.ad = {e.a.a11, e.a.a12 / o.omega, e.a.a21 * o.omega, e.a.a22};
    o.hold = {e.b.a11 * h, e.b.a21 * dt};
    // a(k) + (a(k+1) - a(k)) t/dt = a(k) (1 - t/dt) + a(k+1) t/dt.
    o.b0 = {(e.b.a11 - e.b.a12) * h, (e.b.a21 - e.b.a22) * dt};
    o.b1 = {e.b.a12 * h, e.b.a22 * dt};
    return o;
}

namespace {

bool sameBits(double x, double y) {
    return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

// The oscillators of a grid at one damping ratio. A batch computes record
// after record with the same periods, ratios and, mostly, time step, so
// each thread keeps the last few sets it computed (a set is the same
// whichever thread computed it, so results do not depend on the order).
const std::vector<HoldOscillator>& holdOscillators(const SpectrumGrid& grid, double zeta) {
    struct Set {
        std::vector<double> periods;
        double zeta, dt, twoPi;
        std::vector<HoldOscillator> oscillators;
    };
    constexpr std::size_t KEPT_SETS = 8;
    constexpr std::size_t KEPT_PERIODS = 1 << 16;  // in all sets together
    thread_local std::deque<Set> kept;
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (sameBits(it->zeta, zeta) && sameBits(it->dt, grid.dt) &&
            sameBits(it->twoPi, grid.twoPi) && it->periods.size() == grid.periods.size() &&
            std::memcmp(it->periods.data(), grid.periods.data(),
                        grid.periods.size() * sizeof(double)) == 0) {
            if (it != kept.begin()) {
                Set found = std::move(*it);
                kept.erase(it);
                kept.push_front(std::move(found));
            }
            return kept.front().oscillators;
        }
    }
    Set set{grid.periods, zeta, grid.dt, grid.twoPi, {}};
    set.oscillators.reserve(grid.periods.size());
    for (double period : grid.periods)
        set.oscillators.push_back(holdOscillator(period, zeta, grid.dt, grid.twoPi));
    kept.push_front(std::move(set));
    std::size_t periods = 0, sets = 0;
    auto end = kept.begin();
    for (; end != kept.end() && sets < KEPT_SETS; ++end, ++sets) {
        periods += end->periods.size();
        if (periods > KEPT_PERIODS && sets > 0) break;
    }
    kept.erase(end, kept.end());
    return kept.front().oscillators;
}

}  // namespace

SpectrumResult solveHoldSpectrum(const double* a, std::size_t n, double zeta,
                                 const SpectrumGrid& grid, Excitation excitation,
                                 SolverKernel kernel) {
    const std::size_t count = grid.periods.size();
    const std::vector<HoldOscillator>& oscillators = holdOscillators(grid, zeta);
    std::vector<double> omega(count);
    std::vector<Mat2> ad(count);
    std::vector<Vec2> b0(count), b1(count);
    for (std::size_t j = 0; j < count; ++j) {
        const HoldOscillator& o = oscillators[j];
        omega[j] = o.omega;
        ad[j] = o.ad;
        b0[j] = excitation == Excitation::Linear ? o.b0 : o.hold;
        b1[j] = o.b1;
    }
    const lanes::PeakRows peaks = excitation == Excitation::Linear
                                      ? lanes::stepLinearHold(ad, b0, b1, a, n, kernel)
                                      : lanes::stepConstantHold(ad, b0, a, n, kernel);
    SpectrumResult r;
    r.period = grid.periods;
    r.sd = peaks.sd;
    r.sv = peaks.sv;
    for (std::size_t j = 0; j < count; ++j) {
        r.psv.push_back(omega[j] * r.sd[j]);
        r.sa.push_back(omega[j] * omega[j] * r.sd[j]);
    }
    setTimeAxis(r, a, n, grid.dt);
    return r;
}

}  // namespace velmora
