#include "dialog/core/TextCut.h"

#include "catalogue/Catalogue.h"

namespace sprig {
namespace {

bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::size_t KeptTail(const char16_t* text, std::size_t length, int column) {
    if (column == ColumnProjectName) return length;
    for (std::size_t i = length; i-- > 0;) {
        if (column == ColumnFileName ? text[i] == u'.' : text[i] == u'\\' || text[i] == u'/') {
            return column == ColumnFileName && i == 0 ? length : i;
        }
    }
    return length;
}

TextCut CutText(const char16_t* text, const int* edges, std::size_t length, int dots, int room, std::size_t kept) {
    const auto before = [&](std::size_t unit) { return unit == 0 ? 0 : edges[unit - 1]; };
    const int total = before(length);
    if (total <= room) return {length, length};
    // The kept part whole at the end when it fits with the dots; else as many last units as fit.
    std::size_t tail = kept < length ? kept : length;
    if (tail < length && dots + total - before(tail) > room) {
        tail = length;
        while (tail > 0 && dots + total - before(tail - 1) <= room) --tail;
        if (tail < length && IsLowSurrogate(text[tail])) ++tail;
        return {0, tail};
    }
    // Then as many leading units as leave room for the dots and the tail.
    const int after = dots + total - before(tail);
    std::size_t head = 0;
    while (head < tail && edges[head] + after <= room) ++head;
    if (head > 0 && head < length && IsLowSurrogate(text[head])) --head;
    return {head, tail};
}

}  // namespace sprig
