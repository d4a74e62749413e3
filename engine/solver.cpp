#include "engine/solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__GNUC__) && defined(__x86_64__)
#define VELMORA_SOLVER_X86 1
#else
#define VELMORA_SOLVER_X86 0
#endif

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

namespace {

// The oscillators are stored in blocks of L periods (one vector register
// each); within a block every field is L consecutive doubles.
enum Field : std::size_t { AD11, AD12, AD21, AD22, BD1, BD2, U, V, PEAK_U, PEAK_V, FIELD_COUNT };

// Widest block of any kernel; the buffer is laid out for the kernel in use.
constexpr std::size_t MAX_LANES = 8;

// Vector types of L doubles and of their bit patterns.
template <std::size_t L>
struct Lanes {
    typedef double Vec __attribute__((vector_size(L * sizeof(double))));
    typedef std::int64_t Bits __attribute__((vector_size(L * sizeof(double))));
};

// One block of L oscillators while it is being stepped: coefficients and
// state as vector values. Members and always-inlined member functions (not
// lambdas or by-value parameters) keep the vectors inside the calling
// kernel, whose instruction set they then use.
template <std::size_t L>
struct Block {
    using Vec = typename Lanes<L>::Vec;
    using Bits = typename Lanes<L>::Bits;
    Vec c11, c12, c21, c22, b1, b2, u, v, pu, pv;

    [[gnu::always_inline]] static void get(const double* p, Field f, Vec& x) {
        std::memcpy(&x, p + f * L, sizeof x);
    }
    [[gnu::always_inline]] static void put(double* p, Field f, const Vec& x) {
        std::memcpy(p + f * L, &x, sizeof x);
    }

    [[gnu::always_inline]] void load(const double* p) {
        get(p, AD11, c11);
        get(p, AD12, c12);
        get(p, AD21, c21);
        get(p, AD22, c22);
        get(p, BD1, b1);
        get(p, BD2, b2);
        get(p, U, u);
        get(p, V, v);
        get(p, PEAK_U, pu);
        get(p, PEAK_V, pv);
    }

    [[gnu::always_inline]] void storeState(double* p) const {
        put(p, U, u);
        put(p, V, v);
        put(p, PEAK_U, pu);
        put(p, PEAK_V, pv);
    }

    // Each lane performs exactly the operations of the one-period
    // recurrence x = ad x + bd a(k), in the same order, so the kernels
    // reproduce a scalar loop bit for bit. The empty asm statement makes
    // each product an opaque value, so a target with fused multiply-add
    // (AVX-512) cannot contract product and sum into one differently
    // rounded operation (clang, whose constraints reject such wide vectors,
    // is told not to contract instead).
    [[gnu::always_inline]] void advance(double f) {
#ifdef __clang__
#pragma clang fp contract(off)
#endif
        const Bits absMask = Bits{} + INT64_C(0x7fffffffffffffff);
        Vec m11 = c11 * u, m12 = c12 * v, m1 = b1 * f;
        Vec m21 = c21 * u, m22 = c22 * v, m2 = b2 * f;
#if VELMORA_SOLVER_X86 && !defined(__clang__)
        __asm__("" : "+v"(m11), "+v"(m12), "+v"(m1), "+v"(m21), "+v"(m22), "+v"(m2));
#endif
        u = (m11 + m12) + m1;
        v = (m21 + m22) + m2;
        const Vec au = (Vec)((Bits)u & absMask);
        const Vec av = (Vec)((Bits)v & absMask);
        pu = au > pu ? au : pu;
        pv = av > pv ? av : pv;
    }
};

// Time step outside, periods inside. S time steps are taken per pass over
// the blocks, with coefficients and state held in registers meanwhile: for
// S = 2 that halves the memory traffic, which otherwise bounds the loop
// rather than the arithmetic.
template <std::size_t L, std::size_t S>
[[gnu::always_inline]] inline void stepBlocks(double* buf, std::size_t blocks, const double* a,
                                              std::size_t n) {
    const std::size_t stride = FIELD_COUNT * L;
    for (std::size_t k = 0; k < n; k += S) {
        const std::size_t m = n - k < S ? n - k : S;
        double ak[S];
        for (std::size_t i = 0; i < S; ++i) ak[i] = i < m ? a[k + i] : 0.0;

        double* p = buf;
        for (std::size_t blk = 0; blk < blocks; ++blk, p += stride) {
            Block<L> b;
            b.load(p);
            if (m == S) {
#pragma GCC unroll 8
                for (std::size_t i = 0; i < S; ++i) b.advance(ak[i]);
            } else {
                for (std::size_t i = 0; i < m; ++i) b.advance(ak[i]);
            }
            b.storeState(p);
        }
    }
}

// Steps per pass measured best on each instruction set.
void stepGeneric(double* buf, std::size_t blocks, const double* a, std::size_t n) {
    stepBlocks<2, 4>(buf, blocks, a, n);
}

#if VELMORA_SOLVER_X86
// AVX2 without FMA: -mavx2 does not enable fused multiply-add.
__attribute__((target("avx2"))) void stepAvx2(double* buf, std::size_t blocks, const double* a,
                                              std::size_t n) {
    stepBlocks<4, 2>(buf, blocks, a, n);
}

__attribute__((target("avx512f"))) void stepAvx512(double* buf, std::size_t blocks, const double* a,
                                                   std::size_t n) {
    stepBlocks<8, 2>(buf, blocks, a, n);
}
#endif

SolverKernel bestKernel() {
    static const SolverKernel best = [] {
#if VELMORA_SOLVER_X86
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f")) return SolverKernel::Avx512;
        if (__builtin_cpu_supports("avx2")) return SolverKernel::Avx2;
#endif
        return SolverKernel::Generic;
    }();
    return best;
}

std::size_t lanes(SolverKernel kernel) {
    switch (kernel) {
        case SolverKernel::Avx512:
            return 8;
        case SolverKernel::Avx2:
            return 4;
        default:
            return 2;
    }
}

}  // namespace

