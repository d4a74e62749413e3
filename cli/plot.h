// The figure of a run's spectra, drawn by the program's plot renderer.
#pragma once

#include <string>
#include <vector>

#include "cli/compute.h"

namespace velmora::spectra {

// Four log-log panels (SD, SV, PSV, SA against period) with one curve per
// record and damping ratio, saved as .png, .svg or .pdf by the extension of
// `path`, whole or not at all. Starts the window system off screen for the
// drawing. Throws std::exception with the reason.
void plotSpectra(const RunSettings& settings, const std::vector<const RecordSpectra*>& records,
                 const std::string& path);

}  // namespace velmora::spectra
