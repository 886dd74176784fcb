// Which units of a shown text the filter's terms matched, so that the list can draw them apart.
// Computed only for the cells being painted, from the terms the rows were filtered with; the
// refresh itself never looks for ranges.
#pragma once

#include <cstdint>
#include <vector>

#include "filter/Filter.h"

namespace sprig {

// Units [start, end) of a text.
struct TextRange {
    std::uint32_t start, end;
    bool operator==(const TextRange& other) const { return start == other.start && end == other.end; }
};

// Whether some term that is not negated tests `column`: only then can a text of that column hold
// ranges.
bool HasPositiveTerm(const std::vector<FilterTerm>& terms, int column);

// Replaces `ranges` with the units of `text`, the text of `column` of one file, that the terms
// testing `column` matched: every occurrence of a plain term, overlapping ones included, and the
// units that the literal units (neither "*" nor "?") of a wildcard term matched, each star taking
// as few units as it can. Negated terms and terms that do not hold add nothing. The ranges come
// sorted, with overlapping and touching ones joined.
void MatchRanges(const char16_t* text, int column, const ParsedFilter& filter, std::vector<TextRange>& ranges);

}  // namespace sprig
