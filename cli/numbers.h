// Numbers in record files and on the command line.
#pragma once

#include <string>
#include <string_view>

namespace velmora::spectra {

// A whole token as a double: the decimal and exponent forms written by C,
// Fortran (".2630E-02", "1.5D-02") and spreadsheets ("+3.1"), and nan/inf.
// A magnitude beyond the range of double gives an infinity. False when the
// token is anything else (or has anything after the number).
bool parseNumber(std::string_view token, double& value);

// The shortest text that reads back as exactly x ("0.05", not
// "0.050000000000000003").
std::string shortestText(double x);

// x with 17 significant digits (printf "%.17g"): always reads back exactly.
std::string fullText(double x);

}  // namespace velmora::spectra
