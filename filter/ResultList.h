// Rebuilding the shown rows from the catalogue, the typed query and the chosen project.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalogue/Catalogue.h"

namespace sprig {

class JobRunner;
struct ParsedFilter;
struct SortOrder;

// The project that item `projectBoxIndex` of the project box stands for (item k + 1 is
// ProjectList entry k), or null for "<All Projects>", no selection or an index out of range.
const char16_t* ChosenProject(const Catalogue& catalogue, std::ptrdiff_t projectBoxIndex);

// Rebuilds ResultList: the files of the chosen project (by identity of its string, never by
// text) that pass `query`, in the order of `sortOrder` (files alike on all four keys in no
// particular order). Answers the row to select, or -1 when there are no rows. The query is read
// by ParseQuery: a line after the last name term asks nothing of the rows. With `threads`, the
// files are tested and the rows written in slices side by side; the rows are the same.
std::ptrdiff_t RebuildResultList(Catalogue& catalogue, std::u16string_view query, std::ptrdiff_t projectBoxIndex,
                                 const SortOrder& sortOrder, JobRunner* threads = nullptr);
// The same for a query that ParseQuery has already read, so that a caller that keeps the parse
// (the dialog, for its marks and its line) reads each keystroke's text once.
std::ptrdiff_t RebuildResultList(Catalogue& catalogue, const ParsedFilter& filter, std::ptrdiff_t projectBoxIndex,
                                 const SortOrder& sortOrder, JobRunner* threads = nullptr);

}  // namespace sprig
