// The typed query: the filter, and the line at which the opened files are to be shown.
//
// A file name cannot hold ":", so a last term "TEXT:DIGITS" that is a bare file-name term (no
// prefix, not quoted, TEXT not empty and holding no other ":") would match no file. It is taken
// to mean "the files that TEXT finds, opened at line DIGITS", as in "main.cpp:120". A last term
// "TEXT:" of that form, typed on the way there, finds what TEXT finds and names no line. Every
// other query means exactly what the filter language says.
#pragma once

#include <cstdint>
#include <string_view>

#include "filter/Filter.h"

namespace sprig {

// Parses `text` into `filter` as ParseFilter does, then cuts ":DIGITS" or ":" off a last term of
// the form above. Answers that line, or 0 when the query names none. Lines count from 1: line 0 is
// taken as 1, and a number past the largest 32-bit line as that line; a line past the end of a
// file is the environment's to clamp.
std::int32_t ParseQuery(std::u16string_view text, ParsedFilter& filter);

}  // namespace sprig
