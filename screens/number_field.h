// Reading what the user typed into an edit field.
#pragma once

#include <cstddef>
#include <optional>

#include "host/graphics_model.h"
#include "host/value.h"

namespace velmora::screen {

// The text read as exactly one finite number. Letters, an empty text,
// several numbers and values that do not fit a double give nothing, so that
// every field refuses them the same way.
std::optional<double> oneFiniteNumber(const Value& text);

// The "String" of the edit field `field`, read as above.
std::optional<double> numberInField(Handle field);

// A stored count or catalogue number as an index: its whole part, or 0 when
// it is empty, negative or not finite.
std::size_t wholeCount(const Value& v);
std::size_t wholeCount(double x);

// Entry i (1-based) of a numeric row or column, or `fallback` when the
// value is shorter.
double entryOr(const Value& v, std::size_t i, double fallback);

// A row of the first n entries of a numeric value (fewer when it is
// shorter); the empty value for none.
Value firstEntries(const Value& v, std::size_t n);

}  // namespace velmora::screen
