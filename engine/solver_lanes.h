// What the vectorised time-stepping kernels share: oscillators stored in
// blocks of one vector register per field, peak tracking, the loop over
// time steps and blocks, and the run-time choice of instruction set. Each
// kernel supplies a block type; only the engine's solver files use this.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/solver.h"

#if defined(__GNUC__) && defined(__x86_64__)
#define VELMORA_SOLVER_X86 1
#else
#define VELMORA_SOLVER_X86 0
#endif

namespace velmora::lanes {

// Widest block of any kernel; buffers are aligned for it.
inline constexpr std::size_t MAX_LANES = 8;

// Vector values of L doubles and their bit patterns, with the operations
// every kernel needs. Static always-inlined functions taking references
// (not lambdas or by-value parameters) keep the vectors inside the calling
// kernel, whose instruction set they then use.
template <std::size_t L>
struct VectorTypes {
    typedef double Vec __attribute__((vector_size(L * sizeof(double))));
    typedef std::int64_t Bits __attribute__((vector_size(L * sizeof(double))));
};

template <std::size_t L>
struct Lanes {
    using Vec = typename VectorTypes<L>::Vec;
    using Bits = typename VectorTypes<L>::Bits;

    [[gnu::always_inline]] static void get(const double* block, std::size_t field, Vec& x) {
        std::memcpy(&x, block + field * L, sizeof x);
    }
    [[gnu::always_inline]] static void put(double* block, std::size_t field, const Vec& x) {
        std::memcpy(block + field * L, &x, sizeof x);
    }

    // The empty asm statement makes a product an opaque value, so a target
    // with fused multiply-add (AVX-512) cannot contract product and sum into
    // one differently rounded operation: each lane then performs exactly the
    // scalar recurrence's operations. Clang, whose constraints reject such
    // wide vectors, is told not to contract by the kernels instead.
    [[gnu::always_inline]] static void opaque(Vec& x) {
#if VELMORA_SOLVER_X86 && !defined(__clang__)
        __asm__("" : "+v"(x));
#else
        (void)x;
#endif
    }

    // peak = max(peak, |x|), lane by lane, as the scalar loops write it.
    [[gnu::always_inline]] static void trackPeak(const Vec& x, Vec& peak) {
        const Bits absMask = Bits{} + INT64_C(0x7fffffffffffffff);
        const Vec ax = (Vec)((Bits)x & absMask);
        peak = ax > peak ? ax : peak;
    }
};

// A block of L oscillators while it is being stepped: the step's
// transition matrix (fields 0-3), K excitation coefficients (fields 4 ..
// 3+K), the state x = [u; v] and its peaks, as vector values. A kernel's
// block derives from it and supplies the excitation's term of one step.
template <class Kernel, std::size_t L, std::size_t K>
struct OscillatorBlock : Lanes<L> {
    using typename Lanes<L>::Vec;
    using Lanes<L>::get;
    using Lanes<L>::put;
    using Lanes<L>::opaque;
    using Lanes<L>::trackPeak;

    enum Field : std::size_t { AD11, AD12, AD21, AD22, U = 4 + K, V, PEAK_U, PEAK_V, FIELDS };
    static constexpr std::size_t LANES = L;
    // Steps per pass measured best on each instruction set.
    static constexpr std::size_t STEPS = L == 2 ? 4 : 2;

    Vec c11, c12, c21, c22, b[K], u, v, pu, pv;

    [[gnu::always_inline]] void load(const double* p) {
        get(p, AD11, c11);
        get(p, AD12, c12);
        get(p, AD21, c21);
        get(p, AD22, c22);
        loadExcitation(p, std::make_index_sequence<K>());
        get(p, U, u);
        get(p, V, v);
        get(p, PEAK_U, pu);
        get(p, PEAK_V, pv);
    }

    // One statement per coefficient, so that each stays a register value.
    template <std::size_t... I>
    [[gnu::always_inline]] void loadExcitation(const double* p, std::index_sequence<I...>) {
        (get(p, 4 + I, b[I]), ...);
    }

    [[gnu::always_inline]] void storeState(double* p) const {
        put(p, U, u);
        put(p, V, v);
        put(p, PEAK_U, pu);
        put(p, PEAK_V, pv);
    }

