// MAT-files (v4, v5 and v7.3) through libmatio.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/value.h"

namespace velmora {

// A data file as a structure of its named arrays. Throws Error naming the
// file (and the variable, where one is at fault) when the file is missing,
// is not a MAT-file or holds an array of an unsupported class. Supported:
// real double (and other real numeric classes, converted to double),
// logical, char and cell arrays of those.
std::map<std::string, Value> mlfLoadStruct(const std::string& path);

// Field access of a loaded structure; throws Error naming the file and the
// field when it is absent.
const Value& mlfGetfield(const std::map<std::string, Value>& file, const std::string& name,
                         const std::string& path);

// Only the named arrays that the file holds, as name -> value. Throws like
// mlfLoadStruct when the file itself cannot be read.
std::map<std::string, Value> mclLoadConditional(const std::string& path,
                                                const std::vector<std::string>& names);

enum class MatVersion { V4, V5, V73 };

// Writes the named arrays (double, char or cell values) to a MAT-file,
// replacing it. Writes to a temporary name first so a failed write never
// leaves a half-written file behind.
void saveMatFile(const std::string& path, const std::map<std::string, Value>& arrays,
                 MatVersion version = MatVersion::V5);

}  // namespace velmora
