// The readers of each record format, behind readRecord.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/readers.h"

namespace velmora::spectra {

// A PEER NGA .AT2 file: four header lines (the third naming the unit, the
// fourth the count and step), then the values several to a line.
RawRecord readAt2(std::string_view text, const ReadSettings& settings);

// Whether a text file whatever its name is laid out as an .AT2 file: its
// fourth line, not a comment, gives NPTS and DT.
bool looksLikeAt2(std::string_view text);

// A text or CSV file: title lines, then one column (acceleration, perhaps
// after an "N dt" line) or two (time, acceleration).
RawRecord readText(std::string_view text, const ReadSettings& settings);

// The variable of a MAT-file: a column or row of accelerations, or columns
// of time and acceleration.
RawRecord readMat(const std::string& path, const ReadSettings& settings);

// A record of the program's catalogue.
RawRecord readCatalogue(const RecordSource& source);

// The step of a time column (stepOfTimes). When the command line gives the
// step, a column that yields none is no error: the result is then 0.
double fileTimeStep(const std::vector<double>& times, const ReadSettings& settings);

// Refuses a path that is missing, a folder, a broken or looping symbolic
// link, or not a regular file (or, when `streamAllowed`, a FIFO), and one
// larger than `maxBytes`.
void requireRecordFile(const std::string& path, bool streamAllowed, std::size_t maxBytes);

// The whole content of a record file checked as above, reading at most
// `maxBytes` (a stream that goes on is refused), read into `buffer`,
// which is grown as needed and may be reused for the next file.
std::string_view readRecordFileText(const std::string& path, std::size_t maxBytes,
                                    std::string& buffer);

}  // namespace velmora::spectra
