// The dialog's snapshot of the solution: projects, project paths, files and the shown rows.
#pragma once

#include <deque>
#include <vector>

#include "catalogue/FileEntry.h"
#include "catalogue/ResultRow.h"

namespace sprig {

// Appending never moves a FileEntry (a deque keeps references on push_back), so rows may point
// at entries; projects and paths are owned strings whose addresses are their identity.
struct Catalogue {
    std::vector<ProjectEntry> ProjectList;   // in the order of each project's first file
    std::vector<OwnedText> ProjectPathPool;  // in the order of first use
    std::deque<FileEntry> FileList;          // in walk order
    std::vector<ResultRow> ResultList;       // rows on screen, in screen order
};

// Frees every catalogue string and empties all four containers (array storage is kept).
void ClearCatalogue(Catalogue& catalogue);

// Sorts ProjectList ascending, ignoring ASCII case; moves only the pointers.
void SortProjectList(Catalogue& catalogue);

}  // namespace sprig
