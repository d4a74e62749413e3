// The result files: CSV (one row per period) and JSON.
#pragma once

#include <string>
#include <vector>

#include "cli/compute.h"

namespace velmora::spectra {

// A line "# <how the results were computed>" (not with --classic, whose
// text stays as the program's users know it), then a header of period_s and
// per record, damping ratio and ordinate one column headed
// "<name> z=<ratio> SD[m]" (SV, PSV, SA likewise); numbers in the shortest
// form that reads back exactly.
std::string csvText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records);

// {"settings": {...}, "records": [{"name", ..., "damping": [{"zeta",
// "period", "sd", "sv", "psv", "sa"}]}]}; numbers in the shortest form that
// reads back exactly.
std::string jsonText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records);

// period_s, then per pair, damping ratio and percentile the columns
// "<name> z=<ratio> RotD50 SD[m]" and "... RotD50 SA[m/s2]".
std::string rotdCsvText(const RunSettings& settings,
                        const std::vector<const RecordSpectra*>& records);

// One row per record file: record,source,PGA,PGV,PGD,AI,D5-75,D5-95,CAV and
// SI per damping ratio, after a line saying how they are computed.
std::string measuresCsvText(const RunSettings& settings,
                            const std::vector<const RecordSpectra*>& records);

// The spectra (CSV: the RotD table for pairs, the measures alone when no
// spectra are asked for) or the JSON document with everything.
std::string resultText(OutputFormat format, const RunSettings& settings,
                       const std::vector<const RecordSpectra*>& records);

// ".csv" or ".json".
const char* extensionOf(OutputFormat format);

}  // namespace velmora::spectra
