#include "engine/solver_reference.h"

#include <cmath>

#include "host/mat2.h"

namespace velmora {

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

        Vec2 x{0.0, 0.0};
        double sd = 0.0, sv = 0.0;  // the initial state counts
        for (std::size_t k = 0; k < n; ++k) {
            x = ad * x + bd * a[k];
            const double au = std::fabs(x.x1);
            const double av = std::fabs(x.x2);
            sd = au > sd ? au : sd;
            sv = av > sv ? av : sv;
        }
        r.period.push_back(period);
        r.sd.push_back(sd);
        r.sv.push_back(sv);
        r.psv.push_back(sd * omegaD);
        r.sa.push_back(omega * omega * sd);
    }
    for (std::size_t k = 0; k < n; ++k) {
        r.time.push_back(static_cast<double>(k) * grid.dt);
        r.samples.push_back(a[k]);
    }
    return r;
}

}  // namespace velmora
