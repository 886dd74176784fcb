#include "wine/SettingsKey.h"

#include <gtest/gtest.h>

#include "win/KeyOwner.h"

namespace sprig::testing {
namespace {

constexpr wchar_t Key[] = L"Software\\Tarn's Tools\\Sprig!";

// A stored setting left behind by one test would change what the next one sees.
class FreshSettings : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { DeleteSettingsKey(); }
};

[[maybe_unused]] const bool listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    return true;
}();

}  // namespace

void DeleteSettingsKey() {
    const LONG result = RegDeleteKeyW(HKEY_CURRENT_USER, Key);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
}

void StoreSetting(const wchar_t* name, DWORD type, const std::vector<std::uint8_t>& bytes) {
    LONG error = ERROR_SUCCESS;
    const KeyOwner key = CreateKey(HKEY_CURRENT_USER, Key, KEY_SET_VALUE, &error);
    ASSERT_EQ(error, ERROR_SUCCESS);
    // For a string type the system counts a zero unit that follows the data in memory as its
    // terminator, as Windows does; the guard behind the bytes keeps the value as given.
    std::vector<std::uint8_t> guarded(bytes);
    guarded.insert(guarded.end(), {0xFF, 0xFF});
    EXPECT_EQ(RegSetValueExW(key.get(), name, 0, type, guarded.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS)
        << name;
}

std::vector<std::uint8_t> TextBytes(const std::wstring& text, bool terminated) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return {bytes, bytes + 2 * (text.size() + (terminated ? 1 : 0))};
}

std::vector<std::uint8_t> NumberBytes(std::initializer_list<std::int32_t> numbers) {
    std::vector<std::uint8_t> bytes;
    for (const std::int32_t number : numbers) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(number) >> shift));
    }
    return bytes;
}

std::optional<StoredSetting> ReadSetting(const wchar_t* name) {
    const KeyOwner key = OpenKey(HKEY_CURRENT_USER, Key, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    StoredSetting setting{};
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &setting.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    setting.bytes.resize(size);
    if (RegQueryValueExW(key.get(), name, nullptr, nullptr, setting.bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return setting;
}

int SettingCount() {
    const KeyOwner key = OpenKey(HKEY_CURRENT_USER, Key, KEY_QUERY_VALUE);
    DWORD values = 0;
    if (!key || RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    return static_cast<int>(values);
}

}  // namespace sprig::testing
