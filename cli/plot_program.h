// Figures are drawn by a separate program, velmora-spectra-plot, so that
// velmora-spectra itself loads no window system and starts at once; only
// a run with --plot pays for the drawing libraries.
#pragma once

#include <string>
#include <vector>

#include "cli/compute.h"

namespace velmora::spectra {

// The drawing program's name.
inline constexpr const char* PLOT_PROGRAM = "velmora-spectra-plot";

// Where the drawing program of this executable is: beside it (a build
// tree), else in the install's libexec folder. Empty when neither holds it.
std::string plotProgramPath();

// Runs the drawing program on the records' spectra to write the figure
// `path` (whole or not at all). Throws std::runtime_error with the reason
// when the figure could not be drawn or written.
void plotWithProgram(const RunSettings& settings, const std::vector<const RecordSpectra*>& records,
                     const std::string& path);

}  // namespace velmora::spectra
