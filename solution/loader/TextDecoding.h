// The bytes of solution and project files as UTF-8 text, whatever encoding they were saved in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sprig::loader {

// The character that a Windows-1252 byte stands for. The five bytes that the code page leaves
// undefined map to the control characters of the same value, as Windows itself maps them.
char16_t FromWindows1252(unsigned char byte);

// The Windows code page that an encoding name stands for (ASCII letters in any case): the usual
// names and aliases of 874, 932, 936, 949, 950 and 1250 to 1258; 0 for any other name.
unsigned CodePageOfEncoding(std::string_view name);

// A solution file: UTF-16 (little or big endian) when it starts with that byte order mark;
// otherwise, after any UTF-8 byte order mark, UTF-8 when the bytes are well-formed UTF-8, else
// Windows-1252. The result is well-formed UTF-8 without a byte order mark.
std::string DecodeSolutionText(std::string_view bytes);

// An XML document: UTF-8 or UTF-16 by its byte order mark, UTF-16 without one when it starts with
// "<?" in two-byte units, else the encoding its declaration names (UTF-8 when none is named):
// UTF-8, US-ASCII (read as UTF-8), ISO-8859-1 or a code page of CodePageOfEncoding, read through
// the platform's converter (Windows-1252 by a table of its own). Bytes that a code page leaves
// undefined are refused alike in every build. The result is UTF-8 without a byte
// order mark and with the same lines; UTF-8 input is passed on unchecked, for the reader to check
// the texts it uses. False, with `error` saying why and `errorLine` where, for an encoding that
// is not supported or that the bytes cannot be in.
bool DecodeXmlText(std::string_view bytes, std::string& utf8, std::string& error, std::size_t& errorLine);

// Lines end at LF, at CR LF and at a lone CR, as the environment's own readers take them.
// The end of the line that starts at `start`: its first CR or LF, or the end of `text`.
std::size_t LineEnd(std::string_view text, std::size_t start);
// Where the next line starts, for a line that ends at `end`.
std::size_t NextLineStart(std::string_view text, std::size_t end);
// The number of line ends that begin in [`from`, `to`) of `text`.
std::size_t LineEndsBetween(std::string_view text, std::size_t from, std::size_t to);

// The line, counted from 1, that holds the byte at `offset` of `text`.
std::size_t LineAt(std::string_view text, std::size_t offset);

}  // namespace sprig::loader
