#include "filter/ResultList.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "filter/Filter.h"
#include "filter/Query.h"
#include "filter/SortOrder.h"

namespace sprig {
namespace {

constexpr std::int32_t NoMatch = INT32_MIN;  // below every match position

}  // namespace

const char16_t* ChosenProject(const Catalogue& catalogue, std::ptrdiff_t projectBoxIndex) {
    if (projectBoxIndex <= 0 || static_cast<std::size_t>(projectBoxIndex) > catalogue.ProjectList.size()) {
        return nullptr;
    }
    return catalogue.ProjectList[static_cast<std::size_t>(projectBoxIndex) - 1].get();
}

std::ptrdiff_t RebuildResultList(Catalogue& catalogue, std::u16string_view query, std::ptrdiff_t projectBoxIndex,
                                 const SortOrder& sortOrder) {
    ParsedFilter filter;
    ParseQuery(query, filter);  // the line to open at is the dialog's business
    return RebuildResultList(catalogue, filter, projectBoxIndex, sortOrder);
}

namespace {

// Whether the rows on screen hold every row that `filter` and `project` let through, in the order
// of `sortOrder`: a query that only narrows the one they were made for, over the same files, in
// the same order.
bool NarrowsShown(const Catalogue& catalogue, const ParsedFilter& filter, const char16_t* project,
                  const SortOrder& sortOrder) {
    // Each term of one query is compared with each of the other: past this many terms that costs
    // more than it is likely to save.
    constexpr std::size_t MostTerms = 64;
    const ShownRows& shown = catalogue.shown;
    return shown.filter && filter.terms.size() <= MostTerms && shown.filter->terms.size() <= MostTerms &&
           shown.files == catalogue.FileList.size() && (!shown.project || shown.project == project) &&
           std::equal(sortOrder.keys, sortOrder.keys + ColumnCount, shown.keys) &&
           shown.descending == sortOrder.descending && Narrows(filter, *shown.filter);
}

void RememberShown(Catalogue& catalogue, const ParsedFilter& filter, const char16_t* project,
                   const SortOrder& sortOrder, bool rowsKept) {
    ShownRows& shown = catalogue.shown;
    shown.filter = std::make_shared<const ParsedFilter>(CopyFilter(filter));
    shown.project = project;
    shown.files = catalogue.FileList.size();
    std::copy(sortOrder.keys, sortOrder.keys + ColumnCount, shown.keys);
    shown.descending = sortOrder.descending;
    shown.rowsKept = rowsKept;
}

// Tests again the files whose positions are not NoMatch, in catalogue order, and sets the
// position of each that fails `passes` to NoMatch. They lie apart in memory, so each file's entry
// is asked for several files ahead, and its text once the entry is there: the waits overlap.
template <class Passes>
void TestKeptFiles(const std::deque<FileEntry>& files, std::vector<std::int32_t>& positions, Passes&& passes) {
    constexpr std::size_t Ahead = 16;  // a power of two: the ring of coming files
    const std::size_t count = files.size();
    std::size_t ring[Ahead];
    std::size_t next = 0;  // the next file to look for
    const auto find = [&] {
        while (next < count && positions[next] == NoMatch) ++next;
        return next++;
    };
    for (std::size_t k = 0; k < Ahead; ++k) {
        ring[k] = find();
        if (ring[k] < count) __builtin_prefetch(&files[ring[k]]);
    }
    for (std::size_t k = 0;; ++k) {
        const std::size_t index = ring[k % Ahead];
        if (index >= count) break;
        const std::size_t half = ring[(k + Ahead / 2) % Ahead];
        if (half < count) __builtin_prefetch(files[half].path + files[half].nameOffset);
        ring[k % Ahead] = find();
        if (ring[k % Ahead] < count) __builtin_prefetch(&files[ring[k % Ahead]]);
        if (!passes(files[index], positions[index])) positions[index] = NoMatch;
    }
}

}  // namespace

std::ptrdiff_t RebuildResultList(Catalogue& catalogue, const ParsedFilter& filter, std::ptrdiff_t projectBoxIndex,
                                 const SortOrder& sortOrder) {
    const char16_t* project = ChosenProject(catalogue, projectBoxIndex);
    FilterMatcher matcher(filter);
    std::vector<ResultRow>& rows = catalogue.ResultList;
    FileOrder& order = catalogue.sortedFiles;
    const std::size_t fileCount = catalogue.FileList.size();
    const auto passes = [&](const FileEntry& file, std::int32_t& position) {
        return (!project || file.projectName == project) && matcher.Matches(file, position);
    };

    // A query that only narrows the one on screen (a unit typed at the end of a term, a term
    // added, a project chosen) can pass none but the rows on screen, which stand in order
    // already. Those files are tested in catalogue order, through memory as they lie (in screen
    // order they lie all over it), and the rows that still pass are kept where they stand.
    if (catalogue.shown.rowsKept && NarrowsShown(catalogue, filter, project, sortOrder)) {
        TestKeptFiles(catalogue.FileList, order.positions, passes);
        std::size_t kept = 0;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const std::uint32_t index = order.rows[row];
            if (order.positions[index] == NoMatch) continue;
            rows[kept] = ResultRow{rows[row].file, order.positions[index]};
            order.rows[kept++] = index;
        }
        rows.resize(kept);
        order.rows.resize(kept);
        RememberShown(catalogue, filter, project, sortOrder, true);
        return BestRow(rows);
    }

