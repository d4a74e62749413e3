// The response-spectrum solvers against independent solutions: closed forms
// of the damped oscillator, a fine-step Runge-Kutta integration, a
// long-double solution at extreme periods, and the plain
// one-period-at-a-time recurrences (bitwise).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/record_file.h"
#include "engine/solver.h"
#include "engine/solver_hold.h"
#include "engine/solver_reference.h"
#include "host/mat2.h"

using namespace velmora;

namespace {

// The El Centro 1940 N-S record (m/s^2): Impval1, the text kept with the
// sources in m/s^2 (RecordFiles).
std::vector<double> elCentro() {
    return readRecordFile("Impval1.mat").acceleration;
}

// A reproducible broadband test signal (LCG, values in -5..5 m/s^2).
std::vector<double> noise(std::size_t n, std::uint64_t seed) {
    std::vector<double> a(n);
    for (auto& x : a) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        x = (static_cast<double>(seed >> 11) * 0x1.0p-53 - 0.5) * 10.0;
    }
    return a;
}

bool sameBits(const std::vector<double>& x, const std::vector<double>& y) {
    return x.size() == y.size() &&
           (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
}

void expectSameBits(const SpectrumResult& got, const SpectrumResult& want) {
    for (auto row :
         {&SpectrumResult::period, &SpectrumResult::sd, &SpectrumResult::sv, &SpectrumResult::psv,
          &SpectrumResult::sa, &SpectrumResult::time, &SpectrumResult::samples})
        EXPECT_TRUE(sameBits(got.*row, want.*row));
}

std::size_t periodIndex(double period) {
    return static_cast<std::size_t>(std::lround((period - 0.1) / 0.05));
}

// Peaks of |u| and |v| at the sample instants 0, dt, ..., n dt.
template <typename T>
struct PeaksOf {
    T sd = 0, sv = 0;
    void add(T u, T v) {
        sd = std::max(sd, std::fabs(u));
        sv = std::max(sv, std::fabs(v));
    }
};
using Peaks = PeaksOf<double>;
using LongPeaks = PeaksOf<long double>;

// Fourth-order Runge-Kutta on u'' + 2 zeta w u' + w^2 u = -a(t), with the
// sample held over its step and `sub` substeps per sample.
Peaks rk4Peaks(const std::vector<double>& a, std::size_t n, double omega, double zeta, double dt,
               int sub) {
    const double h = dt / sub;
    auto acc = [&](double u, double v, double ag) {
        return -ag - 2.0 * zeta * omega * v - omega * omega * u;
    };
    double u = 0.0, v = 0.0;
    Peaks p;
    for (std::size_t k = 0; k < n; ++k) {
        for (int s = 0; s < sub; ++s) {
            const double k1u = v, k1v = acc(u, v, a[k]);
            const double k2u = v + 0.5 * h * k1v, k2v = acc(u + 0.5 * h * k1u, k2u, a[k]);
            const double k3u = v + 0.5 * h * k2v, k3v = acc(u + 0.5 * h * k2u, k3u, a[k]);
            const double k4u = v + h * k3v, k4v = acc(u + h * k3u, k4u, a[k]);
            u += h / 6.0 * (k1u + 2.0 * k2u + 2.0 * k3u + k4u);
            v += h / 6.0 * (k1v + 2.0 * k2v + 2.0 * k3v + k4v);
        }
        p.add(u, v);
    }
    return p;
}

double relDiff(double got, double want) {
    return std::fabs(got - want) / std::fabs(want);
}

using Long = long double;
constexpr double SPECTRA_TWO_PI =
    2.0 * 3.141592653589793;  // velmora-spectra's, the double nearest 2 pi

// The oscillator's exact state after time t from (u0, v0) under a ground
// acceleration a0 + s t, in long double: the particular solution
// -(a0 + s t) / w^2 + 2 z s / w^3 plus the free vibration.
void exactResponse(Long u0, Long v0, Long a0, Long s, Long w, Long z, Long t, Long& u, Long& v) {
    const Long w2 = w * w;
    const Long up0 = -a0 / w2 + 2.0L * z * s / (w2 * w), vp = -s / w2;
    const Long c1 = u0 - up0;  // free vibration's initial state
    const Long d1 = v0 - vp;
    if (z < 1.0L) {
        const Long wd = w * std::sqrt(1.0L - z * z);
        const Long e = std::exp(-z * w * t), c = std::cos(wd * t), sn = std::sin(wd * t);
        const Long c2 = (d1 + z * w * c1) / wd;
        u = up0 - s * t / w2 + e * (c1 * c + c2 * sn);
        v = vp + e * ((wd * c2 - z * w * c1) * c - (z * w * c2 + wd * c1) * sn);
    } else {
        const Long e = std::exp(-w * t), c2 = d1 + w * c1;
        u = up0 - s * t / w2 + e * (c1 + c2 * t);
        v = vp + e * (c2 - w * (c1 + c2 * t));
    }
}

// The exact one-step recurrence x(k+1) = ad x(k) + b0 a(k) + b1 a(k+1)
// (held: x(k+1) = ad x(k) + hold a(k)) in long double, built independently
// of the solver: by power series in the step for short steps (theta =
// omega dt <= 1, where the closed form cancels), by the closed form above.
struct LongStep {
    Long ad[2][2], hold[2], b0[2], b1[2];
};

LongStep longStep(double period, double zeta, double dt) {
    const Long w = SPECTRA_TWO_PI / static_cast<Long>(period), h = dt, th = w * h;
    LongStep c{};
    if (th > 1.0L) {
        exactResponse(1, 0, 0, 0, w, zeta, h, c.ad[0][0], c.ad[1][0]);
        exactResponse(0, 1, 0, 0, w, zeta, h, c.ad[0][1], c.ad[1][1]);
        exactResponse(0, 0, 1, 0, w, zeta, h, c.hold[0], c.hold[1]);
        exactResponse(0, 0, 1, -1 / h, w, zeta, h, c.b0[0], c.b0[1]);
        exactResponse(0, 0, 0, 1 / h, w, zeta, h, c.b1[0], c.b1[1]);
        return c;
    }
    // In the state [w u; v]: e^M = sum M^k / k!, held input sum M^k / (k+1)!,
    // ramp input sum M^k / (k+2)!, with M = [0 th; -th -2 z th].
    const Long m[2][2] = {{0, th}, {-th, -2.0L * zeta * th}};
    Long term[2][2] = {{1, 0}, {0, 1}}, e[2][2] = {}, held[2][2] = {}, ramp[2][2] = {};
    for (int k = 0; k < 40; ++k) {
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 2; ++j) {
                e[i][j] += term[i][j];
                held[i][j] += term[i][j] / (k + 1);
                ramp[i][j] += term[i][j] / ((k + 1.0L) * (k + 2));
            }
        }
        Long next[2][2];
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                next[i][j] = (term[i][0] * m[0][j] + term[i][1] * m[1][j]) / (k + 1);
        std::memcpy(term, next, sizeof term);
    }
    c.ad[0][0] = e[0][0];
    c.ad[0][1] = e[0][1] / w;
    c.ad[1][0] = e[1][0] * w;
    c.ad[1][1] = e[1][1];
    // The input [0; -1] a, scaled by h: column 2 of the sums.
    c.hold[0] = -h * held[0][1] / w;
    c.hold[1] = -h * held[1][1];
    c.b1[0] = -h * ramp[0][1] / w;
    c.b1[1] = -h * ramp[1][1];
    c.b0[0] = c.hold[0] - c.b1[0];
    c.b0[1] = c.hold[1] - c.b1[1];
    return c;
}

