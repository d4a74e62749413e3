// The command line of velmora-spectra.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/units.h"
#include "engine/solver_hold.h"

namespace velmora::spectra {

enum class OutputFormat { Csv, Json };

struct Options {
    std::vector<std::string> inputs;   // files and folders, in the order given
    std::vector<std::size_t> records;  // catalogue numbers, in the order given
    std::vector<double> damping{0.05};
    double scale = 1.0;
    std::vector<double> periods;         // empty: the program's periods
    std::optional<double> dt;            // overrides the files' time step
    std::string variable;                // MAT-file variable; empty: named after the file
    std::optional<AccelUnit> inputUnit;  // empty: each format's own unit
    AccelUnit outputUnit = AccelUnit::MetrePerS2;
    bool classic = false;
    Excitation excitation = Excitation::Linear;  // --classic: constant
    OutputFormat format = OutputFormat::Csv;
    std::string outputFile;  // one file for all records; empty: standard output
    std::string outDir;      // one file per record
    std::string plotFile;
    unsigned jobs = 0;  // 0: one per core
    bool quiet = false;
};

// Exit statuses.
inline constexpr int EXIT_RECORD_FAILED = 1;
inline constexpr int EXIT_BAD_OPTIONS = 2;

struct ParsedCommandLine {
    std::optional<Options> options;  // empty: stop with exitStatus
    int exitStatus = 0;
};

// Reads the command line. --help and --version print to `out` and stop with
// status 0; a bad option is explained on `err` and stops with status 2.
ParsedCommandLine parseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err);

}  // namespace velmora::spectra
