// The data folder (record files and the layout file) and the reading of one
// record's ground acceleration.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Where the data files are: $VELMORA_DATA when set and not empty, else a
// "data" folder beside the running executable, else ../share/velmora/data
// from the executable's own folder, else the folder of the configured
// install prefix.
std::string dataFolder();

// Column 2 (ground acceleration, m/s^2) of the matrix named after the file
// (the name with every ".mat" removed) in dataFolder()/fileName. Throws
// Error naming the file and the reason when the file is missing, is not a
// MAT-file, lacks that variable, the variable is not a numeric matrix of at
// least two columns, or an acceleration sample is not finite.
std::vector<double> loadRecordAcceleration(const std::string& fileName);

}  // namespace velmora
