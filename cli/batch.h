// The whole run: records computed in parallel, results written in input
// order, failures reported, a summary line at the end.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/compute.h"
#include "cli/options.h"

namespace velmora::spectra {

// Draws the records' spectra into an image file (the file type follows its
// extension), written whole or not at all; throws std::exception with the
// reason.
using PlotWriter =
    std::function<void(const RunSettings& settings,
                       const std::vector<const RecordSpectra*>& records, const std::string& path)>;

struct BatchSummary {
    std::size_t records = 0;
    std::size_t failed = 0;     // records that failed
    bool outputFailed = false;  // an output file (or standard output) could not be written
    double seconds = 0.0;
};

// Runs the command line's work. Results go to `out` unless the options name
// files; messages, the progress bar (when `errIsTerminal`) and the summary
// go to `err`. Returns the exit status: 0, 1 when a record or an output
// failed, or 2 before any work when an output would overwrite an input or
// another output.
int runBatch(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal,
             const PlotWriter& plot = {}, BatchSummary* summary = nullptr);

}  // namespace velmora::spectra
