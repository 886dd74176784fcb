#include "filter/ResultList.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "filter/Filter.h"
#include "filter/JobRunner.h"
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
                                 const SortOrder& sortOrder, JobRunner* threads) {
    ParsedFilter filter;
    ParseQuery(query, filter);  // the line to open at is the dialog's business
    return RebuildResultList(catalogue, filter, projectBoxIndex, sortOrder, threads);
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

// The slices that `items` items of work are cut into, each of the runner's floor at least: a few
// for each thread, which the threads take in turn as they come free, so that a thread that the
// system keeps waiting (the machine's other work) holds up a small slice at most.
std::size_t SliceCount(JobRunner* threads, std::size_t items) {
    constexpr std::size_t SlicesPerThread = 4;
    if (!threads || threads->Threads() <= 1) return 1;
    return std::max<std::size_t>(
        1, std::min(SlicesPerThread * threads->Threads(), items / std::max<std::size_t>(1, threads->sliceFloor)));
}

// Where slice `slice` of `slices` over `items` items begins; slice `slices` begins at the end.
std::size_t SliceStart(std::size_t items, std::size_t slices, std::size_t slice) {
    return static_cast<std::size_t>(static_cast<unsigned long long>(items) * slice / slices);
}

// Files are tested in catalogue order, through memory as they lie, with each file's text asked
// for this many files ahead so that the waits overlap.
constexpr std::size_t Ahead = 16;  // a power of two: the ring of coming files

void AskForText(const FileEntry& file) { __builtin_prefetch(file.path + file.nameOffset); }

// Tests files [begin, end) and sets each one's position: where it passes `passes`, else NoMatch.
// With `keptOnly`, files whose positions are NoMatch already are passed over. Answers how many
// pass.
template <bool KeptOnly, class Passes>
std::size_t TestFiles(const std::deque<FileEntry>& files, std::size_t begin, std::size_t end,
                      std::vector<std::int32_t>& positions, Passes&& passes) {
    std::size_t passed = 0;
    auto file = files.begin() + static_cast<std::ptrdiff_t>(begin);
    auto ahead = file;
    for (std::size_t k = 0; k < Ahead && begin + k < end; ++k) AskForText(*ahead++);
    for (std::size_t index = begin; index < end; ++index, ++file) {
        if (index + Ahead < end) {
            // A file passed over needs no text.
            if (!KeptOnly || positions[index + Ahead] != NoMatch) AskForText(*ahead);
            ++ahead;
        }
        std::int32_t& position = positions[index];
        if (KeptOnly && position == NoMatch) continue;
        if (passes(*file, position)) {
            ++passed;
        } else {
            position = NoMatch;
        }
    }
    return passed;
}

// Tests again the files of [begin, end) whose positions are not NoMatch, in catalogue order, and
// sets the position of each that fails `passes` to NoMatch. They lie apart in memory, so they are
// taken a batch at a time: the batch's entries are read, then the first unit of each one's text,
// before any file is tested, so that the waits for them overlap (a read that nothing waits for
// yet, where the processor has no instruction to ask for memory ahead).
template <class Passes>
void TestKeptFiles(const std::deque<FileEntry>& files, std::size_t begin, std::size_t end,
                   std::vector<std::int32_t>& positions, Passes&& passes) {
    constexpr std::size_t Batch = 16;
    std::size_t indices[Batch];
    const FileEntry* entries[Batch];
    for (std::size_t next = begin;;) {
        std::size_t count = 0;
        for (; count < Batch && next < end; ++next) {
            if (positions[next] != NoMatch) indices[count++] = next;
        }
        if (count == 0) return;
        for (std::size_t k = 0; k < count; ++k) entries[k] = &files[indices[k]];
        char16_t units = 0;
        for (std::size_t k = 0; k < count; ++k) units |= entries[k]->path[entries[k]->nameOffset];
        asm volatile("" : : "r"(units));  // the reads are made though nothing uses them
        for (std::size_t k = 0; k < count; ++k) {
            if (!passes(*entries[k], positions[indices[k]])) positions[indices[k]] = NoMatch;
        }
    }
}

// The row to select among rows offered in order: the first of those with the smallest position.
struct BestSoFar {
    std::ptrdiff_t row = -1;
    std::int32_t position = 0;

    void Offer(std::size_t at, std::int32_t atPosition) {
        if (row < 0 || atPosition < position) {
            row = static_cast<std::ptrdiff_t>(at);
            position = atPosition;
        }
    }
};

// The rows one slice wrote: `count` of them from `start` on, and the best among them by their
// place from `start`.
struct SliceRows {
    std::size_t start = 0, count = 0;
    BestSoFar best;
};

// Rows are written in slices, each from its own start, and the slices then closed up, so that the
// rows end up side by side from 0. Answers the row to select.
std::ptrdiff_t CloseUp(std::vector<ResultRow>& rows, std::vector<std::uint32_t>& indices,
                       const std::vector<SliceRows>& slices) {
    BestSoFar best;
    std::size_t end = 0;
    for (const SliceRows& slice : slices) {
        if (slice.start != end) {
            std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(slice.start), slice.count,
                        rows.begin() + static_cast<std::ptrdiff_t>(end));
            std::copy_n(indices.begin() + static_cast<std::ptrdiff_t>(slice.start), slice.count,
                        indices.begin() + static_cast<std::ptrdiff_t>(end));
        }
        if (slice.best.row >= 0) best.Offer(end + static_cast<std::size_t>(slice.best.row), slice.best.position);
        end += slice.count;
    }
    rows.resize(end);
    indices.resize(end);
    return best.row;
}

