// Two-component spectra: the inputs as pairs of horizontal components and
// the RotDnn spectra of each pair.
#pragma once

#include <ostream>
#include <vector>

#include "cli/compute.h"
#include "cli/readers.h"

namespace velmora::spectra {

// The sources as pairs (in order, or by name with --pairs auto): one source
// per pair, holding its two components, named after them. Inputs that are
// no record, or cannot be paired, stay sources with a problem. With
// `report`, each pair formed by name is listed on `err`.
std::vector<RecordSource> pairSources(const std::vector<RecordSource>& sources, bool byName,
                                      bool report, std::ostream& err);

// The RotD spectra of a pair (and, when asked for, its components'
// measures). Throws RecordError when a component cannot be read, or their
// time steps differ.
RecordSpectra computePair(const RecordSource& pair, const RunSettings& settings);

// What a figure draws of RotD spectra: per pair, damping ratio and
// percentile one spectrum named "<pair> RotD50" with SD, PSV = omega SD and
// SA; SV, which rotation does not give, is NaN (no curve).
std::vector<RecordSpectra> rotdCurves(const std::vector<const RecordSpectra*>& pairs,
                                      const RunSettings& settings);

}  // namespace velmora::spectra
