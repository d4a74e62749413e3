// Checks of a MAT-file's bytes made before matio opens it: matio trusts the
// sizes the file declares, so a cut-off or damaged file is refused here.
#pragma once

#include <matio.h>

#include <string>

namespace velmora {

// Whether a version 4 or 5 file is as long as the sizes recorded in it say
// (other versions: true).
bool matFileIsComplete(const std::string& path, mat_ft version);

// Whether the sizes the headers declare fit in the file's bytes.
bool matHeadersFitTheFile(const std::string& path);

}  // namespace velmora
