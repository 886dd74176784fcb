// The pure rules of the remembered dialog settings: the record and its stored form, how stored
// values are decoded and encoded, and how a captured placement is kept within what the desktop
// allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "dialog/core/Layout.h"

namespace sprig {

struct WindowPlacement {
    std::int32_t left, top, width, height;
};

// The largest window size the desktop allows (SM_CXMAXTRACK, SM_CYMAXTRACK).
struct MaxTrackSize {
    std::int32_t width, height;
};

// A window that starts past the largest trackable size is pulled back by the dialog's reference
// client size; a window larger than that size is cut to it. Each test stands alone; a window
// partly off the left or top edge is kept as it is.
WindowPlacement ClampPlacement(WindowPlacement placement, MaxTrackSize max, std::uint16_t referenceWidth,
                               std::uint16_t referenceHeight);

// A column may be at most as wide as the largest trackable window.
std::int32_t ClampColumnWidth(std::int32_t width, MaxTrackSize max);

// The dialog's template: its window's outer size and its client size, in pixels.
struct TemplateSize {
    std::int32_t width, height;
    std::int32_t clientWidth, clientHeight;
};

// Where the dialog opens for a stored placement. A stored size under the least useful one (each
// side three fifths of the template's client area, frame around it: there the buttons still clear
// the check box and the list keeps half its height) becomes the template's size, so that a
// dialog dragged down to nothing opens whole again. The placement then stays exactly as stored
// when any part of it lies in a monitor's work area; otherwise (a monitor removed, a laptop
// undocked) it is centred in `home`, the work area the dialog started on, as on a first run, with
// its top-left corner inside that area, so that its caption can be reached.
WindowPlacement RestoredPlacement(WindowPlacement stored, const TemplateSize& dialog,
                                  const std::vector<LayoutRect>& workAreas, const LayoutRect& home);

// The list keeps column widths in 16 bits: a wider one would come back cut to its low bits, and a
// negative one asks the list to size the column by itself. A stored width as the list can take it.
std::int32_t ListColumnWidth(std::int32_t stored);

// The widths of the list's columns, in column order, as the dialog inserts them.
inline constexpr std::int32_t DefaultColumnWidths[ColumnCount] = {150, 250, 150, 250};

// A stored number is taken only when its size is exactly its field's (4 or 8 bytes); any other
// size leaves the field as it was. The registry type is not looked at.
std::optional<std::int32_t> DecodeInt32(const std::uint8_t* data, std::size_t size);
std::optional<std::pair<std::int32_t, std::int32_t>> DecodeInt32Pair(const std::uint8_t* data, std::size_t size);

// A stored string of `size` bytes: its whole UTF-16 units, the last of which is taken as the
// terminator whatever it holds, so a string saved with its terminator comes back whole and one
// saved without loses its last character. An odd trailing byte is dropped. Fewer than two bytes
// give no string. The text ends at its first zero unit.
std::optional<std::u16string> DecodeStoredString(const std::uint8_t* data, std::size_t size);

// What the dialog remembers from one run to the next, starting from the values a dialog that
// could not read its own state would have.
struct StoredSettings {
    struct {
        std::int32_t left, top;
    } Location{0, 0};  // the window's top-left corner, screen pixels
    struct {
        std::int32_t width, height;
    } Size{400, 300};  // the window's outer size, frame included
    std::int32_t FileNameWidth = DefaultColumnWidths[ColumnFileName];
    std::int32_t FilePathWidth = DefaultColumnWidths[ColumnFilePath];
    std::int32_t ProjectNameWidth = DefaultColumnWidths[ColumnProjectName];
    std::int32_t ProjectPathWidth = DefaultColumnWidths[ColumnProjectPath];
    std::optional<std::u16string> Project;  // absent: "<All Projects>"
    std::optional<std::u16string> Filter;   // absent: an empty filter
    std::int32_t ViewKind = 0;              // 1 when the code view is chosen

    // The width field of list column `column` (0 to 3), in column order.
    std::int32_t& ColumnWidth(int column);
    std::int32_t ColumnWidth(int column) const;
};

// The values of the settings key, in the order they are read and written.
enum StoredValueId : std::size_t {
    StoredLocation,
    StoredSize,
    StoredFileNameWidth,  // then the other three widths, in column order
    StoredFilePathWidth,
    StoredProjectNameWidth,
    StoredProjectPathWidth,
    StoredProject,
    StoredFilter,
    StoredViewKind,
    StoredValueCount
};

// Registry types, numbered as the registry numbers them.
enum class StoredType : std::uint32_t { String = 1, Binary = 3, Dword = 4 };

struct StoredValue {
    const char16_t* name;
    StoredType type;
    std::size_t size;  // the bytes of a number; 0 for a string, which is as long as it is
};

extern const StoredValue StoredValues[StoredValueCount];

// Takes value `id` as stored, `size` bytes at `data`, or null when it is missing: a number only
// at exactly its field's size, else the field keeps its value; a string by DecodeStoredString,
// absent when missing or shorter than one unit.
void DecodeStoredValue(StoredSettings& settings, std::size_t id, const std::uint8_t* data, std::size_t size);

// Value `id` as it is written: numbers little-endian; a string with its terminator, or no bytes
// at all when absent.
std::vector<std::uint8_t> EncodeStoredValue(const StoredSettings& settings, std::size_t id);

// The project box item (ProjectList entry k is item k + 1) of the first project whose name equals
// `name` ignoring ASCII case, or -1 when none does.
std::ptrdiff_t StoredProjectItem(const Catalogue& catalogue, const std::u16string& name);

}  // namespace sprig
