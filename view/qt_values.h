// Reading model values the way the Qt view shows them: colours, lines of
// text, keywords and numbers.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <string>

#include "host/graphics_model.h"
#include "host/value.h"

namespace velmora::qtview {

// True for a colour value that is the keyword "none".
bool isNoneColor(const Value& v);
// An [r g b] row of fractions; `fallback` for anything else ("none", "flat").
QColor toColor(const Value& v, const QColor& fallback = QColor(Qt::black));
// The lines of a text value: a character row (a list box also splits it at
// '|'), a character matrix (one line per row) or a cell of texts. Trailing
// blanks of padded rows are dropped.
QStringList textLines(const Value& v, bool splitBars = false);
QString joinedText(const Value& v);
// A keyword property in lower case, "" when it is not text.
std::string keyword(const Value& v);
double number(const Value& v, double fallback);

// Reads a property, falling back when the object or name is unknown.
Value prop(const GraphicsModel& m, Handle h, const std::string& name);
// The screen's pixels per inch as the model reports it.
double screenPpi(const GraphicsModel& m);

}  // namespace velmora::qtview