LongPeaks longPeaks(const LongStep& c, const std::vector<double>& a, Excitation excitation) {
    const bool linear = excitation == Excitation::Linear;
    Long u = 0, v = 0;
    LongPeaks p;
    for (std::size_t k = 0; k + (linear ? 1 : 0) < a.size(); ++k) {
        const Long f0 = a[k], f1 = linear ? a[k + 1] : 0.0;
        const Long nu = c.ad[0][0] * u + c.ad[0][1] * v +
                        (linear ? c.b0[0] * f0 + c.b1[0] * f1 : c.hold[0] * f0);
        const Long nv = c.ad[1][0] * u + c.ad[1][1] * v +
                        (linear ? c.b0[1] * f0 + c.b1[1] * f1 : c.hold[1] * f0);
        u = nu;
        v = nv;
        p.add(u, v);
    }
    return p;
}

}  // namespace

// ---------------------------------------------------------------------------
// 2 x 2 matrix exponential and inverse

// Scaling and squaring is accurate relative to the conditioning of the
// exponential, which grows with the norm of its argument: about ten units
// in the last place times ||A||_1, element by element.
void expectExpmNear(const Mat2& a, const Mat2& want) {
    const Mat2 got = mlfExpm(a);
    const double rel = 2e-15 * std::max(1.0, norm1(a));
    const double got4[] = {got.a11, got.a12, got.a21, got.a22};
    const double want4[] = {want.a11, want.a12, want.a21, want.a22};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(got4[i], want4[i], rel * std::fabs(want4[i]) + 1e-300)
            << "element " << i << " of expm([" << a.a11 << " " << a.a12 << "; " << a.a21 << " "
            << a.a22 << "])";
}

