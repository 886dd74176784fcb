#include "dialog/core/SettingsRules.h"

#include <algorithm>

namespace sprig {
namespace {

// Little-endian, as the registry stores numbers, whatever the machine.
std::int32_t ReadInt32(const std::uint8_t* data) {
    const std::uint32_t value = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16 |
                                std::uint32_t{data[3]} << 24;
    return static_cast<std::int32_t>(value);
}

void AppendInt32(std::vector<std::uint8_t>& bytes, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
}

void AppendString(std::vector<std::uint8_t>& bytes, const std::optional<std::u16string>& text) {
    if (!text) return;
    // c_str() gives the terminator as well: 2 × length + 2 bytes.
    for (const char16_t* unit = text->c_str(); unit <= text->c_str() + text->size(); ++unit) {
        bytes.push_back(static_cast<std::uint8_t>(*unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(*unit >> 8));
    }
}

constexpr std::int32_t StoredSettings::*WidthFields[ColumnCount] = {
    &StoredSettings::FileNameWidth, &StoredSettings::FilePathWidth, &StoredSettings::ProjectNameWidth,
    &StoredSettings::ProjectPathWidth};

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

WindowPlacement RestoredPlacement(WindowPlacement stored, const TemplateSize& dialog,
                                  const std::vector<LayoutRect>& workAreas, const LayoutRect& home) {
    // The frame is what the outer size has beyond the client area; in 64 bits, as below.
    const std::int64_t leastWidth = std::int64_t{dialog.width} - dialog.clientWidth + dialog.clientWidth * 3 / 5;
    const std::int64_t leastHeight = std::int64_t{dialog.height} - dialog.clientHeight + dialog.clientHeight * 3 / 5;
    if (stored.width < leastWidth || stored.height < leastHeight) {
        stored.width = dialog.width;
        stored.height = dialog.height;
    }
    // In 64 bits: stored numbers are whatever the registry held.
    const std::int64_t left = stored.left, top = stored.top;
    const std::int64_t right = left + stored.width, bottom = top + stored.height;
    for (const LayoutRect& area : workAreas) {
        if (left < area.right && area.left < right && top < area.bottom && area.top < bottom) return stored;
    }
    // A size below 0 is placed as 0, so that even it starts inside the area.
    const auto centred = [](std::int32_t from, std::int32_t to, std::int32_t size) {
        const std::int64_t start = from + (std::int64_t{to} - from - std::max(size, 0)) / 2;
        return static_cast<std::int32_t>(std::max<std::int64_t>(start, from));
    };
    return {centred(home.left, home.right, stored.width), centred(home.top, home.bottom, stored.height), stored.width,
            stored.height};
}

std::int32_t ListColumnWidth(std::int32_t stored) { return std::clamp(stored, 0, 32767); }

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

std::int32_t& StoredSettings::ColumnWidth(int column) { return this->*WidthFields[column]; }

std::int32_t StoredSettings::ColumnWidth(int column) const { return this->*WidthFields[column]; }

const StoredValue StoredValues[StoredValueCount] = {
    {u"Location", StoredType::Binary, 8},        {u"Size", StoredType::Binary, 8},
    {u"FileNameWidth", StoredType::Dword, 4},    {u"FilePathWidth", StoredType::Dword, 4},
    {u"ProjectNameWidth", StoredType::Dword, 4}, {u"ProjectPathWidth", StoredType::Dword, 4},
    {u"Project", StoredType::String, 0},         {u"Filter", StoredType::String, 0},
    {u"ViewKind", StoredType::Dword, 4},
};

void DecodeStoredValue(StoredSettings& settings, std::size_t id, const std::uint8_t* data, std::size_t size) {
    switch (id) {
    case StoredLocation:
        if (const auto pair = DecodeInt32Pair(data, size)) settings.Location = {pair->first, pair->second};
        break;
    case StoredSize:
        if (const auto pair = DecodeInt32Pair(data, size)) settings.Size = {pair->first, pair->second};
        break;
    case StoredProject:
        settings.Project = DecodeStoredString(data, size);
        break;
    case StoredFilter:
        settings.Filter = DecodeStoredString(data, size);
        break;
    case StoredViewKind:
        if (const auto number = DecodeInt32(data, size)) settings.ViewKind = *number;
        break;
    case StoredFileNameWidth:
    case StoredFilePathWidth:
    case StoredProjectNameWidth:
    case StoredProjectPathWidth:
        if (const auto number = DecodeInt32(data, size)) {
            settings.ColumnWidth(static_cast<int>(id - StoredFileNameWidth)) = *number;
        }
        break;
    }
}

std::vector<std::uint8_t> EncodeStoredValue(const StoredSettings& settings, std::size_t id) {
    std::vector<std::uint8_t> bytes;
    switch (id) {
    case StoredLocation:
        AppendInt32(bytes, settings.Location.left);
        AppendInt32(bytes, settings.Location.top);
        break;
    case StoredSize:
        AppendInt32(bytes, settings.Size.width);
        AppendInt32(bytes, settings.Size.height);
        break;
    case StoredProject:
        AppendString(bytes, settings.Project);
        break;
    case StoredFilter:
        AppendString(bytes, settings.Filter);
        break;
    case StoredViewKind:
        AppendInt32(bytes, settings.ViewKind);
        break;
    case StoredFileNameWidth:
    case StoredFilePathWidth:
    case StoredProjectNameWidth:
    case StoredProjectPathWidth:
        AppendInt32(bytes, settings.ColumnWidth(static_cast<int>(id - StoredFileNameWidth)));
        break;
    }
    return bytes;
}

std::ptrdiff_t StoredProjectItem(const Catalogue& catalogue, const std::u16string& name) {
    for (std::size_t k = 0; k < catalogue.ProjectList.size(); ++k) {
        if (CompareIgnoringAsciiCase(catalogue.ProjectList[k].get(), name.c_str()) == 0) {
            return static_cast<std::ptrdiff_t>(k + 1);
        }
    }
    return -1;
}

}  // namespace sprig
