#include "engine/solver_lanes.h"

#include <memory>

#if VELMORA_SOLVER_X86
#include <xmmintrin.h>
#endif

namespace velmora {

namespace {

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

namespace lanes {

SolverKernel chosenKernel(SolverKernel requested) {
    return requested == SolverKernel::Auto || !solverKernelAvailable(requested) ? bestKernel()
                                                                                : requested;
}

std::size_t lanesOf(SolverKernel kernel) {
    switch (kernel) {
        case SolverKernel::Avx512:
            return 8;
        case SolverKernel::Avx2:
            return 4;
        default:
            return 2;
    }
}

#if VELMORA_SOLVER_X86
// MXCSR bits: flush to zero (15) and denormals are zero (6).
constexpr unsigned kFlushBits = 0x8040;

SubnormalsFlushed::SubnormalsFlushed() : saved_(_mm_getcsr()) {
    _mm_setcsr(saved_ | kFlushBits);
}

SubnormalsFlushed::~SubnormalsFlushed() {
    _mm_setcsr(saved_);
}
#else
SubnormalsFlushed::SubnormalsFlushed() = default;
SubnormalsFlushed::~SubnormalsFlushed() = default;
#endif

BlockBuffer::BlockBuffer(std::size_t count, std::size_t fields, std::size_t lanes)
    : fields_(fields), lanes_(lanes), blocks_((count + lanes - 1) / lanes) {
    const std::size_t size = blocks_ * fields_ * lanes_;
    storage_.assign(size + MAX_LANES, 0.0);
    void* raw = storage_.data();
    std::size_t space = storage_.size() * sizeof(double);
    data_ = static_cast<double*>(
        std::align(MAX_LANES * sizeof(double), size * sizeof(double), raw, space));
}

}  // namespace lanes

}  // namespace velmora
