#include "filter/SortOrder.h"

#include "catalogue/ResultRow.h"

namespace sprig {

SortOrder ProcessSortOrder;

void ApplyColumnClick(SortOrder& order, int column) {
    int place = 0;
    while (place < ColumnCount && order.keys[place] != column) ++place;
    if (place == ColumnCount) return;
    if (place == 0) {
        order.descending = !order.descending;
        return;
    }
    for (; place > 0; --place) order.keys[place] = order.keys[place - 1];
    order.keys[0] = column;
}

int CompareRows(const void* a, const void* b) {
    const FileEntry& fa = *static_cast<const ResultRow*>(a)->file;
    const FileEntry& fb = *static_cast<const ResultRow*>(b)->file;
    int result = 0;
    for (const std::int32_t key : ProcessSortOrder.keys) {
        const char16_t* ta = ColumnText(fa, key);
        const char16_t* tb = ColumnText(fb, key);
        // Project names and paths are shared strings: the same pointer is the same text.
        if (ta == tb) continue;
        result = CompareIgnoringAsciiCase(ta, tb);
        if (result != 0) break;
    }
    return ProcessSortOrder.descending ? -result : result;
}

}  // namespace sprig
