// One catalogue record's ground acceleration, scaled, ready for the solver.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/value.h"

namespace velmora {

// Record r (1-based) of the catalogue cell array, every sample times s.
// With extend (Option 2) a record shorter than MAX_STEPS samples is extended
// with zeros to exactly MAX_STEPS; a longer one keeps all its samples.
// Throws Error naming the file and the reason when it cannot be loaded, or
// naming the file and s when a scaled sample is not finite. When standIn is
// given it tells whether the file is a synthetic stand-in.
std::vector<double> load_ground_motion(const Value& catalogue, std::size_t r, double s, bool extend,
                                       bool* standIn = nullptr);

// A number as messages quote it: as typed for up to 15 digits ("2.7",
// "1e+308"), "NaN", "Inf", "-Inf".
std::string messageNumber(double x);

}  // namespace velmora
