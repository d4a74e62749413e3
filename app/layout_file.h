// The layout file "velmora_gui.mat": the colour map and the please-wait
// window's matrices, read by name.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/value.h"

namespace velmora {

std::string layoutFilePath();

// The named arrays that the layout file holds, as name -> value. When the
// file is missing or unreadable, or lacks one of mat0 to mat3, the built-in
// values stand in for those four and one warning line goes to the console.
std::map<std::string, Value> readLayout(const std::vector<std::string>& names);

// The built-in stand-ins for mat0 (colour map), mat1 (axes colour order),
// mat2 (bar vertex normals) and mat3 (bar vertices, zero width).
Value builtinLayoutValue(const std::string& name);

}  // namespace velmora
