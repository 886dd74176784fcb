// Text in a Windows code page, read through the platform's own converter.
#pragma once

#include <string>
#include <string_view>

namespace sprig::loader {

// Appends the characters of `bytes`, text in the Windows code page `codePage`, to `text`: through
// MultiByteToWideChar under Windows, through iconv elsewhere. False when the bytes are no text of
// that code page or end inside a character; `text` is then left unfinished.
bool ConvertCodePage(unsigned codePage, std::string_view bytes, std::u16string& text);

}  // namespace sprig::loader