TEST(Mat2, ExpmMatchesClosedFormsInEveryPadeRange) {
    // Norms from below the degree-3 range up to heavy scaling and squaring.
    for (double s : {1e-3, 0.1, 0.5, 1.5, 4.0, 30.0, 400.0}) {
        // Rotation generator: exp([0 s; -s 0]) = [cos s, sin s; -sin s, cos s]
        // (checked absolutely: cos and sin pass through zero).
        const Mat2 r = mlfExpm(Mat2{0.0, s, -s, 0.0});
        const double tol = 2e-15 * std::max(1.0, s);
        EXPECT_NEAR(r.a11, std::cos(s), tol) << s;
        EXPECT_NEAR(r.a12, std::sin(s), tol) << s;
        EXPECT_NEAR(r.a21, -std::sin(s), tol) << s;
        EXPECT_NEAR(r.a22, std::cos(s), tol) << s;

        // Upper triangular, distinct diagonal:
        // exp = [e^p, q (e^p - e^d) / (p - d); 0, e^d], the difference taken
        // through expm1 so the expected value has no cancellation.
        const double p = -s, d = -0.25 * s, q = 0.5 * s;
        const double ep = std::exp(p), ed = std::exp(d);
        expectExpmNear(Mat2{p, q, 0.0, d}, Mat2{ep, q * ed * std::expm1(p - d) / (p - d), 0.0, ed});
    }
    // Nilpotent: exp([0 1; 0 0]) = I + N exactly.
    EXPECT_EQ(mlfExpm(Mat2{0.0, 1.0, 0.0, 0.0}), (Mat2{1.0, 1.0, 0.0, 1.0}));
    // Repeated eigenvalue -w: exp(A t) = e^{-wt} [1 + wt, t; -w^2 t, 1 - wt].
    for (double w : {0.78, 6.28, 62.8}) {
        const double t = 0.02;
        const double e = std::exp(-w * t);
        expectExpmNear(Mat2{0.0, 1.0, -w * w, -2.0 * w} * t,
                       Mat2{e * (1.0 + w * t), e * t, -e * w * w * t, e * (1.0 - w * t)});
    }
}

// Inverses and products are exercised through the classic solver's
// coefficients (SolverExact); a singular matrix is not reached there.
TEST(Mat2, SingularInverseIsNotFinite) {
    EXPECT_FALSE(std::isfinite(mlfInv(Mat2{1, 2, 2, 4}).a11));
}

// ---------------------------------------------------------------------------
// Against closed forms and an independent integrator

TEST(SolverExact, ConstantAccelerationMatchesClosedForm) {
    const double a0 = 2.5;
    const std::size_t n = 1500;
    const std::vector<double> a(n, a0);
    for (double zeta : {0.0, 0.05, 0.2, 0.7, 1.0}) {
        const SpectrumResult r = compute_ordinates(a.data(), n, zeta);
        for (double period : {0.1, 0.35, 1.0, 3.0, 8.05}) {
            const std::size_t j = periodIndex(period);
            const double omega = 6.28 / r.period[j];
            LongPeaks want;
            for (std::size_t k = 0; k <= n; ++k) {
                Long u = 0, v = 0;
                exactResponse(0, 0, a0, 0, omega, zeta, static_cast<Long>(k) * 0.02, u, v);
                want.add(u, v);
            }
            const double sd = static_cast<double>(want.sd), sv = static_cast<double>(want.sv);
            EXPECT_LT(relDiff(r.sd[j], sd), 1e-9) << "T=" << period << " zeta=" << zeta;
            EXPECT_LT(relDiff(r.sv[j], sv), 1e-9) << "T=" << period << " zeta=" << zeta;
        }
    }
}

