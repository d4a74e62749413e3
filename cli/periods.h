// The --periods grammar.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace velmora::spectra {

// More periods than this is a mistake in the grammar, not a spectrum.
inline constexpr std::size_t MAX_PERIODS = 100000;

// The oscillator periods (s) a --periods text names, ascending, each once.
// The text is a comma-separated list of items, each of them
//   a period:              0.5
//   a range start:step:end  0.1:0.05:8.05  (start + k step, k = 0, 1, ...,
//                           up to end inclusive)
//   a log-spaced series     log:0.01:10:100  (100 periods from 0.01 to 10 s,
//                           evenly spaced in log10, both ends included)
// Throws std::invalid_argument explaining what is wrong.
std::vector<double> parsePeriods(std::string_view text);

}  // namespace velmora::spectra
