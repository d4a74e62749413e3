// The layout file "velmora_gui.mat": the colour map, the please-wait
// window's matrices and any start values it overrides, read by name.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/value.h"

namespace velmora {

std::string layoutFilePath();

// The named arrays that the layout file holds, as name -> value. Every value
// is checked for the class and shape the program needs (a record number is
// a whole number from 1 to 21, mat0 an N x 3 colour map in [0, 1], mat3 a
// 4 x 2 matrix, ...); a wrong one is left out. When the file is missing or
// unreadable, or lacks or holds a wrong one of mat0 to mat3, the built-in
// values stand in for those. Each problem gives one warning line on the
// console per session, naming the file (and the variable).
std::map<std::string, Value> readLayout(const std::vector<std::string>& names);

// The built-in stand-ins for mat0 (colour map), mat1 (axes colour order),
// mat2 (bar vertex normals) and mat3 (bar vertices, zero width).
Value builtinLayoutValue(const std::string& name);

// Empty when `value` suits the layout name `name` (one the welcome window
// or the please-wait window reads), else what is wrong with it.
std::string layoutValueProblem(const std::string& name, const Value& value);

}  // namespace velmora
