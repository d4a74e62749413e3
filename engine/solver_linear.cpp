// The time stepping of the recurrence for a record that varies linearly
// between samples, x(k+1) = ad x(k) + b0 a(k) + b1 a(k+1), all periods
// together on the widest instruction set the processor has.
#include <array>
#include <cstddef>
#include <vector>

#include "engine/solver_lanes.h"

namespace velmora::lanes {

namespace {

// The excitation's term b0 a(k) + b1 a(k+1): coefficients b0 (fields 4, 5)
// and b1 (6, 7).
template <std::size_t L>
struct LinearHoldBlock : OscillatorBlock<LinearHoldBlock<L>, L, 4> {
    using typename Lanes<L>::Vec;
    static constexpr std::size_t AHEAD = 1;

    [[gnu::always_inline]] void excitation(const double* ak, Vec& e1, Vec& e2) const {
        Vec n1 = this->b[0] * ak[0], o1 = this->b[2] * ak[1];
        this->opaque(n1);
        this->opaque(o1);
        e1 = n1 + o1;
        Vec n2 = this->b[1] * ak[0], o2 = this->b[3] * ak[1];
        this->opaque(n2);
        this->opaque(o2);
        e2 = n2 + o2;
    }
};

}  // namespace

PeakRows stepLinearHold(const std::vector<Mat2>& ad, const std::vector<Vec2>& b0,
                        const std::vector<Vec2>& b1, const double* a, std::size_t n,
                        SolverKernel kernel) {
    std::vector<std::array<double, 8>> c(ad.size());
    for (std::size_t j = 0; j < c.size(); ++j)
        c[j] = {ad[j].a11, ad[j].a12, ad[j].a21, ad[j].a22, b0[j].x1, b0[j].x2, b1[j].x1, b1[j].x2};
    return stepOscillators<LinearHoldBlock>(c, a, n < 2 ? 0 : n - 1, kernel);
}

}  // namespace velmora::lanes
