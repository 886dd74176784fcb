#include "dialog/SettingsRules.h"

#include <algorithm>

namespace sprig {
namespace {

// Little-endian, as the registry stores numbers, whatever the machine.
std::int32_t ReadInt32(const std::uint8_t* data) {
    const std::uint32_t value = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                                std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24;
    return static_cast<std::int32_t>(value);
}

}  // namespace

WindowPlacement ClampPlacement(WindowPlacement placement, MaxTrackSize max, std::uint16_t referenceWidth,
                               std::uint16_t referenceHeight) {
    if (placement.left > max.width) placement.left = max.width - referenceWidth;
    if (placement.top > max.height) placement.top = max.height - referenceHeight;
    if (placement.width > max.width) placement.width = max.width;
    if (placement.height > max.height) placement.height = max.height;
    return placement;
}

std::int32_t ClampColumnWidth(std::int32_t width, MaxTrackSize max) { return std::min(width, max.width); }

std::optional<std::int32_t> DecodeInt32(const std::uint8_t* data, std::size_t size) {
    if (!data || size != 4) return std::nullopt;
    return ReadInt32(data);
}

std::optional<std::pair<std::int32_t, std::int32_t>> DecodeInt32Pair(const std::uint8_t* data, std::size_t size) {
    if (!data || size != 8) return std::nullopt;
    return std::make_pair(ReadInt32(data), ReadInt32(data + 4));
}

std::optional<std::u16string> DecodeStoredString(const std::uint8_t* data, std::size_t size) {
    const std::size_t units = size / 2;
    if (!data || units == 0) return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < units; ++i) {
        const char16_t unit = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
        if (unit == u'\0') break;
        text += unit;
    }
    return text;
}

}  // namespace sprig