// Rows are written without a branch on whether a file passed: a row is written in any case and
// counted only when it passed, so that whether the next file passes is never guessed.

// Keeps, where they stand, the rows of [begin, end) whose files still pass (positions not
// NoMatch), with their new positions, side by side from `begin`.
SliceRows KeepPassingRows(std::vector<ResultRow>& rows, FileOrder& order, std::size_t begin, std::size_t end) {
    SliceRows slice;
    slice.start = begin;
    std::size_t kept = begin;
    for (std::size_t row = begin; row < end; ++row) {
        const std::uint32_t index = order.rows[row];
        const std::int32_t position = order.positions[index];
        rows[kept] = ResultRow{rows[row].file, position};
        order.rows[kept] = index;
        if (position != NoMatch) slice.best.Offer(kept - begin, position);
        kept += position != NoMatch;
    }
    slice.count = kept - begin;
    return slice;
}

// Writes from `first` on the rows of the files that passed among sorted[first, last) (read from
// the end of `sorted` for the descending direction), in that order.
SliceRows TakeRows(const std::deque<FileEntry>& files, const std::vector<std::uint32_t>& sorted, bool descending,
                   const std::vector<std::int32_t>* positions, std::size_t first, std::size_t last,
                   std::vector<ResultRow>& rows, std::vector<std::uint32_t>& indices) {
    const std::size_t count = sorted.size();
    const auto at = [&](std::size_t i) { return sorted[descending ? count - 1 - i : i]; };
    SliceRows slice;
    slice.start = first;
    std::size_t taken = first;
    for (std::size_t i = first; i < last; ++i) {
        const std::uint32_t index = at(i);
        if (positions && i + 4 * Ahead < last) __builtin_prefetch(&(*positions)[at(i + 4 * Ahead)]);
        const std::int32_t position = positions ? (*positions)[index] : -1;
        rows[taken] = ResultRow{&files[index], position};
        indices[taken] = index;
        if (position != NoMatch) slice.best.Offer(taken - first, position);
        taken += position != NoMatch;
    }
    slice.count = taken - first;
    return slice;
}

}  // namespace

