// The order of the result rows: four column ids in priority order and a direction, shared by
// every dialog of the process.
#pragma once

#include <cstdint>

#include "catalogue/FileEntry.h"

namespace sprig {

struct SortOrder {
    std::int32_t keys[ColumnCount] = {ColumnFileName, ColumnFilePath, ColumnProjectName, ColumnProjectPath};
    bool descending = false;
};

// The one instance of the process. It lives as long as the module and is neither saved nor reset
// when a dialog opens or closes, so each dialog starts with the order the last one left. Only the
// user-interface thread touches it.
extern SortOrder ProcessSortOrder;

// A click on the header of `column`: the primary column flips the direction; any other column
// moves to the front, the columns before it moving back one place, the direction unchanged. An id
// that is not a key changes nothing.
void ApplyColumnClick(SortOrder& order, int column);

// qsort comparator of two ResultRows by ProcessSortOrder: every key in turn, texts compared ignoring
// ASCII case, the whole result reversed when descending.
int CompareRows(const void* a, const void* b);

}  // namespace sprig
