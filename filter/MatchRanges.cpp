#include "filter/MatchRanges.h"

#include <algorithm>

namespace sprig {
namespace {

bool IsNegated(TermKind kind) { return kind == TermKind::AndNot || kind == TermKind::OrNot; }

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

// Whether the piece of `length` pattern units (no star among them) matches the text there.
bool PieceFits(const char16_t* text, const char16_t* piece, std::size_t length, TermField field) {
    for (std::size_t j = 0; j < length; ++j) {
        if (piece[j] != u'?' && FoldChar(text[j], field) != piece[j]) return false;
    }
    return true;
}

// The units that a matching wildcard pattern's literal units take. The pieces between the stars
// lie where the matcher's procedure puts them: the first at the start, the last at the end unless
// a star ends the pattern, and each other piece at its leftmost fit behind the one before. (At a
// star the procedure keeps the first start from which the rest of the pattern matches; when the
// whole pattern matches, a piece that fits earlier never leaves the pieces behind it less room,
// so that start is the piece's own leftmost fit.)
void AddWildcardRanges(const char16_t* text, const FilterTerm& term, WildcardScratch& scratch,
                       std::vector<TextRange>& ranges) {
    if (MatchWildcard(text, term.pattern, term.field, scratch) < 0) return;
    const std::size_t n = TextLength(text);
    const char16_t* pattern = term.pattern;
    std::size_t next = 0;  // where the next piece may start
    bool afterStar = false;
    for (std::size_t i = 0; pattern[i] != u'\0';) {
        if (pattern[i] == u'*') {
            afterStar = true;
            ++i;
            continue;
        }
        std::size_t length = 0;
        while (pattern[i + length] != u'\0' && pattern[i + length] != u'*') ++length;
        std::size_t at = next;
        if (afterStar && pattern[i + length] == u'\0') {
            at = n - length;  // the match guarantees that the last piece fits at the end
        } else if (afterStar) {
            while (at + length <= n && !PieceFits(text + at, pattern + i, length, term.field)) ++at;
            if (at + length > n) return;  // cannot happen once the pattern matched
        }
        for (std::size_t j = 0; j < length; ++j) {
            if (pattern[i + j] != u'?') {
                const auto unit = static_cast<std::uint32_t>(at + j);
                ranges.push_back(TextRange{unit, unit + 1});
            }
        }
        next = at + length;
        i += length;
    }
}

}  // namespace

bool HasPositiveTerm(const std::vector<FilterTerm>& terms, TermField field) {
    return std::any_of(terms.begin(), terms.end(),
                       [field](const FilterTerm& term) { return term.field == field && !IsNegated(term.kind); });
}

void MatchRanges(const char16_t* text, TermField field, ParsedFilter& filter, std::vector<TextRange>& ranges) {
    ranges.clear();
    if (!text) return;
    for (const FilterTerm& term : filter.terms) {
        if (term.field != field || IsNegated(term.kind)) continue;
        if (term.hasWildcard)
            AddWildcardRanges(text, term, filter.scratch, ranges);
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
