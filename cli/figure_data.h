// What a figure of a run's spectra needs (the units' names, the periods and
// each record's name and spectra), as bytes handed to the drawing program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/compute.h"

namespace velmora::spectra {

// The figure's content; numbers keep their bits.
std::string encodeFigure(const RunSettings& settings,
                         const std::vector<const RecordSpectra*>& records);

struct FigureContent {
    RunSettings settings;                // the units' names and the periods
    std::vector<RecordSpectra> records;  // names and spectra
};

// Reads what encodeFigure wrote; throws std::runtime_error when the bytes
// are not such a figure.
FigureContent decodeFigure(std::string_view bytes);

}  // namespace velmora::spectra
