// The numbers of a figure's curves as CSV text: one column of x values per
// run of curves that share them, then one column per curve. Headers name
// the quantity and unit from the axis labels and the curve's legend row;
// every number is written in the shortest form that reads back to the same
// double.
#pragma once

#include <string>

#include "host/graphics_model.h"

namespace velmora {

// Throws Error when `figure` is not a figure or holds no curves.
std::string figureCsv(const GraphicsModel& model, Handle figure);

// The shortest text that reads back to `x` exactly; "NaN", "Inf", "-Inf".
std::string shortestNumber(double x);

}  // namespace velmora
