// The result files: CSV (one row per period) and JSON.
#pragma once

#include <string>
#include <vector>

#include "cli/compute.h"

namespace velmora::spectra {

// A line "# <how the results were computed>", then a header of period_s
// and per record, damping ratio and ordinate one column headed
// "<name> z=<ratio> SD[m]" (SV, PSV, SA likewise); numbers as %.17g.
std::string csvText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records);

// {"settings": {...}, "records": [{"name", ..., "damping": [{"zeta",
// "period", "sd", "sv", "psv", "sa"}]}]}; numbers read back exactly.
std::string jsonText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records);

std::string resultText(OutputFormat format, const RunSettings& settings,
                       const std::vector<const RecordSpectra*>& records);

// ".csv" or ".json".
const char* extensionOf(OutputFormat format);

}  // namespace velmora::spectra
