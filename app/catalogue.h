// The built-in catalogue of earthquake records and the text tables derived
// from it.
#pragma once

#include "host/value.h"

namespace velmora {

// The catalogue: 22 x 8 cell array of texts, header row first; record k is
// row k + 1.
Value catalogueCells();

// Column `c` (1-based) of a catalogue cell array as a block of text lines,
// each padded with blanks to the longest.
Value catalogueColumn(const Value& catalogue, std::size_t c);

// The list-box lines: columns 1, 4, 5, 6, 7 and 8 side by side with one
// blank between them; a 1 x rows cell array of texts, header line first.
Value catalogueListLines(const Value& catalogue);

}  // namespace velmora
