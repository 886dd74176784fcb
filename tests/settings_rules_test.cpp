#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "dialog/core/SettingsRules.h"
#include "support/CatalogueBuilder.h"
#include "support/EverySizeCases.h"

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

std::vector<std::int32_t> Numbers(const WindowPlacement& p) { return {p.left, p.top, p.width, p.height}; }

// A template of 606 × 520 with a client area of 600 × 490: the least useful size is 366 × 324.
constexpr TemplateSize Template{606, 520, 600, 490};

TEST(RestoredPlacement, KeepsAnyVisiblePlacementAndCentresOneOffEveryMonitor) {
    const std::vector<LayoutRect> areas{{0, 0, 1280, 994}, {1280, 0, 2560, 1024}};
    const LayoutRect home = areas[0];
    const auto restored = [&](WindowPlacement stored) {
        return Numbers(RestoredPlacement(stored, Template, areas, home));
    };
    using V = std::vector<std::int32_t>;
    // Visible in part, on either monitor: exactly as stored.
    EXPECT_EQ(restored({-590, -390, 600, 400}), (V{-590, -390, 600, 400}));
    EXPECT_EQ(restored({2550, 1000, 600, 400}), (V{2550, 1000, 600, 400}));
    // Off every work area: centred in the home area with the stored size. Touching an edge, or
    // lying under the taskbar below the work area, shows nothing.
    EXPECT_EQ(restored({-600, 10, 600, 400}), (V{340, 297, 600, 400}));
    EXPECT_EQ(restored({100, 994, 600, 400}), (V{340, 297, 600, 400}));
    EXPECT_EQ(restored({5000, -3000, 640, 480}), (V{320, 257, 640, 480}));
    // Larger than the home area: its top-left corner stays inside.
    EXPECT_EQ(restored({5000, 5000, 2000, 1500}), (V{0, 0, 2000, 1500}));
    EXPECT_EQ(Numbers(RestoredPlacement({5000, 5000, 600, 400}, Template, areas, {1280, 0, 2560, 1024})),
              (V{1620, 312, 600, 400}));
    // Numbers as large or as negative as the registry can hold neither overflow nor land outside;
    // a negative size is below any useful one.
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(restored({big, big, big, big}), (V{0, 0, big, big}));
    EXPECT_EQ(restored({-5000, 0, -100, -100}), (V{337, 237, 606, 520}));
    EXPECT_EQ(restored({-5000, 0, std::numeric_limits<std::int32_t>::min(), 400}), (V{337, 237, 606, 520}));
    // No monitor at all: nothing is visible.
    EXPECT_EQ(Numbers(RestoredPlacement({0, 0, 600, 400}, Template, {}, home)), (V{340, 297, 600, 400}));
}

// Too small a size, on either side alone, opens at the template's size where it was stored, or
// centred when that is out of sight; the least useful size itself stays.
TEST(RestoredPlacement, ASizeBelowTheLeastUsefulOneOpensAtTheTemplatesSize) {
    const std::vector<LayoutRect> areas{{0, 0, 1280, 994}};
    const auto restored = [&](WindowPlacement stored) {
        return Numbers(RestoredPlacement(stored, Template, areas, areas[0]));
    };
    using V = std::vector<std::int32_t>;
    EXPECT_EQ(restored({100, 50, 366, 324}), (V{100, 50, 366, 324}));
    EXPECT_EQ(restored({100, 50, 365, 324}), (V{100, 50, 606, 520}));
    EXPECT_EQ(restored({100, 50, 900, 323}), (V{100, 50, 606, 520}));
    EXPECT_EQ(restored({100, 50, 0, 0}), (V{100, 50, 606, 520}));
    // Out of sight even at the template's size: centred.
    EXPECT_EQ(restored({-700, 100, 20, 20}), (V{337, 237, 606, 520}));
    // Stored just off the left edge, at the template's size it reaches into the area.
    EXPECT_EQ(restored({-30, 100, 20, 20}), (V{-30, 100, 606, 520}));
}

