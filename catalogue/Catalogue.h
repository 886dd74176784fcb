// The dialog's snapshot of the solution: projects, project paths, files and the shown rows.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "catalogue/FileEntry.h"
#include "catalogue/ResultRow.h"

namespace sprig {

struct ParsedFilter;

// Texts side by side in large blocks, instead of one heap block each: a million paths take a few
// hundred allocations, none of them large. A text stays in place until Clear.
class TextStore {
public:
    // A zero-terminated copy of `text`.
    const char16_t* Add(std::u16string_view text);
    void Clear();

private:
    std::vector<OwnedText> blocks_;
    char16_t* free_ = nullptr;  // room left in the block being filled
    std::size_t left_ = 0;
};

// FileList in the order of one set of sort keys, ascending; read backwards for the descending
// direction. The result list filters in this order, so that a keystroke sorts nothing.
struct FileOrder {
    std::vector<std::uint32_t> files;                   // indices into FileList
    std::int32_t keys[ColumnCount] = {-1, -1, -1, -1};  // -1: not sorted yet
    std::vector<std::int32_t> positions;                // the matching pass's work space, by FileList index
    std::vector<std::uint32_t> rows;                    // the FileList index of each row of ResultList
    // Each column's rank of every file by FileList index, once known (empty before): files alike
    // in the column share a rank, and ranks ascend in the column's order. They make a header
    // click a counting sort; where no click follows (the query tool), they are not kept.
    std::vector<std::uint32_t> ranks[ColumnCount];
    bool keepRanks = true;
};

// What made the rows on screen, kept by the result list: a query that only narrows that one needs
// to test those rows alone. Without a filter nothing is known, and the next refresh tests every
// file.
struct ShownRows {
    std::shared_ptr<const ParsedFilter> filter;         // a copy that owns its text
    const char16_t* project = nullptr;                  // the chosen project, null for all
    std::size_t files = 0;                              // FileList's size then: later files were never tested
    std::int32_t keys[ColumnCount] = {-1, -1, -1, -1};  // the sort order then
    bool descending = false;
    // FileOrder's positions hold the rows' positions (NoMatch elsewhere) and its rows their files.
    bool rowsKept = false;
};

// Appending never moves a FileEntry (a deque keeps references on push_back), so rows may point
// at entries; projects and paths are owned strings whose addresses are their identity.
struct Catalogue {
    std::vector<ProjectEntry> ProjectList;   // in the order of each project's first file
    std::vector<OwnedText> ProjectPathPool;  // in the order of first use
    TextStore pathText;                      // the paths of FileList
    std::deque<FileEntry> FileList;          // in walk order
    std::vector<ResultRow> ResultList;       // rows on screen, in screen order
    FileOrder sortedFiles;                   // kept by the result list between refreshes
    ShownRows shown;                         // kept by the result list between refreshes
};

// Appends a file whose path is a copy of `path` to FileList; `projectName` and `projectPath` are
// strings the catalogue holds already.
const FileEntry& AddFile(Catalogue& catalogue, std::u16string_view path, const char16_t* projectName,
                         const char16_t* projectPath);

// Frees every catalogue string and empties all four containers and the sorted order (array
// storage is kept).
void ClearCatalogue(Catalogue& catalogue);

// Sorts ProjectList ascending, ignoring ASCII case; moves only the pointers.
void SortProjectList(Catalogue& catalogue);

}  // namespace sprig
