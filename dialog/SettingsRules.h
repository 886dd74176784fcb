// The pure rules of the remembered dialog settings: how stored values are decoded and how a
// captured placement is kept within what the desktop allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

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

// A stored number is taken only when its size is exactly its field's (4 or 8 bytes); any other
// size leaves the field as it was. The registry type is not looked at.
std::optional<std::int32_t> DecodeInt32(const std::uint8_t* data, std::size_t size);
std::optional<std::pair<std::int32_t, std::int32_t>> DecodeInt32Pair(const std::uint8_t* data, std::size_t size);

// A stored string of `size` bytes: its whole UTF-16 units, the last of which is taken as the
// terminator whatever it holds, so a string saved with its terminator comes back whole and one
// saved without loses its last character. An odd trailing byte is dropped. Fewer than two bytes
// give no string. The text ends at its first zero unit.
std::optional<std::u16string> DecodeStoredString(const std::uint8_t* data, std::size_t size);

}  // namespace sprig
