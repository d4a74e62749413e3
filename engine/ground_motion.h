// One catalogue record's ground acceleration, scaled, ready for the solver.
#pragma once

#include <cstddef>
#include <vector>

#include "host/value.h"

namespace velmora {

// Record r (1-based) of the catalogue cell array, every sample times s.
// With extend (Option 2) a record shorter than MAX_STEPS samples is extended
// with zeros to exactly MAX_STEPS; a longer one keeps all its samples.
// Throws Error naming the file and the reason when it cannot be loaded.
std::vector<double> load_ground_motion(const Value& catalogue, std::size_t r, double s,
                                       bool extend);

}  // namespace velmora
