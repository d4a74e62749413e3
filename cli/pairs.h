// The two horizontal components of a record, taken from the inputs.
#pragma once

#include <string>
#include <vector>

#include "cli/readers.h"

namespace velmora::spectra {

struct RecordPair {
    std::string name;  // the components' common name, or "<h1>+<h2>"
    RecordSource h1, h2;
};

struct Pairing {
    std::vector<RecordPair> pairs;
    std::vector<std::string> problems;  // inputs that could not be paired, one line each
};

// The name without its trailing component code: three digits (an azimuth
// such as 000, 090, 360) or one to three letters with an optional digit
// (N, E, NS, EW, HN1), and any separator before it. Empty when the name has
// no such code or nothing is left.
std::string withoutComponentCode(const std::string& name);

// The inputs two at a time, in order (H1 then H2).
Pairing pairInOrder(const std::vector<RecordSource>& sources);

// Files in one folder whose names differ only in their component code; H1
// is the one whose name sorts first.
Pairing pairByName(const std::vector<RecordSource>& sources);

}  // namespace velmora::spectra