    // The matching pass runs in catalogue order, through memory as it lies. The rows are then
    // taken in the order of all files sorted once per set of keys (so that a keystroke sorts
    // nothing), backwards for the descending direction; until that order is made, a query that
    // passes few files has only its rows sorted, which costs far less than sorting them all.
    const bool everyFile = filter.terms.empty() && !project;
    std::size_t matches = fileCount;
    if (!everyFile) {
        order.positions.resize(fileCount);
        std::int32_t* position = order.positions.data();
        for (const FileEntry& file : catalogue.FileList) {
            if (!passes(file, *position)) {
                *position = NoMatch;
                --matches;
            }
            ++position;
        }
    }
    // Sorting rows costs about the same per row whether they are a query's few or all the files (a
    // radix sort, a few units a step), so a query that passes an eighth of the files sorts its
    // rows for about an eighth of the full sort. Below that the full sort is put off, as typing
    // mostly narrows; a broader query pays for it once, and the keystrokes after it sort nothing.
    std::vector<std::uint32_t> fewRows;
    const bool allSorted = IsSortedFor(order, catalogue.FileList, sortOrder) || matches >= fileCount / 8;
    if (allSorted) {
        SortFiles(order, catalogue.FileList, sortOrder);
    } else {
        fewRows.reserve(matches);
        for (std::uint32_t index = 0; index < fileCount; ++index) {
            if (order.positions[index] != NoMatch) fewRows.push_back(index);
        }
        SortFileIndices(fewRows, catalogue.FileList, sortOrder);
    }
    const std::vector<std::uint32_t>& sorted = allSorted ? order.files : fewRows;
    rows.clear();
    rows.reserve(fileCount);
    order.rows.clear();
    order.rows.reserve(fileCount);
    const auto take = [&](std::uint32_t index) {
        const std::int32_t position = everyFile ? -1 : order.positions[index];
        if (position == NoMatch) return;
        rows.push_back(ResultRow{&catalogue.FileList[index], position});
        order.rows.push_back(index);
    };
    if (sortOrder.descending) {
        for (std::size_t i = sorted.size(); i-- > 0;) take(sorted[i]);
    } else {
        for (const std::uint32_t index : sorted) take(index);
    }
    RememberShown(catalogue, filter, project, sortOrder, !everyFile);
    return BestRow(rows);
}

std::ptrdiff_t BestRow(const std::vector<ResultRow>& rows) {
    std::ptrdiff_t best = -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (best < 0 || rows[i].position < rows[static_cast<std::size_t>(best)].position) {
            best = static_cast<std::ptrdiff_t>(i);
        }
    }
    return best;
}

}  // namespace sprig
