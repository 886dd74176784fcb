// UTF-8 conversion for text that crosses files, arguments and output (the query tool, the solution loader).
#pragma once

#include <string>
#include <string_view>

namespace sprig {

// Writes the UTF-16 form of `bytes` from `to` on, never more units than bytes, and moves `to`
// past them. False, with `to` after the units written so far, when the bytes are not well-formed
// UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
bool DecodeUtf8(std::string_view bytes, char16_t*& to);

// Appends the UTF-16 form of `bytes` to `out`, as DecodeUtf8 writes it; false, with `out` partly
// appended, when the bytes are not well-formed.
bool AppendUtf16(std::string_view bytes, std::u16string& out);

// Writes the UTF-8 form of the character that starts with `unit` at `to`, four bytes at most, and
// answers where it ends. `next` is the unit after it (0 when none); `pair` tells whether the two
// made one character. A lone surrogate becomes U+FFFD.
char* EncodeUtf8(char16_t unit, char16_t next, char* to, bool& pair);

// Appends the UTF-8 form of `text` to `out`; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::u16string_view text, std::string& out);

// The UTF-8 form of `text`, as AppendUtf8 makes it.
std::string ToUtf8(std::u16string_view text);

}  // namespace sprig