TEST(SolverExact, ElCentroMatchesFineStepRungeKutta) {
    const std::vector<double> a = elCentro();
    ASSERT_EQ(a.size(), 2688u);
    const std::size_t n = 1500;
    for (double zeta : {0.0, 0.02, 0.05, 0.2}) {
        const SpectrumResult r = compute_ordinates(a.data(), n, zeta);
        for (double period : {0.1, 0.5, 1.0, 3.0, 8.05}) {
            const std::size_t j = periodIndex(period);
            const Peaks want = rk4Peaks(a, n, 6.28 / r.period[j], zeta, 0.02, 50);
            EXPECT_LT(relDiff(r.sd[j], want.sd), 1e-6) << "T=" << period << " zeta=" << zeta;
            EXPECT_LT(relDiff(r.sv[j], want.sv), 1e-6) << "T=" << period << " zeta=" << zeta;
        }
    }
}

// ---------------------------------------------------------------------------
// A run over a fixed number of steps

TEST(SolverClassic, StepSamplesTruncatesOrZeroExtends) {
    const std::vector<double> rec = {1.0, -2.0, 3.0};
    EXPECT_EQ(stepSamples(rec, 2), (std::vector<double>{1.0, -2.0}));
    EXPECT_EQ(stepSamples(rec, 5), (std::vector<double>{1.0, -2.0, 3.0, 0.0, 0.0}));
}

// ---------------------------------------------------------------------------
// velmora-spectra's solver: the record linear between samples (or held), the
// coefficients from the exponential of the augmented system

TEST(SolverLinear, RampAndStepMatchClosedForms) {
    // At 0.005 s a ramp from rest and a step from t = 0: joined by straight
    // lines, their samples are the excitation itself.
    const double dt = 0.005, slope = 0.75, a0 = 2.5;
    const std::size_t n = 2001;
    std::vector<double> ramp(n), step(n, a0);
    for (std::size_t k = 0; k < n; ++k) ramp[k] = slope * (static_cast<double>(k) * dt);
    const SpectrumGrid grid{{0.05, 0.3, 1.0, 4.0}, dt, SPECTRA_TWO_PI};
    struct Load {
        const std::vector<double>* a;
        double a0, slope;
        Excitation excitation;
    };
    for (const Load& load :
         {Load{&ramp, 0.0, slope, Excitation::Linear}, Load{&step, a0, 0.0, Excitation::Linear},
          Load{&step, a0, 0.0, Excitation::Constant}}) {
        for (double zeta : {0.0, 0.05, 0.2, 1.0}) {
            const SpectrumResult r =
                solveHoldSpectrum(load.a->data(), n, zeta, grid, load.excitation);
            for (std::size_t j = 0; j < grid.periods.size(); ++j) {
                SCOPED_TRACE(::testing::Message() << "T=" << grid.periods[j] << " zeta=" << zeta
                                                  << " slope=" << load.slope);
                const double omega = SPECTRA_TWO_PI / grid.periods[j];
                LongPeaks want;
                // States at 0, dt, ..., (n-1) dt linear, up to n dt held.
                const std::size_t steps = load.excitation == Excitation::Linear ? n - 1 : n;
                for (std::size_t k = 0; k <= steps; ++k) {
                    Long u = 0, v = 0;
                    exactResponse(0, 0, load.a0, load.slope,
                                  static_cast<Long>(SPECTRA_TWO_PI) / grid.periods[j], zeta,
                                  static_cast<Long>(k) * dt, u, v);
                    want.add(u, v);
                }
                EXPECT_LT(relDiff(r.sd[j], static_cast<double>(want.sd)), 1e-12);
                EXPECT_LT(relDiff(r.sv[j], static_cast<double>(want.sv)), 1e-12);
                // The published spectra's convention: omega, not omega_d.
                EXPECT_EQ(r.psv[j], omega * r.sd[j]);
                EXPECT_EQ(r.sa[j], omega * omega * r.sd[j]);
            }
        }
    }
}

