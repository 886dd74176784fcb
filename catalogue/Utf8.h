// UTF-8 conversion for text that crosses files, arguments and output (the query tool, the solution loader).
#pragma once

#include <string>
#include <string_view>

namespace sprig {

// Appends the UTF-16 form of `bytes` to `out`. False, with `out` partly appended, when the
// bytes are not well-formed UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
bool AppendUtf16(std::string_view bytes, std::u16string& out);

// Appends the UTF-8 form of `text` to `out`; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::u16string_view text, std::string& out);

// The UTF-8 form of `text`, as AppendUtf8 makes it.
std::string ToUtf8(std::u16string_view text);

}  // namespace sprig
