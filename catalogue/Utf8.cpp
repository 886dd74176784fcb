#include "catalogue/Utf8.h"

#include <cstdint>
#include <cstring>

namespace sprig {
namespace {

// Four ASCII bytes, the low half of `bytes` in memory order, as four UTF-16 units in memory
// order: each byte moved into a 16-bit lane of its own. The lanes are in memory order on a
// little-endian machine, which every target of this code is.
std::uint64_t Widened(std::uint64_t bytes) {
    bytes &= 0xFFFFFFFFu;
    bytes = (bytes | bytes << 16) & 0x0000FFFF0000FFFFu;
    return (bytes | bytes << 8) & 0x00FF00FF00FF00FFu;
}

}  // namespace

bool DecodeUtf8(std::string_view bytes, char16_t*& to) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Runs of ASCII, most of any path, go eight bytes at a step, then one at a time.
        for (std::uint64_t eight; end - p >= 8; p += 8, to += 8) {
            std::memcpy(&eight, p, 8);
            if (eight & 0x8080808080808080u) break;
            const std::uint64_t units[2] = {Widened(eight), Widened(eight >> 32)};
            std::memcpy(to, units, sizeof units);
        }
        while (p < end && *p < 0x80) *to++ = *p++;
        if (p == end) break;
        const unsigned lead = *p++;
        // The length of the sequence and the range its second byte must fall in (this range is
        // what excludes overlong forms, surrogates and values past U+10FFFF).
        int more;
        unsigned low = 0x80, high = 0xBF, value;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1, value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2, value = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3, value = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (end - p < more) return false;
        for (int i = 0; i < more; ++i, ++p) {
            if (*p < low || *p > high) return false;
            low = 0x80, high = 0xBF;
            value = value << 6 | (*p & 0x3F);
        }
        // Four bytes make two units: still no more units than bytes.
        if (value >= 0x10000) {
            value -= 0x10000;
            *to++ = static_cast<char16_t>(0xD800 + (value >> 10));
            *to++ = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        } else {
            *to++ = static_cast<char16_t>(value);
        }
    }
    return true;
}

bool AppendUtf16(std::string_view bytes, std::u16string& out) {
    // Never more units than bytes: room for all of them first, the unused rest cut off at the end.
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t* to = &out[0] + start;
    const bool wellFormed = DecodeUtf8(bytes, to);
    out.resize(static_cast<std::size_t>(to - out.data()));
    return wellFormed;
}

char* EncodeUtf8(char16_t unit, char16_t next, char* to, bool& pair) {
    unsigned value = unit;
    pair = false;
    if (value >= 0xD800 && value <= 0xDFFF) {
        pair = value <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF;
        value = pair ? 0x10000 + ((value - 0xD800) << 10) + (next - 0xDC00) : 0xFFFD;
    }
    if (value < 0x80) {
        *to++ = static_cast<char>(value);
    } else if (value < 0x800) {
        *to++ = static_cast<char>(0xC0 | value >> 6);
        *to++ = static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        *to++ = static_cast<char>(0xE0 | value >> 12);
        *to++ = static_cast<char>(0x80 | (value >> 6 & 0x3F));
        *to++ = static_cast<char>(0x80 | (value & 0x3F));
    } else {
        *to++ = static_cast<char>(0xF0 | value >> 18);
        *to++ = static_cast<char>(0x80 | (value >> 12 & 0x3F));
        *to++ = static_cast<char>(0x80 | (value >> 6 & 0x3F));
        *to++ = static_cast<char>(0x80 | (value & 0x3F));
    }
    return to;
}

void AppendUtf8(std::u16string_view text, std::string& out) {
    // Never more than three bytes a unit (a pair of units makes four): room for the most first,
    // the unused rest cut off at the end.
    const std::size_t start = out.size();
    out.resize(start + 3 * text.size());
    char* to = &out[0] + start;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x80) {
            *to++ = static_cast<char>(text[i]);
            continue;
        }
        bool pair;
        to = EncodeUtf8(text[i], i + 1 < text.size() ? text[i + 1] : u'\0', to, pair);
        i += pair;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    AppendUtf8(text, out);
    return out;
}

}  // namespace sprig
