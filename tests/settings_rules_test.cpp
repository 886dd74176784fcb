#include <gtest/gtest.h>

#include <vector>

#include "dialog/SettingsRules.h"

namespace sprig {
namespace {

constexpr MaxTrackSize Desktop{1300, 1000};

TEST(ClampPlacement, PullsBackOnlyWhatLiesPastTheLargestTrackSize) {
    EXPECT_EQ(ClampPlacement({10, 20, 600, 400}, Desktop, 580, 420).left, 10);

    const WindowPlacement far = ClampPlacement({1301, 1001, 600, 400}, Desktop, 580, 420);
    EXPECT_EQ(far.left, 1300 - 580);
    EXPECT_EQ(far.top, 1000 - 420);
    EXPECT_EQ(far.width, 600);
    EXPECT_EQ(far.height, 400);

    const WindowPlacement big = ClampPlacement({-50, -60, 1301, 1001}, Desktop, 580, 420);
    EXPECT_EQ(big.left, -50);  // partly off the left or top edge: kept
    EXPECT_EQ(big.top, -60);
    EXPECT_EQ(big.width, 1300);
    EXPECT_EQ(big.height, 1000);

    // Exactly at the limit is not past it.
    const WindowPlacement edge = ClampPlacement({1300, 1000, 1300, 1000}, Desktop, 580, 420);
    EXPECT_EQ(edge.left, 1300);
    EXPECT_EQ(edge.height, 1000);
}

TEST(ClampColumnWidth, CutsAtTheLargestTrackWidth) {
    EXPECT_EQ(ClampColumnWidth(150, Desktop), 150);
    EXPECT_EQ(ClampColumnWidth(1300, Desktop), 1300);
    EXPECT_EQ(ClampColumnWidth(5000, Desktop), 1300);
}

TEST(DecodeStoredNumbers, TakeOnlyValuesOfTheirFieldsSize) {
    const std::uint8_t bytes[12] = {0xFE, 0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0x00, 0x00, 9, 9, 9, 9};
    for (std::size_t size = 0; size <= 12; ++size) {
        SCOPED_TRACE(size);
        // Every size from a copy of exactly that many bytes, so that a read past it shows.
        const std::vector<std::uint8_t> value(bytes, bytes + size);
        const auto one = DecodeInt32(value.data(), value.size());
        const auto two = DecodeInt32Pair(value.data(), value.size());
        EXPECT_EQ(one.has_value(), size == 4);
        EXPECT_EQ(two.has_value(), size == 8);
        if (one) {
            EXPECT_EQ(*one, -2);
        }
        if (two) {
            EXPECT_EQ(two->first, -2);
            EXPECT_EQ(two->second, 300);
        }
    }
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

TEST(DecodeStoredString, TakesTheLastUnitAsTheTerminator) {
    const auto terminated = Utf16Bytes(std::u16string(u"Core\0", 5));
    EXPECT_EQ(DecodeStoredString(terminated.data(), terminated.size()), u"Core");

    const auto bare = Utf16Bytes(u"Core");
    EXPECT_EQ(DecodeStoredString(bare.data(), bare.size()), u"Cor");

    // Zero bytes and one byte are no string; two bytes are an empty one.
    EXPECT_EQ(DecodeStoredString(terminated.data(), 0), std::nullopt);
    EXPECT_EQ(DecodeStoredString(terminated.data(), 1), std::nullopt);
    EXPECT_EQ(DecodeStoredString(terminated.data(), 2), u"");

    // An odd size drops its last byte.
    std::vector<std::uint8_t> odd = terminated;
    odd.push_back(0x41);
    EXPECT_EQ(DecodeStoredString(odd.data(), odd.size()), u"Core");

    // The text ends at an embedded zero; units beyond the ASCII range come through.
    const auto inner = Utf16Bytes(std::u16string(u"a\0b\u00E9\u4E2D\0", 6));
    EXPECT_EQ(DecodeStoredString(inner.data(), inner.size()), u"a");
    const auto wide = Utf16Bytes(std::u16string(u"\u00E9\u4E2D\0", 3));
    EXPECT_EQ(DecodeStoredString(wide.data(), wide.size()), u"\u00E9\u4E2D");
}

TEST(DecodeStoredString, EverySizeReadsOnlyItsOwnBytes) {
    const auto source = Utf16Bytes(u"abcdef");
    for (std::size_t size = 0; size <= 12; ++size) {
        const std::vector<std::uint8_t> value(source.begin(), source.begin() + static_cast<long>(size));
        const auto text = DecodeStoredString(value.data(), value.size());
        ASSERT_EQ(text.has_value(), size >= 2) << size;
        if (text) {
            EXPECT_EQ(text->size(), size / 2 - 1) << size;
        }
    }
}

}  // namespace
}  // namespace sprig