TEST(ListColumnWidth, KeepsWhatTheListsSixteenBitsHold) {
    EXPECT_EQ(ListColumnWidth(150), 150);
    EXPECT_EQ(ListColumnWidth(0), 0);
    EXPECT_EQ(ListColumnWidth(32767), 32767);
    EXPECT_EQ(ListColumnWidth(32768), 32767);
    EXPECT_EQ(ListColumnWidth(std::numeric_limits<std::int32_t>::max()), 32767);
    // Negative widths would ask the list to size the column itself.
    EXPECT_EQ(ListColumnWidth(-1), 0);
    EXPECT_EQ(ListColumnWidth(-2), 0);
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

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

TEST(StoredValues, AFreshRecordIsStoredAsTheDialogsStartingValues) {
    const StoredSettings fresh;
    const std::vector<std::uint8_t> expected[StoredValueCount] = {Bytes({0, 0, 0, 0, 0, 0, 0, 0}),
                                                                  Bytes({0x90, 1, 0, 0, 0x2C, 1, 0, 0}),
                                                                  Bytes({150, 0, 0, 0}),
                                                                  Bytes({250, 0, 0, 0}),
                                                                  Bytes({150, 0, 0, 0}),
                                                                  Bytes({250, 0, 0, 0}),
                                                                  {},
                                                                  {},
                                                                  Bytes({0, 0, 0, 0})};
    for (std::size_t id = 0; id < StoredValueCount; ++id) EXPECT_EQ(EncodeStoredValue(fresh, id), expected[id]) << id;
}

TEST(StoredValues, NumbersAreLittleEndianAndStringsCarryTheirTerminator) {
    StoredSettings settings;
    settings.Location = {-2, 0x01020304};
    settings.ProjectPathWidth = -1;
    settings.Project = u"Core";
    settings.Filter = u"";
    EXPECT_EQ(EncodeStoredValue(settings, StoredLocation), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1}));
    EXPECT_EQ(EncodeStoredValue(settings, StoredProjectPathWidth), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(EncodeStoredValue(settings, StoredProject), Bytes({'C', 0, 'o', 0, 'r', 0, 'e', 0, 0, 0}));
    EXPECT_EQ(EncodeStoredValue(settings, StoredFilter), Bytes({0, 0}));

    // What is written reads back as it was, each value into a record that held other values.
    settings.Size = {-640, 480};
    settings.FilePathWidth = 77;
    settings.ViewKind = 1;
    settings.Filter = u"\u00E9t\u00E9 *.h";
    StoredSettings loaded;
    loaded.Project = u"other";
    for (std::size_t id = 0; id < StoredValueCount; ++id) {
        const auto bytes = EncodeStoredValue(settings, id);
        DecodeStoredValue(loaded, id, bytes.data(), bytes.size());
    }
    for (std::size_t id = 0; id < StoredValueCount; ++id) {
        EXPECT_EQ(EncodeStoredValue(loaded, id), EncodeStoredValue(settings, id)) << id;
    }
}

TEST(StoredValues, EveryValueOfEverySizeUpToTwelveBytesDecodesWithinItsField) {
    // Each size from a copy of exactly that many bytes, so that a read past it shows under the
    // address checker; a missing value is decoded from nothing, as the load does.
    testing::CheckEveryValueAtEverySize(
        [](StoredSettings& settings, std::size_t id, const std::vector<std::uint8_t>& stored) {
        for (std::size_t other = 0; other < StoredValueCount; ++other) {
            if (other == id) {
                DecodeStoredValue(settings, id, stored.data(), stored.size());
            } else {
                DecodeStoredValue(settings, other, nullptr, 0);
            }
        }
    });
}

TEST(StoredProjectItem, FindsTheFirstProjectOfTheNameIgnoringAsciiCase) {
    Catalogue catalogue;
    testing::CatalogueBuilder build(catalogue);
    for (const char16_t* name : {u"Alpha", u"beta", u"BETA", u"\u00E9t\u00E9"}) build.Project(name);
    EXPECT_EQ(StoredProjectItem(catalogue, u"ALPHA"), 1);
    EXPECT_EQ(StoredProjectItem(catalogue, u"Beta"), 2);
    EXPECT_EQ(StoredProjectItem(catalogue, u"BETA"), 2);
    EXPECT_EQ(StoredProjectItem(catalogue, u"\u00E9t\u00E9"), 4);
    // Only A to Z fold; a prefix or a longer name is another name.
    EXPECT_EQ(StoredProjectItem(catalogue, u"\u00C9T\u00C9"), -1);
    EXPECT_EQ(StoredProjectItem(catalogue, u"Alph"), -1);
    EXPECT_EQ(StoredProjectItem(catalogue, u"Alphas"), -1);
    EXPECT_EQ(StoredProjectItem(catalogue, u""), -1);
    EXPECT_EQ(StoredProjectItem(Catalogue{}, u"Alpha"), -1);
}

}  // namespace
}  // namespace sprig
