// Record inputs: which records the command line names, and the reading of
// one record file (MAT-file, PEER NGA .AT2, text/CSV) or catalogue record.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/units.h"

namespace velmora::spectra {

// A record that could not be read; the message gives the reason (the
// caller names the record).
class RecordError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct RecordSource {
    std::string name;   // unique among the sources: headers and output file names
    std::string label;  // how messages name it: the path as given, or "record 5 (Nridge1.mat)"
    std::string path;   // the file (empty for a catalogue record)
    std::size_t catalogueNumber = 0;       // 1.. for a catalogue record
    std::string problem;                   // set when the input is no record at all
    std::vector<RecordSource> components;  // a pair: its two horizontal components, H1 and H2
};

// The record files of a folder: these extensions, any case.
bool isRecordFileName(const std::string& fileName);

// Files as given, folders as their record files sorted by name, then the
// catalogue records. A folder without record files becomes a source with a
// problem. Names are file names without the extension, made unique with
// "_2", "_3", ... in input order.
std::vector<RecordSource> collectSources(const std::vector<std::string>& inputs,
                                         const std::vector<std::size_t>& catalogueRecords);

enum class RecordFormat { Mat, At2, Text, Catalogue };
const char* formatName(RecordFormat format);

struct RawRecord {
    std::vector<double> samples;             // as stored, in `unit`
    double dt = 0.0;                         // s; 0 when the file gives no time step
    AccelUnit unit = AccelUnit::MetrePerS2;  // the unit the record is read in
    RecordFormat format = RecordFormat::Text;
    std::vector<std::string> warnings;  // "warning: ..." about this file, one line each
};

// The largest record file read (text, .AT2 or MAT-file), in bytes: a larger
// file, or a stream that goes on past it, is refused rather than filling
// the memory.
inline constexpr std::size_t MAX_RECORD_FILE_BYTES = std::size_t{256} << 20;

struct ReadSettings {
    std::string variable;  // MAT-files: empty means named after the file
    // --dt or --classic: the step is given, so a time column that yields
    // none is no error (the file's own step is still reported when it has one).
    bool timeStepGiven = false;
    std::optional<AccelUnit> unitGiven;  // --input-units: wins over a unit a file states
    double classicStep =
        0.0;  // --classic: the step it computes with (a file's other step is warned of)
    std::size_t maxFileBytes = MAX_RECORD_FILE_BYTES;
};

// Reads one record. Throws RecordError when the file is missing, not a
// regular file or stream, larger than maxFileBytes or unreadable, holds no
// such variable, no samples or a value that is not a finite number, or is
// not laid out as its format requires.
RawRecord readRecord(const RecordSource& source, const ReadSettings& settings);

// The time step of an evenly spaced time column, rounded to 12 significant
// digits (the step the file was written with, free of the rounding of its
// times). Throws RecordError when there are fewer than two times or they are
// not evenly spaced.
double stepOfTimes(const std::vector<double>& times);

}  // namespace velmora::spectra
