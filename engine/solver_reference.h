// The spectra computed the plain way, one period at a time with scalar
// arithmetic written exactly as the recurrences read. The fast solvers must
// agree with them bit for bit; the tests and the benchmark use them.
#pragma once

#include <cstddef>

#include "engine/solver.h"
#include "engine/solver_hold.h"

namespace velmora {

SpectrumResult solveSpectrumReference(const double* a, std::size_t n, double zeta,
                                      const SpectrumGrid& grid);

SpectrumResult solveHoldSpectrumReference(const double* a, std::size_t n, double zeta,
                                          const SpectrumGrid& grid, Excitation excitation);

}  // namespace velmora