bool solverKernelAvailable(SolverKernel kernel) {
    switch (kernel) {
        case SolverKernel::Auto:
        case SolverKernel::Generic:
            return true;
        case SolverKernel::Avx2:
            return bestKernel() == SolverKernel::Avx2 || bestKernel() == SolverKernel::Avx512;
        case SolverKernel::Avx512:
            return bestKernel() == SolverKernel::Avx512;
    }
    return false;
}

SpectrumResult solveSpectrum(const double* a, std::size_t n, double zeta, const SpectrumGrid& grid,
                             SolverKernel kernel) {
    if (kernel == SolverKernel::Auto || !solverKernelAvailable(kernel)) kernel = bestKernel();
    const std::size_t count = grid.periods.size();
    const std::size_t l = lanes(kernel);
    const std::size_t blocks = (count + l - 1) / l;

    std::vector<DiscreteOscillator> osc(count);
    for (std::size_t j = 0; j < count; ++j)
        osc[j] = discreteOscillator(grid.periods[j], zeta, grid.dt, grid.twoPi);

    // Zero-initialised: states and peaks start at 0, padding lanes stay 0.
    const std::size_t size = blocks * FIELD_COUNT * l;
    std::vector<double> storage(size + MAX_LANES, 0.0);
    void* raw = storage.data();
    std::size_t space = storage.size() * sizeof(double);
    double* buf = static_cast<double*>(
        std::align(MAX_LANES * sizeof(double), size * sizeof(double), raw, space));
    auto at = [&](std::size_t j, Field f) -> double& {
        return buf[(j / l) * FIELD_COUNT * l + f * l + j % l];
    };
    for (std::size_t j = 0; j < count; ++j) {
        at(j, AD11) = osc[j].ad.a11;
        at(j, AD12) = osc[j].ad.a12;
        at(j, AD21) = osc[j].ad.a21;
        at(j, AD22) = osc[j].ad.a22;
        at(j, BD1) = osc[j].bd.x1;
        at(j, BD2) = osc[j].bd.x2;
    }

    switch (kernel) {
#if VELMORA_SOLVER_X86
        case SolverKernel::Avx512:
            stepAvx512(buf, blocks, a, n);
            break;
        case SolverKernel::Avx2:
            stepAvx2(buf, blocks, a, n);
            break;
#endif
        default:
            stepGeneric(buf, blocks, a, n);
            break;
    }

    SpectrumResult r;
    r.period = grid.periods;
    r.sd.resize(count);
    r.sv.resize(count);
    r.psv.resize(count);
    r.sa.resize(count);
    for (std::size_t j = 0; j < count; ++j) {
        r.sd[j] = at(j, PEAK_U);
        r.sv[j] = at(j, PEAK_V);
        r.psv[j] = r.sd[j] * osc[j].omegaD;
        r.sa[j] = osc[j].omega * osc[j].omega * r.sd[j];
    }
    r.time.resize(n);
    for (std::size_t k = 0; k < n; ++k) r.time[k] = static_cast<double>(k) * grid.dt;
    r.samples.assign(a, a + n);
    return r;
}

SpectrumResult compute_ordinates(const double* a, std::size_t n, double zeta) {
    static const SpectrumGrid grid = classicGrid();
    return solveSpectrum(a, n, zeta, grid);
}

}  // namespace velmora