    // x = (ad11 u + ad12 v, ad21 u + ad22 v) + the excitation's term e:
    // each lane performs exactly the operations of the one-period scalar
    // loop, in its order, so the kernels reproduce it bit for bit.
    [[gnu::always_inline]] void advance(const double* ak) {
#ifdef __clang__
#pragma clang fp contract(off)
#endif
        Vec m11 = c11 * u, m12 = c12 * v, m21 = c21 * u, m22 = c22 * v;
        opaque(m11);
        opaque(m12);
        opaque(m21);
        opaque(m22);
        // Summed before the excitation's products are formed, so that fewer
        // values are live at once (AVX2 has 16 registers).
        const Vec s1 = m11 + m12, s2 = m21 + m22;
        Vec e1, e2;
        static_cast<const Kernel*>(this)->excitation(ak, e1, e2);
        u = s1 + e1;
        v = s2 + e2;
        trackPeak(u, pu);
        trackPeak(v, pv);
    }
};

// Time step outside, periods inside. STEPS time steps are taken per pass
// over the blocks, with coefficients and state held in registers meanwhile:
// that divides the memory traffic, which otherwise bounds the loop rather
// than the arithmetic. Block::advance(ak) takes the step driven by ak[0]
// (and ak[1] when the block looks AHEAD one sample).
template <class Block>
[[gnu::always_inline]] inline void stepTile(double* buf, std::size_t blocks, const double* a,
                                            std::size_t steps) {
    constexpr std::size_t S = Block::STEPS;
    constexpr std::size_t W = S + Block::AHEAD;
    const std::size_t stride = Block::FIELDS * Block::LANES;
    for (std::size_t k = 0; k < steps; k += S) {
        const std::size_t m = steps - k < S ? steps - k : S;
        double ak[W];
        for (std::size_t i = 0; i < W; ++i) ak[i] = i < m + Block::AHEAD ? a[k + i] : 0.0;

        double* p = buf;
        for (std::size_t blk = 0; blk < blocks; ++blk, p += stride) {
            Block b;
            b.load(p);
            if (m == S) {
#pragma GCC unroll 8
                for (std::size_t i = 0; i < S; ++i) b.advance(ak + i);
            } else {
                for (std::size_t i = 0; i < m; ++i) b.advance(ak + i);
            }
            b.storeState(p);
        }
    }
}

// The periods are stepped a tile at a time, every time step over one tile
// before the next, so that a tile's coefficients and states stay in the L1
// data cache whatever the number of periods (otherwise every time step
// streams all of them through L2 or L3). A tile fills half of a 32 KiB L1,
// leaving room for the samples. Each oscillator still takes its own steps
// in order, so the results are the same bit for bit.
inline constexpr std::size_t TILE_BYTES = 16 * 1024;

template <class Block>
[[gnu::always_inline]] inline void stepBlocks(double* buf, std::size_t blocks, const double* a,
                                              std::size_t steps) {
    const std::size_t stride = Block::FIELDS * Block::LANES;
    constexpr std::size_t blockBytes = Block::FIELDS * Block::LANES * sizeof(double);
    constexpr std::size_t tile = TILE_BYTES / blockBytes > 0 ? TILE_BYTES / blockBytes : 1;
    for (std::size_t first = 0; first < blocks; first += tile) {
        stepTile<Block>(buf + first * stride, blocks - first < tile ? blocks - first : tile, a,
                        steps);
    }
}

// One kernel per instruction set for a block template Block<L>.
template <template <std::size_t> class Block>
void stepGeneric(double* buf, std::size_t blocks, const double* a, std::size_t steps) {
    stepBlocks<Block<2>>(buf, blocks, a, steps);
}

#if VELMORA_SOLVER_X86
// AVX2 without FMA: -mavx2 does not enable fused multiply-add.
template <template <std::size_t> class Block>
__attribute__((target("avx2"))) void stepAvx2(double* buf, std::size_t blocks, const double* a,
                                              std::size_t steps) {
    stepBlocks<Block<4>>(buf, blocks, a, steps);
}

template <template <std::size_t> class Block>
__attribute__((target("avx512f"))) void stepAvx512(double* buf, std::size_t blocks, const double* a,
                                                   std::size_t steps) {
    stepBlocks<Block<8>>(buf, blocks, a, steps);
}
#endif

// The kernel a request stands for on this processor: Auto, or one the
// processor lacks, is the widest it has.
SolverKernel chosenKernel(SolverKernel requested);

// Doubles per vector register of a chosen kernel.
std::size_t lanesOf(SolverKernel kernel);

// Oscillators in blocks of `lanes`, `fields` doubles each: within a block
// every field is `lanes` consecutive doubles. Zero-initialised, so states
// and peaks start at 0 and padding lanes stay 0.
class BlockBuffer {
  public:
    BlockBuffer(std::size_t count, std::size_t fields, std::size_t lanes);

