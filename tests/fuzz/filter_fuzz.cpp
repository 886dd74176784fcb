// Parses arbitrary queries and matches them against arbitrary files; every wildcard term, and the
// whole outcome, is also checked against the literal procedures where they are cheap enough to run.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "catalogue/Catalogue.h"
#include "filter/Filter.h"
#include "filter/MatchRanges.h"
#include "filter/Query.h"
#include "support/LiteralFilter.h"
#include "support/LiteralWildcard.h"

namespace {

// Input: UTF-16 units; a 0xFFFF unit separates query, path, project name and project path.
std::u16string Take(const char16_t*& at, const char16_t* end) {
    const char16_t* start = at;
    while (at < end && *at != 0xFFFF) ++at;
    std::u16string piece(start, at);
    if (at < end) ++at;
    for (auto& c : piece)
        if (c == 0) c = u'*';  // texts are zero-terminated: fold stray NULs into something busy
    return piece;
}

std::size_t Stars(const char16_t* pattern) {
    std::size_t n = 0;
    for (; *pattern; ++pattern) n += *pattern == u'*';
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const char16_t* at = units.data();
    const char16_t* end = at + units.size();
    const std::u16string query = Take(at, end), path = Take(at, end), project = Take(at, end),
                         projectPath = Take(at, end);

    sprig::Catalogue catalogue;
    catalogue.ProjectList.push_back(sprig::CopyText(project));
    catalogue.ProjectPathPool.push_back(sprig::CopyText(projectPath));
    const sprig::FileEntry file =
        sprig::MakeFileEntry(path.c_str(), catalogue.ProjectList.back().get(), catalogue.ProjectPathPool.back().get());

    sprig::ParsedFilter filter;
    sprig::ParseFilter(query, filter);
    std::int32_t position = 0;
    const bool passes = sprig::FilterMatcher(filter).Matches(file, position);
    if (filter.terms.empty() && (!passes || position != -1)) std::abort();

    bool cheap = true;
    for (const sprig::FilterTerm& term : filter.terms) {
        const char16_t* text = sprig::ColumnText(file, term.column);
        cheap &= Stars(term.pattern) <= 5 && sprig::TextLength(text) <= 64;
        if (!cheap) break;
        if (term.hasWildcard && sprig::MatchWildcard(text, term.pattern, term.column) !=
                                    sprig::testing::LiteralMatchWildcard(text, term.pattern, term.column)) {
            std::abort();
        }
    }
    if (cheap && (passes ? position : -2) != sprig::testing::LiteralMatchFilter(file, filter.terms).value_or(-2)) {
        std::abort();
    }

    // The query's ranges lie in order inside each text, apart from one another.
    if (sprig::ParseQuery(query, filter) < 0) std::abort();
    std::vector<sprig::TextRange> ranges;
    for (int column = 0; column < sprig::ColumnCount; ++column) {
        const char16_t* text = sprig::ColumnText(file, column);
        sprig::MatchRanges(text, column, filter, ranges);
        std::uint32_t after = 0;
        for (const sprig::TextRange& range : ranges) {
            if (range.start < after || range.end <= range.start || range.end > sprig::TextLength(text)) std::abort();
            after = range.end + 1;
        }
    }
    return 0;
}
