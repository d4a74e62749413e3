// Positions of the model ([left bottom width height], measured from the
// lower-left corner of the parent) as Qt rectangles (from the top-left).
#pragma once

#include <QRect>
#include <QSize>
#include <string>

#include "host/value.h"

namespace velmora::qtview {

// Screen pixels in one unit of length ("points", "inches", "centimeters",
// "pixels"); 0 for "normalized", which depends on the parent.
double pixelsPerUnit(const std::string& units, double ppi);

// The rectangle a position takes in a parent of `parent` pixels. Pixel
// positions count from 1, as the screen size does ([1 1 w h] is the whole
// screen); other units count from 0.
QRect rectFromPosition(const Value& position, const std::string& units, QSize parent, double ppi);

// The inverse: a rectangle in the parent as a position in `units`.
Value positionFromRect(const QRect& rect, const std::string& units, QSize parent, double ppi);

}  // namespace velmora::qtview
