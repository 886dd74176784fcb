#include "filter/ResultList.h"

#include <cstdlib>

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
    const char16_t* project = ChosenProject(catalogue, projectBoxIndex);
    ParsedFilter filter;
    ParseQuery(query, filter);  // the line to open at is the dialog's business
    const std::uint16_t mask = TermMask(filter.terms);

    std::vector<ResultRow>& rows = catalogue.ResultList;
    rows.clear();
    rows.reserve(catalogue.FileList.size());
    for (const FileEntry& file : catalogue.FileList) {
        if (project && file.projectName != project) continue;
        std::int32_t position;
        if (MatchFilter(file, filter, mask, position)) rows.push_back(ResultRow{&file, position});
    }
    if (rows.size() >= 2) std::qsort(rows.data(), rows.size(), sizeof(ResultRow), CompareRows);
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
