// Text operations of the array library used by the program.
#pragma once

#include <string>
#include <vector>

#include "host/value.h"

namespace velmora {

// Short decimal form: whole numbers without a decimal point, otherwise
// %.Ng with N = max(1 + floor(log10|x|), 1) + 4 (0.02 -> "0.02",
// 1/3 -> "0.33333"). A matrix gives its elements separated by two blanks;
// NaN and infinities give "NaN", "Inf", "-Inf". Text passes unchanged.
Value mlfNum2str(const Value& x);
std::string num2str(double x);

// Plain decimal numbers (optional sign, fraction, exponent), separated by
// blanks or commas, give a row; anything else gives the empty value.
// Never throws.
Value mlfStr2num(const Value& text);
Value str2num(const std::string& text);

// Rows of several texts stacked and padded to the longest (empty texts are
// skipped).
Value mlfStrvcat(const std::vector<Value>& parts);
Value mlfBlanks(std::size_t n);
Value mlfStrrep(const Value& text, const Value& from, const Value& to);
bool mlfStrcmp(const Value& a, const Value& b);
// Character matrix of the rows of texts or of a cell of texts, padded.
Value mlfChar(const Value& x);
// Side-by-side joining of character matrices with the same number of rows.
Value horzcatText(const std::vector<Value>& parts);

}  // namespace velmora