TEST(SolverLinear, ValidatedRangeAgreesWithLongDoubleSolution) {
    const std::vector<double> a = noise(100000, 9);  // the error grows with the length
    struct Case {
        double period, dt;
    };
    const Case cases[] = {{MIN_PERIOD, MIN_PERIOD / MIN_STEPS_PER_PERIOD},  // both lower edges
                          {MAX_PERIOD, MAX_PERIOD / MAX_STEPS_PER_PERIOD},  // both upper edges
                          {1.23e-4, 0.01},                                  // near the lower edge
                          {0.01, 0.01},  // undamped, back at rest at every sample
                          {1.0, 0.005}};
    for (const Case& c : cases) {
        EXPECT_EQ(periodOutsideValidatedRange(c.period, c.dt), "");
        // Errors are measured against the size the response can reach: an
        // undamped oscillator whose period divides the step has peaks near 0
        // with no relative accuracy to offer.
        const double w = SPECTRA_TWO_PI / c.period, tEnd = static_cast<double>(a.size()) * c.dt;
        const double sizeU = 5.0 / (w * w) * std::min(1.0, (w * tEnd) * (w * tEnd));
        const double sizeV = 5.0 / w * std::min(1.0, w * tEnd);
        const SpectrumGrid grid{{c.period}, c.dt, SPECTRA_TWO_PI};
        for (double zeta : {0.0, 0.05, 1.0}) {
            for (Excitation excitation : {Excitation::Linear, Excitation::Constant}) {
                SCOPED_TRACE(::testing::Message()
                             << "T=" << c.period << " dt=" << c.dt << " zeta=" << zeta
                             << " linear=" << (excitation == Excitation::Linear));
                const SpectrumResult r =
                    solveHoldSpectrum(a.data(), a.size(), zeta, grid, excitation);
                const LongPeaks want = longPeaks(longStep(c.period, zeta, c.dt), a, excitation);
                const double sd = static_cast<double>(want.sd), sv = static_cast<double>(want.sv);
                EXPECT_LE(std::fabs(r.sd[0] - sd), 1e-8 * std::max(sd, sizeU));
                EXPECT_LE(std::fabs(r.sv[0] - sv), 1e-8 * std::max(sv, sizeV));
                if (zeta > 0) {
                    EXPECT_GT(sd, 1e-3 * sizeU);  // a response, not a vanishing one
                }
            }
        }
    }
}

TEST(SolverLinear, PeriodsOutsideTheValidatedRangeAreNamed) {
    // Beyond the edges. The two periods that gave finite wrong numbers,
    // 1e20 and 1.37e-8 s, are refused with their messages in SpectraOptions.
    EXPECT_NE(periodOutsideValidatedRange(MIN_PERIOD * 0.999).find("period 9.99e-05 s"),
              std::string::npos);
    EXPECT_EQ(periodOutsideValidatedRange(0.5, 0.5 / MIN_STEPS_PER_PERIOD * 1.001),
              "period 0.5 s is 0.00999001 time steps of 50.05 s; the solver is validated for "
              "periods of 0.01 to 1e+08 time steps (0.5005 to 5.005e+09 s at this step)");
    EXPECT_NE(periodOutsideValidatedRange(0.5, 0.5 / MAX_STEPS_PER_PERIOD / 1.001), "");

    // Where the classic discretisation's inverse cancels, the augmented
    // exponential still gives the free mass's step: u = -a dt^2/2, v = -a dt.
    const HoldOscillator o = holdOscillator(1e20, 0.05, 0.02, SPECTRA_TWO_PI);
    EXPECT_NEAR(o.hold.x1, -0.0002, 1e-18);
    EXPECT_NEAR(o.hold.x2, -0.02, 1e-16);
    EXPECT_NEAR(o.b1.x1, -0.02 * 0.02 / 6, 1e-18);
    EXPECT_GT(std::fabs(discreteOscillator(1e20, 0.05, 0.02, SPECTRA_TWO_PI).bd.x1 + 0.0002), 1e-6);
}

// ---------------------------------------------------------------------------
// The vectorised time stepping reproduces the scalar recurrence bit for bit

