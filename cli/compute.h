// One record's response spectra as the command line asks for them.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "cli/measures.h"
#include "cli/options.h"
#include "cli/readers.h"
#include "cli/units.h"
#include "engine/solver.h"

namespace velmora::spectra {

// What every record is computed with, settled once from the options.
struct RunSettings {
    bool classic = false;
    Excitation excitation = Excitation::Linear;
    std::vector<double> periods;  // s, ascending
    double twoPi = 0.0;
    std::vector<double> damping;
    double scale = 1.0;
    std::vector<double> rotd;  // percentiles; non-empty: every source is a pair
    bool measures = false;
    bool spectra = true;
    double dtOverride = 0.0;  // 0: each record's own step (classic: the program's)
    std::optional<AccelUnit> inputUnit;
    ResultUnits units;
    ReadSettings read;
};

RunSettings runSettings(const Options& options);

// How the results were computed, in one line for the outputs: the
// excitation between samples and the formulas of PSV and SA.
std::string methodText(const RunSettings& settings);

// RotDnn at every period, in the output units.
struct RotDOrdinates {
    double percentile = 0.0;
    std::vector<double> sd, sa;
};

// The spectra of one damping ratio, in the output units; for a pair of
// components only the RotD ordinates.
struct DampedSpectrum {
    double zeta = 0.0;
    std::vector<double> sd, sv, psv, sa;
    std::vector<RotDOrdinates> rotd;
};

// The intensity measures of one record file: PGA, PGV, PGD and SI (one per
// damping ratio) in the output units, the rest in m/s and s.
struct RecordMeasures {
    std::string name, label;
    GroundMeasures ground;
    std::vector<double> si;
};

struct RecordSpectra {
    std::string name;
    std::string label;
    RecordFormat format = RecordFormat::Text;
    AccelUnit inputUnit = AccelUnit::MetrePerS2;
    double dt = 0.0;                       // s, the step the oscillator was stepped with
    std::size_t samples = 0;               // in the record
    std::size_t steps = 0;                 // time steps taken
    std::vector<DampedSpectrum> spectra;   // one per damping ratio, in order
    std::vector<std::string> components;   // a pair: the labels of H1 and H2
    std::vector<RecordMeasures> measures;  // --measures: one per record file
    std::vector<std::string> warnings;     // about the record file, one line each
};

// A record read, in m/s^2 and scaled, with what is known of it (no spectra).
struct PreparedRecord {
    RecordSpectra info;
    std::vector<double> a;
};

// Reads the record; throws RecordError when it cannot.
PreparedRecord prepareRecord(const RecordSource& source, const RunSettings& settings);

// The grid the settings compute with at time step dt.
SpectrumGrid gridOf(const RunSettings& settings, double dt);

// Throws RecordError when an ordinate at this period is not finite.
void checkFinite(std::initializer_list<double> values, double period);

RecordMeasures measuresOf(const PreparedRecord& record, const RunSettings& settings);

// Reads the record (or both components of a pair) and computes what the
// settings ask for; throws RecordError (or std::bad_alloc) when it cannot.
RecordSpectra computeRecord(const RecordSource& source, const RunSettings& settings);

}  // namespace velmora::spectra
