#include "filter/ResultList.h"

#include <cstdint>

#include "filter/Filter.h"
#include "filter/Query.h"
#include "filter/SortOrder.h"

namespace sprig {
namespace {

constexpr char16_t Caption[] = u"Open File(s) in Solution";

// Appends the decimal digits of `value` at `out`; answers the end.
char16_t* AppendNumber(char16_t* out, std::uint32_t value) {
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) *out++ = digits[--n];
    return out;
}

constexpr std::int32_t NoMatch = INT32_MIN;  // below every match position

char16_t* AppendText(char16_t* out, const char16_t* text) {
    while (*text) *out++ = *text++;
    return out;
}

}  // namespace

const char16_t* ChosenProject(const Catalogue& catalogue, std::ptrdiff_t projectBoxIndex) {
    if (projectBoxIndex <= 0 || static_cast<std::size_t>(projectBoxIndex) > catalogue.ProjectList.size()) {
        return nullptr;
    }
    return catalogue.ProjectList[static_cast<std::size_t>(projectBoxIndex) - 1].get();
}

std::ptrdiff_t RebuildResultList(Catalogue& catalogue, std::u16string_view query, std::ptrdiff_t projectBoxIndex) {
    ParsedFilter filter;
    ParseQuery(query, filter);  // the line to open at is the dialog's business
    return RebuildResultList(catalogue, filter, projectBoxIndex);
}

std::ptrdiff_t RebuildResultList(Catalogue& catalogue, ParsedFilter& filter, std::ptrdiff_t projectBoxIndex) {
    const char16_t* project = ChosenProject(catalogue, projectBoxIndex);
    const std::uint16_t mask = TermMask(filter.terms);

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
            if ((project && file.projectName != project) || !MatchFilter(file, filter, mask, *position)) {
                *position = NoMatch;
                --matches;
            }
            ++position;
        }
    }
    std::vector<std::uint32_t> fewRows;
    const bool allSorted = IsSortedFor(order, catalogue.FileList, ProcessSortOrder) || matches >= fileCount / 8;
    if (allSorted) {
        SortFiles(order, catalogue.FileList, ProcessSortOrder);
    } else {
        fewRows.reserve(matches);
        for (std::uint32_t index = 0; index < fileCount; ++index) {
            if (order.positions[index] != NoMatch) fewRows.push_back(index);
        }
        SortFileIndices(fewRows, catalogue.FileList, ProcessSortOrder);
    }
    const std::vector<std::uint32_t>& sorted = allSorted ? order.files : fewRows;
    std::vector<ResultRow>& rows = catalogue.ResultList;
    rows.clear();
    rows.reserve(fileCount);
    const auto take = [&](std::uint32_t index) {
        const std::int32_t position = everyFile ? -1 : order.positions[index];
        if (position != NoMatch) rows.push_back(ResultRow{&catalogue.FileList[index], position});
    };
    if (ProcessSortOrder.descending) {
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

TitleText ResultTitle(const Catalogue& catalogue) {
    // The longest title, with two ten-digit counts, takes 51 units: the buffer never overflows.
    static_assert(sizeof(Caption) / sizeof(Caption[0]) - 1 + 2 + 10 + 4 + 10 + 1 < TitleCapacity);
    TitleText title;
    char16_t* out = AppendText(title.text, Caption);
    if (!catalogue.FileList.empty()) {
        out = AppendText(out, u" (");
        out = AppendNumber(out, static_cast<std::uint32_t>(catalogue.ResultList.size()));
        out = AppendText(out, u" of ");
        out = AppendNumber(out, static_cast<std::uint32_t>(catalogue.FileList.size()));
        out = AppendText(out, u")");
    }
    *out = u'\0';
    return title;
}

}  // namespace sprig
