// The core keeps UTF-16 text as char16_t, the Windows API takes wchar_t: the same 16-bit units
// under two types. These views cross between them without copying.
#pragma once

#include <string>
#include <string_view>

namespace sprig {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const wchar_t* Wide(const std::u16string& text) { return Wide(text.c_str()); }

// A copy, for text that is built up further.
inline std::wstring WideString(std::u16string_view text) { return {Wide(text.data()), text.size()}; }

inline const char16_t* Units(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* Units(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
inline std::u16string_view Units(std::wstring_view text) { return {Units(text.data()), text.size()}; }

}  // namespace sprig
