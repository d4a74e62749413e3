// The files a run writes, checked before any work against the files it
// reads and against each other.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/readers.h"

namespace velmora::spectra {

// Where --out puts the result of `source`.
std::string outputPathFor(const Options& options, const RecordSource& source);

// Where the measures go when spectra are written to `output` as CSV:
// "out.csv" -> "out_measures.csv" in the same folder.
std::string measuresPathBeside(const std::string& output);

// True when the measures go to a file of their own beside -o FILE.
bool measuresBeside(const Options& options);

// Empty when no output of the run is one of its inputs or another of its
// outputs; else a message naming both. Files are the same when they are one
// file on disk (symbolic and hard links included), or, for files that do not
// exist yet, when their paths lead to the same place.
std::string findOutputClash(const Options& options, const std::vector<RecordSource>& sources);

}  // namespace velmora::spectra
