#include "filter/ResultList.h"

#include <cstdint>

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

std::ptrdiff_t RebuildResultList(Catalogue& catalogue, const ParsedFilter& filter, std::ptrdiff_t projectBoxIndex,
                                 const SortOrder& sortOrder) {
    const char16_t* project = ChosenProject(catalogue, projectBoxIndex);
    FilterMatcher matcher(filter);

    // The matching pass runs in catalogue order, through memory as it lies. The rows are then
    // taken in the order of all files sorted once per set of keys (so that a keystroke sorts
    // nothing), backwards for the descending direction; until that order is made, a query that
    // passes few files has only its rows sorted, which costs far less than sorting them all.
    FileOrder& order = catalogue.sortedFiles;
    const std::size_t fileCount = catalogue.FileList.size();
    const bool everyFile = filter.terms.empty() && !project;
    std::size_t matches = fileCount;
    if (!everyFile) {
        order.positions.resize(fileCount);
        std::int32_t* position = order.positions.data();
        for (const FileEntry& file : catalogue.FileList) {
            if ((project && file.projectName != project) || !matcher.Matches(file, *position)) {
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
    std::vector<ResultRow>& rows = catalogue.ResultList;
    rows.clear();
    rows.reserve(fileCount);
    const auto take = [&](std::uint32_t index) {
        const std::int32_t position = everyFile ? -1 : order.positions[index];
        if (position != NoMatch) rows.push_back(ResultRow{&catalogue.FileList[index], position});
    };
    if (sortOrder.descending) {
        for (std::size_t i = sorted.size(); i-- > 0;) take(sorted[i]);
    } else {
        for (const std::uint32_t index : sorted) take(index);
    }
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
