// What an axis label says: the quantity it names and the unit it is
// measured in ("Spectral Acceleration - meters per second squared" is the
// quantity "Spectral Acceleration" in "m/s^2").
#pragma once

#include <string>

#include "host/graphics_model.h"

namespace velmora {

struct AxisQuantity {
    std::string quantity;  // empty when the label is empty
    std::string unit;      // a symbol where the words are known, else the words
};

// Reads "Quantity - unit words", "Quantity [unit]" and "Quantity (unit)";
// any other label is all quantity.
AxisQuantity axisQuantity(const std::string& label);

// Unit words as a symbol: "meters per second squared" gives "m/s^2". Words
// it does not know are kept as they are.
std::string unitSymbol(const std::string& words);

// The text of an axes' "XLabel" or "YLabel" on one line; empty when it has
// none.
std::string axisLabelText(const GraphicsModel& model, Handle axes, const char* which);

// "Quantity [unit]", or the quantity alone when there is no unit.
std::string quantityHeading(const AxisQuantity& q);

}  // namespace velmora