    double& at(std::size_t j, std::size_t field) {
        return data_[(j / lanes_) * fields_ * lanes_ + field * lanes_ + j % lanes_];
    }
    double* data() { return data_; }
    std::size_t blocks() const { return blocks_; }

  private:
    std::size_t fields_, lanes_, blocks_;
    std::vector<double> storage_;
    double* data_ = nullptr;
};

// While it lives, this thread's floating-point unit flushes subnormal
// results to zero and reads subnormal inputs as zero (FTZ and DAZ on x86):
// an oscillator decaying through a record's silent tail would otherwise
// take the slow path of the processor at every step. Only values below
// 2.3e-308 change (to 0), so results where none occurs are the same bit for
// bit, and results differ by less than 1e-300 where one does. The previous
// mode is put back at the end, so the rest of the thread is unaffected.
class SubnormalsFlushed {
  public:
    SubnormalsFlushed();
    ~SubnormalsFlushed();
    SubnormalsFlushed(const SubnormalsFlushed&) = delete;
    SubnormalsFlushed& operator=(const SubnormalsFlushed&) = delete;

  private:
    [[maybe_unused]] unsigned saved_ = 0;
};

// Steps every oscillator of the buffer with the kernel of `kernel` (a
// chosen one) over `steps` time steps of a, subnormals flushed.
template <template <std::size_t> class Block>
void runKernel(SolverKernel kernel, BlockBuffer& buf, const double* a, std::size_t steps) {
    const SubnormalsFlushed flushed;
    switch (kernel) {
#if VELMORA_SOLVER_X86
        case SolverKernel::Avx512:
            stepAvx512<Block>(buf.data(), buf.blocks(), a, steps);
            break;
        case SolverKernel::Avx2:
            stepAvx2<Block>(buf.data(), buf.blocks(), a, steps);
            break;
#endif
        default:
            stepGeneric<Block>(buf.data(), buf.blocks(), a, steps);
            break;
    }
}

// Peak |u| and |v| of every oscillator over the initial state and the
// stepped ones.
struct PeakRows {
    std::vector<double> sd, sv;
};

// Steps oscillators whose first N fields (the coefficients, in the order of
// Block's fields) are given, one row each, from rest over `steps` time steps
// of a with the kernel `kernel` stands for.
template <template <std::size_t> class Block, std::size_t N>
PeakRows stepOscillators(const std::vector<std::array<double, N>>& coefficients, const double* a,
                         std::size_t steps, SolverKernel kernel) {
    using Fields = Block<2>;  // the field numbers, the same for every width
    kernel = chosenKernel(kernel);
    BlockBuffer buf(coefficients.size(), Fields::FIELDS, lanesOf(kernel));
    for (std::size_t j = 0; j < coefficients.size(); ++j)
        for (std::size_t f = 0; f < N; ++f) buf.at(j, f) = coefficients[j][f];
    runKernel<Block>(kernel, buf, a, steps);
    PeakRows peaks;
    for (std::size_t j = 0; j < coefficients.size(); ++j) {
        peaks.sd.push_back(buf.at(j, Fields::PEAK_U));
        peaks.sv.push_back(buf.at(j, Fields::PEAK_V));
    }
    return peaks;
}

// The recurrence x(k+1) = ad x(k) + bd a(k), k = 0 .. n-1, one oscillator
// per element of ad and bd.
PeakRows stepConstantHold(const std::vector<Mat2>& ad, const std::vector<Vec2>& bd, const double* a,
                          std::size_t n, SolverKernel kernel);

// The recurrence x(k+1) = ad x(k) + b0 a(k) + b1 a(k+1), k = 0 .. n-2.
PeakRows stepLinearHold(const std::vector<Mat2>& ad, const std::vector<Vec2>& b0,
                        const std::vector<Vec2>& b1, const double* a, std::size_t n,
                        SolverKernel kernel);

}  // namespace velmora::lanes
