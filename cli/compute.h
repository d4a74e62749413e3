// One record's response spectra as the command line asks for them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/readers.h"
#include "cli/units.h"

namespace velmora::spectra {

// What every record is computed with, settled once from the options.
struct RunSettings {
    bool classic = false;
    Excitation excitation = Excitation::Linear;
    std::vector<double> periods;  // s, ascending
    double twoPi = 0.0;
    std::vector<double> damping;
    double scale = 1.0;
    double dtOverride = 0.0;  // 0: each record's own step (classic: the program's)
    std::optional<AccelUnit> inputUnit;
    ResultUnits units;
    ReadSettings read;
};

RunSettings runSettings(const Options& options);

// How the results were computed, in one line for the outputs: the
// excitation between samples and the formulas of PSV and SA.
std::string methodText(const RunSettings& settings);

// The spectra of one damping ratio, in the output units.
struct DampedSpectrum {
    double zeta = 0.0;
    std::vector<double> sd, sv, psv, sa;
};

struct RecordSpectra {
    std::string name;
    std::string label;
    RecordFormat format = RecordFormat::Text;
    AccelUnit inputUnit = AccelUnit::MetrePerS2;
    double dt = 0.0;                      // s, the step the oscillator was stepped with
    std::size_t samples = 0;              // in the record
    std::size_t steps = 0;                // time steps taken
    std::vector<DampedSpectrum> spectra;  // one per damping ratio, in order
    std::vector<std::string> warnings;    // about the record file, one line each
};

// Reads the record and computes its spectra; throws RecordError (or
// std::bad_alloc) when it cannot.
RecordSpectra computeRecord(const RecordSource& source, const RunSettings& settings);

}  // namespace velmora::spectra
