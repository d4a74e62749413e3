// The spectrum computed the plain way, one period at a time with scalar
// arithmetic written exactly as the recurrence reads. The fast solver must
// agree with it bit for bit; the tests and the benchmark use it.
#pragma once

#include <cstddef>

#include "engine/solver.h"

namespace velmora {

SpectrumResult solveSpectrumReference(const double* a, std::size_t n, double zeta,
                                      const SpectrumGrid& grid);

}  // namespace velmora
