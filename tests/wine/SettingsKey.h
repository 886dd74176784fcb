// The dialog's settings key in the real registry, as the tests set it up and read it back. Every
// test of a program that links this starts with no key.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace sprig::testing {

void DeleteSettingsKey();

// Stores one value as given, creating the key if needed.
void StoreSetting(const wchar_t* name, DWORD type, const std::vector<std::uint8_t>& bytes);
// The UTF-16 units of `text`, with the terminator or without it.
std::vector<std::uint8_t> TextBytes(const std::wstring& text, bool terminated = true);
std::vector<std::uint8_t> NumberBytes(std::initializer_list<std::int32_t> numbers);

struct StoredSetting {
    DWORD type;
    std::vector<std::uint8_t> bytes;
};

// The value as stored, or nothing when the key or the value is missing.
std::optional<StoredSetting> ReadSetting(const wchar_t* name);
// How many values the key holds; -1 when there is no key.
int SettingCount();

}  // namespace sprig::testing
