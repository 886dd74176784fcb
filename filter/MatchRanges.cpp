#include "filter/MatchRanges.h"

#include <algorithm>

namespace sprig {
namespace {

// Every occurrence, found by the matcher's own search, each one searched for from the unit after
// the start of the one before, so that overlapping occurrences count too.
void AddPlainRanges(const char16_t* text, const FilterTerm& term, std::vector<TextRange>& ranges) {
    if (term.length == 0) return;
    std::uint32_t from = 0;
    for (std::int32_t found; (found = FindPlain(text + from, term)) >= 0;) {
        const std::uint32_t start = from + static_cast<std::uint32_t>(found);
        ranges.push_back(TextRange{start, start + term.length});
        from = start + 1;
    }
}

// The units that a matching wildcard pattern's literal units take, with its segments where the
// matcher places them.
void AddWildcardRanges(const char16_t* text, const FilterTerm& term, std::vector<TextRange>& ranges) {
    std::vector<std::size_t> placements;
    if (MatchWildcard(text, TextLength(text), term.pattern, term.wildcard, term.column, &placements) < 0) return;
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const WildcardPattern::Segment& segment = term.wildcard.segments[i];
        for (std::uint32_t j = 0; j < segment.length; ++j) {
            if (term.pattern[segment.start + j] == u'?') continue;
            const auto unit = static_cast<std::uint32_t>(placements[i] + j);
            ranges.push_back(TextRange{unit, unit + 1});
        }
    }
}

}  // namespace

bool HasPositiveTerm(const std::vector<FilterTerm>& terms, int column) {
    return std::any_of(terms.begin(), terms.end(),
                       [column](const FilterTerm& term) { return term.column == column && !term.negated; });
}

void MatchRanges(const char16_t* text, int column, const ParsedFilter& filter, std::vector<TextRange>& ranges) {
    ranges.clear();
    if (!text) return;
    for (const FilterTerm& term : filter.terms) {
        if (term.column != column || term.negated) continue;
        if (term.hasWildcard)
            AddWildcardRanges(text, term, ranges);
        else
            AddPlainRanges(text, term, ranges);
    }
    std::sort(ranges.begin(), ranges.end(), [](const TextRange& a, const TextRange& b) { return a.start < b.start; });
    std::size_t kept = 0;
    for (const TextRange& range : ranges) {
        if (kept > 0 && range.start <= ranges[kept - 1].end) {
            ranges[kept - 1].end = std::max(ranges[kept - 1].end, range.end);
        } else {
            ranges[kept++] = range;
        }
    }
    ranges.resize(kept);
}

}  // namespace sprig
