// The order of the result rows: four column ids in priority order and a direction, shared by
// every dialog of the process.
#pragma once

#include <cstdint>

#include <deque>

#include "catalogue/Catalogue.h"

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

// Compares two files by the first `count` of `keys` in turn, texts compared ignoring ASCII case:
// negative when a sorts first, positive when b does, 0 when alike on those keys.
int CompareFiles(const FileEntry& a, const FileEntry& b, const std::int32_t* keys, int count);

// qsort comparator of two ResultRows by ProcessSortOrder: every key in turn, texts compared ignoring
// ASCII case, the whole result reversed when descending.
int CompareRows(const void* a, const void* b);

// Brings `order` to every file of `files`, ascending by the keys of `sortOrder`, unless it stands
// so already. After one header click the files are re-sorted by the clicked column alone, by its
// ranks, which `order` keeps unless its keepRanks is false.
// Appending to `files` is noticed by the count; files must not change otherwise (they do not
// while a catalogue is in use). Files alike on all four keys come in no particular order.
void SortFiles(FileOrder& order, const std::deque<FileEntry>& files, const SortOrder& sortOrder);

// Whether `order` stands sorted for every file of `files` by the keys of `sortOrder`.
bool IsSortedFor(const FileOrder& order, const std::deque<FileEntry>& files, const SortOrder& sortOrder);

// Sorts some files, given by their indices into `files` in catalogue order, ascending by the keys
// of `sortOrder`; files alike on all four keys come in no particular order.
void SortFileIndices(std::vector<std::uint32_t>& indices, const std::deque<FileEntry>& files,
                     const SortOrder& sortOrder);

}  // namespace sprig