TEST(SolverBitwise, EveryKernelMatchesScalarRecurrence) {
    const std::vector<double> el = elCentro();
    const std::vector<double> rnd = noise(1500, 3);
    SpectrumGrid odd{{}, 0.01, SPECTRA_TWO_PI};  // a size no vector width divides
    for (int i = 0; i < 13; ++i) odd.periods.push_back(0.07 + 0.61 * i);
    SpectrumGrid one{{0.1}};
    SpectrumGrid spectra = classicGrid();  // velmora-spectra's default
    spectra.twoPi = SPECTRA_TWO_PI;
    // Periods enough for several cache tiles and a part-filled last one:
    // each oscillator still takes its steps as the scalar loop does.
    SpectrumGrid many = spectra;
    many.periods.clear();
    for (int i = 0; i < 1001; ++i) many.periods.push_back(0.05 + 0.01 * i);
    const SpectrumGrid classic = classicGrid();

    int kernelsRun = 0;
    for (SolverKernel kernel :
         {SolverKernel::Generic, SolverKernel::Avx2, SolverKernel::Avx512, SolverKernel::Auto}) {
        if (!solverKernelAvailable(kernel)) continue;
        ++kernelsRun;
        SCOPED_TRACE(::testing::Message() << "kernel " << static_cast<int>(kernel));
        for (const SpectrumGrid* grid : {&odd, &one}) {
            for (double zeta : {0.0, 0.05, 1.0}) {
                SCOPED_TRACE(::testing::Message() << "zeta " << zeta);
                expectSameBits(solveSpectrum(rnd.data(), 1500, zeta, *grid, kernel),
                               solveSpectrumReference(rnd.data(), 1500, zeta, *grid));
            }
        }
        for (Excitation excitation : {Excitation::Linear, Excitation::Constant}) {
            for (const SpectrumGrid* grid : {&odd, &one, &spectra, &many}) {
                for (double zeta : {0.0, 0.05, 0.3, 1.0}) {
                    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{2},
                                          std::size_t{6}, std::size_t{9}, std::size_t{1500}}) {
                        SCOPED_TRACE(::testing::Message()
                                     << "linear " << (excitation == Excitation::Linear)
                                     << " periods " << grid->periods.size() << " zeta " << zeta
                                     << " n " << n);
                        expectSameBits(
                            solveHoldSpectrum(rnd.data(), n, zeta, *grid, excitation, kernel),
                            solveHoldSpectrumReference(rnd.data(), n, zeta, *grid, excitation));
                    }
                }
            }
        }
        for (double zeta : {0.0, 0.02, 0.05, 0.1, 0.2, 0.3, 0.5, 0.7, 1.0}) {
            for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{7}, MAX_STEPS}) {
                SCOPED_TRACE(::testing::Message() << "zeta " << zeta << " n " << n);
                expectSameBits(solveSpectrum(el.data(), n, zeta, classic, kernel),
                               solveSpectrumReference(el.data(), n, zeta, classic));
            }
        }
    }
    EXPECT_GE(kernelsRun, 2);
}

TEST(SolverBitwise, SubnormalsAreFlushedWithoutChangingAnyOtherResult) {
    // After the motion, 20 s of silence hold every period's free-vibration
    // peak; 1200 s more take the short periods' oscillators down through
    // the subnormal numbers, which the solver flushes to zero. The peaks
    // are the same to the bit.
    SpectrumGrid grid = classicGrid();
    grid.twoPi = SPECTRA_TWO_PI;
    std::vector<double> motion = noise(600, 7);
    motion.resize(1600, 0.0);
    std::vector<double> silence = motion;
    silence.resize(motion.size() + 60000, 0.0);
    // The same motion a million million times weaker than the smallest
    // normal number: its responses are subnormal from the start.
    std::vector<double> faint = motion;
    for (double& x : faint) x *= 1e-308;
    for (Excitation excitation : {Excitation::Linear, Excitation::Constant}) {
        SCOPED_TRACE(excitation == Excitation::Linear ? "linear" : "constant");
        const SpectrumResult shortTail =
            solveHoldSpectrum(motion.data(), motion.size(), 0.05, grid, excitation);
        const SpectrumResult longTail =
            solveHoldSpectrum(silence.data(), silence.size(), 0.05, grid, excitation);
        EXPECT_TRUE(sameBits(longTail.sd, shortTail.sd));
        EXPECT_TRUE(sameBits(longTail.sv, shortTail.sv));

        const SpectrumResult flushed =
            solveHoldSpectrum(faint.data(), faint.size(), 0.05, grid, excitation);
        const SpectrumResult kept =
            solveHoldSpectrumReference(faint.data(), faint.size(), 0.05, grid, excitation);
        std::size_t differ = 0;
        for (std::size_t j = 0; j < grid.periods.size(); ++j) {
            EXPECT_LE(std::fabs(flushed.sd[j] - kept.sd[j]), 1e-300) << j;
            EXPECT_LE(std::fabs(flushed.sv[j] - kept.sv[j]), 1e-300) << j;
            differ += flushed.sd[j] != kept.sd[j];
        }
#if defined(__x86_64__)
        EXPECT_GT(differ, 0u) << "no subnormal was flushed";
#endif
    }
    // The rest of the thread still computes with subnormal numbers.
    volatile double tiny = 1e-310;
    EXPECT_GT(tiny * 0.5, 0.0);
}