std::ptrdiff_t RebuildResultList(Catalogue& catalogue, const ParsedFilter& filter, std::ptrdiff_t projectBoxIndex,
                                 const SortOrder& sortOrder, JobRunner* threads) {
    const char16_t* project = ChosenProject(catalogue, projectBoxIndex);
    std::vector<ResultRow>& rows = catalogue.ResultList;
    FileOrder& order = catalogue.sortedFiles;
    const std::deque<FileEntry>& files = catalogue.FileList;
    const std::size_t fileCount = files.size();
    // Each slice tests its files with a matcher of its own.
    const auto passer = [&](FilterMatcher& matcher) {
        return [&](const FileEntry& file, std::int32_t& position) {
            return (!project || file.projectName == project) && matcher.Matches(file, position);
        };
    };
    const bool narrows = catalogue.shown.rowsKept && NarrowsShown(catalogue, filter, project, sortOrder);
    // The positions change below: until the refresh ends, they are not the shown rows' ones.
    catalogue.shown.rowsKept = false;

    // A query that only narrows the one on screen (a unit typed at the end of a term, a term
    // added, a project chosen) can pass none but the rows on screen, which stand in order
    // already. Those files are tested in catalogue order, through memory as they lie (in screen
    // order they lie all over it), and the rows that still pass are kept where they stand.
    if (narrows) {
        const std::size_t shownRows = rows.size();
        const std::size_t slices = SliceCount(threads, shownRows);
        // Where the rows are many, their files lie close together, and going through all files
        // in turn is the quicker way to them.
        const bool dense = shownRows >= fileCount / 4;
        RunSlices(threads, slices, [&](std::size_t slice) {
            FilterMatcher matcher(filter);
            const std::size_t begin = SliceStart(fileCount, slices, slice),
                              end = SliceStart(fileCount, slices, slice + 1);
            if (dense) {
                TestFiles<true>(files, begin, end, order.positions, passer(matcher));
            } else {
                TestKeptFiles(files, begin, end, order.positions, passer(matcher));
            }
        });
        std::vector<SliceRows> kept(slices);
        RunSlices(threads, slices, [&](std::size_t slice) {
            kept[slice] = KeepPassingRows(rows, order, SliceStart(shownRows, slices, slice),
                                          SliceStart(shownRows, slices, slice + 1));
        });
        const std::ptrdiff_t best = CloseUp(rows, order.rows, kept);
        RememberShown(catalogue, filter, project, sortOrder, true);
        return best;
    }

    // The matching pass runs in catalogue order, through memory as it lies. The rows are then
    // taken in the order of all files sorted once per set of keys (so that a keystroke sorts
    // nothing), backwards for the descending direction; until that order is made, a query that
    // passes few files has only its rows sorted, which costs far less than sorting them all.
    const bool everyFile = filter.terms.empty() && !project;
    std::size_t matches = fileCount;
    if (!everyFile) {
        order.positions.resize(fileCount);
        const std::size_t slices = SliceCount(threads, fileCount);
        std::vector<std::size_t> passed(slices);
        RunSlices(threads, slices, [&](std::size_t slice) {
            FilterMatcher matcher(filter);
            passed[slice] =
                TestFiles<false>(files, SliceStart(fileCount, slices, slice), SliceStart(fileCount, slices, slice + 1),
                                 order.positions, passer(matcher));
        });
        matches = 0;
        for (const std::size_t count : passed) matches += count;
    }
    // Sorting rows costs about the same per row whether they are a query's few or all the files
    // (ranks made from their texts, then counting sorts), so a query that passes an eighth of the
    // files sorts its rows for about an eighth of the full sort. Below that the full sort is put
    // off, as typing mostly narrows; a broader query pays for it once, and the keystrokes after it
    // sort nothing.
    std::vector<std::uint32_t> fewRows;
    const bool allSorted = IsSortedFor(order, files, sortOrder) || matches >= fileCount / 8;
    if (allSorted) {
        SortFiles(order, files, sortOrder);
    } else {
        fewRows.reserve(matches);
        for (std::uint32_t index = 0; index < fileCount; ++index) {
            if (order.positions[index] != NoMatch) fewRows.push_back(index);
        }
        SortFileIndices(fewRows, files, sortOrder);
    }
    const std::vector<std::uint32_t>& sorted = allSorted ? order.files : fewRows;
    rows.reserve(fileCount);
    rows.resize(sorted.size());
    order.rows.reserve(fileCount);
    order.rows.resize(sorted.size());
    const std::size_t slices = SliceCount(threads, sorted.size());
    std::vector<SliceRows> taken(slices);
    RunSlices(threads, slices, [&](std::size_t slice) {
        taken[slice] = TakeRows(files, sorted, sortOrder.descending, everyFile ? nullptr : &order.positions,
                                SliceStart(sorted.size(), slices, slice), SliceStart(sorted.size(), slices, slice + 1),
                                rows, order.rows);
    });
    const std::ptrdiff_t best = CloseUp(rows, order.rows, taken);
    RememberShown(catalogue, filter, project, sortOrder, !everyFile);
    return best;
}

}  // namespace sprig
