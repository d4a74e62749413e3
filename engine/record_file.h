// The data folder (record files and the layout file) and the reading of one
// record's ground acceleration.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// Where the data files are: $VELMORA_DATA when set and not empty, else a
// "data" folder beside the running executable, else ../share/velmora/data
// from the executable's own folder, else the folder of the configured
// install prefix.
std::string dataFolder();

// The folder of the running executable; empty when it cannot be told.
std::filesystem::path executableFolder();

// Every record file written by make_records also holds this text variable:
// the header lines of the numbers' source. A synthetic stand-in's first line
// starts with kStandInMark, so a real recording dropped in under the same
// name (without that line) is taken for what it is.
inline constexpr const char* kProvenanceVariable = "provenance";
inline constexpr const char* kStandInMark = "# Synthetic stand-in";

// The variable a record file holds: its name with ".mat" removed, in one
// left-to-right pass ("a.m.matat.mat" holds "a.mat").
std::string recordVariableName(const std::string& fileName);

// "The variable '<name>' in the record file '<fileName>'", for messages.
std::string recordVariableText(const std::string& fileName);

struct RecordFile {
    std::vector<double> acceleration;  // column 2, m/s^2
    bool standIn = false;              // a synthetic stand-in, not a recording
};

// The matrix named after the file in dataFolder()/fileName; other variables
// of any class are not read. Throws Error naming the file and the reason
// when the file is missing, is not a MAT-file, lacks that variable, the
// variable is not a numeric matrix of at least two columns and at least as
// many rows as columns (a 2 x N [time; acceleration] is refused, naming its
// size), or an acceleration sample is not finite.
RecordFile readRecordFile(const std::string& fileName);

// readRecordFile(fileName).acceleration.
std::vector<double> loadRecordAcceleration(const std::string& fileName);

// Throws Error for the first sample that is NaN or infinite, naming it as
// row k of column 2 of `what` (the variable and file, with the scale factor
// when the samples were scaled).
void requireFiniteSamples(const std::vector<double>& samples, const std::string& what);

}  // namespace velmora
