// Where a cell's text is cut when it is wider than its cell: the part a reader needs most stays.
#pragma once

#include <cstddef>

#include "catalogue/FileEntry.h"

namespace sprig {

// The units shown of a text that is cut: [0, head), then three dots, then [tail, length).
// Uncut, head and tail are both the length.
struct TextCut {
    std::size_t head, tail;
};

// Where the part of a column's text to keep whole starts: for a file name its extension (from its
// last dot, unless the name starts there), for a path its last part (from its last backslash or
// slash), for a project name nothing (the length).
std::size_t KeptTail(const char16_t* text, std::size_t length, int column);

// `edges`[i] is where unit i of the text ends, from its start, in pixels; `dots` is the width of
// the three dots and `room` the cell's. A text that fits is shown whole. Otherwise the units from
// `kept` on are shown whole at the end, after as many leading units as leave room for them and the
// dots; when even they do not fit, as many of the last units as fit after the dots. A surrogate
// pair is never split.
TextCut CutText(const char16_t* text, const int* edges, std::size_t length, int dots, int room, std::size_t kept);

}  // namespace sprig
