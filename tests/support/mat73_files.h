// Version 7.3 MAT-files written with the HDF5 library, damaged in the ways
// a hostile or broken writer could damage them, for the loader's tests and
// the fuzz seeds (tests/fixtures/make_mat73_fixtures.cpp).
#pragma once

#include <string>
#include <vector>

namespace velmora::testing {

struct Mat73Fault {
    const char* kind;  // also the fuzz seed's file name
    // Writes a file holding one array `name` with this fault.
    void (*write)(const std::string& path, const std::string& name);
};

// A cell holding itself, a structure linking to itself and a never-written
// 2 x 2e7 array: the faults every way of loading a file must refuse.
const std::vector<Mat73Fault>& mat73Faults();
// More of them: partly written chunked arrays (plain and compressed), cells
// nested 40 deep, one array shared by a million cell elements, a structure
// whose field list names the structure itself, an empty array whose stored
// size is not empty, a link into another file.
const std::vector<Mat73Fault>& moreMat73Faults();

// A sound file of the same make: `name` as a rows x 2 record, with one cell
// holding two references to one empty array as MATLAB writes empty cells.
void writeSoundMat73(const std::string& path, const std::string& name,
                     const std::vector<double>& columnMajor, bool compressed);

}  // namespace velmora::testing
