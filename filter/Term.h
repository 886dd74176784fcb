// What one term of a query means, and how the terms of a query decide together. This is the one
// place that says it: the term-by-term test (Filter.cpp), the term index (TermIndex.cpp) and the
// match ranges (MatchRanges.cpp) call these functions and restate none of their rules.
//
// A term tests the text of one column of a file. A term without "*" or "?" holds where its folded
// pattern occurs in the text, at the leftmost occurrence (FindPlain); a term with them must match
// the whole text (MatchWildcard, Wildcard.cpp). Folding maps A-Z onto a-z and, in the two path
// columns, "/" onto "\". A negated term holds exactly where the plain one does not, and reports
// the latest place its pattern could have started (TermOutcome).
//
// A file passes when every required term holds and, when the query has alternative terms, at
// least one of those does; its position is the smallest among the terms that hold, -1 for a query
// without terms (TermTally).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/FileEntry.h"

namespace sprig {

// A wildcard pattern cut at its runs of stars, once per parse:
//
//     S0 * S1 * ... * Sk [*]        (S0 may be empty; S1..Sk are not)
//
// Each segment matches where it stands by itself, "?" taking any unit.
struct WildcardPattern {
    struct Segment {
        std::uint32_t start, length;  // units of the pattern
        std::int32_t firstLiteral;    // index of the first unit in the segment that is not "?", or -1
    };
    std::vector<Segment> segments;
    bool trailingStar = false;
    std::uint32_t shortestText = 0;  // units a matching text needs at least: the segments' total
};

WildcardPattern SplitWildcard(const char16_t* pattern);

struct FilterTerm {
    const char16_t* pattern;   // folded text inside the parse buffer
    std::uint32_t length;      // units in pattern
    int column;                // the column whose text the term tests
    bool negated;              // "!" or "-": holds where the pattern is not found
    bool required;             // "&" or no prefix; false for "|", an alternative
    bool hasWildcard;          // the pattern holds "*" or "?"
    WildcardPattern wildcard;  // the pattern cut at its stars, when it has wildcards
};

// File Path and Project Path: the columns in which either slash matches either slash.
inline bool IsPathColumn(int column) { return column == ColumnFilePath || column == ColumnProjectPath; }

// Folds A-Z onto a-z, and in path columns "/" onto "\".
inline char16_t FoldChar(char16_t unit, int column) {
    unit = FoldAscii(unit);
    if (unit == u'/' && IsPathColumn(column)) unit = u'\\';
    return unit;
}

// The start of the leftmost occurrence of a wildcard-free term's folded pattern in `text`, or -1.
// Later occurrences are found from the text after that start.
std::int32_t FindPlain(const char16_t* text, const FilterTerm& term);

// Whether `segment` of `pattern` matches the text units from `text` on, which must hold as many.
bool SegmentMatches(const char16_t* text, const char16_t* pattern, const WildcardPattern::Segment& segment, int column);

// Whole-text wildcard match of a folded pattern: the position it defines, or -1. The first form
// takes the pattern as SplitWildcard cut it, and the length of the text; on a match it gives the
// text index of each segment in `placements`, when asked.
std::int32_t MatchWildcard(const char16_t* text, std::size_t textLength, const char16_t* pattern,
                           const WildcardPattern& split, int column, std::vector<std::size_t>* placements = nullptr);
std::int32_t MatchWildcard(const char16_t* text, const char16_t* pattern, int column);

// Where a negated term that holds reports its match: where its pattern (wildcards counted) would
// have started at the latest, or 0 when the pattern is longer than the text.
inline std::int32_t LatestStart(std::size_t textLength, std::uint32_t patternLength) {
    return static_cast<std::int32_t>(textLength > patternLength ? textLength - patternLength : 0);
}

// The term's position from `found`, what its pattern found in a text of `textLength` units (a
// position, or -1): the same for a plain term; for a negated one -1 (it does not hold) where the
// pattern was found, else its latest start.
inline std::int32_t TermOutcome(const FilterTerm& term, std::int32_t found, std::size_t textLength) {
    if (!term.negated) return found;
    return found >= 0 ? -1 : LatestStart(textLength, term.length);
}

// The term's position in the file, or -1 when it does not hold.
std::int32_t MatchTerm(const FileEntry& file, const FilterTerm& term);

// Whether term `a` holds for no file that term `b` does not hold for, as far as their texts tell:
// the same term, or plain terms of one column, negated alike, where a's text holds b's (negated:
// where b's holds a's). Answers false where it cannot tell.
bool Implies(const FilterTerm& a, const FilterTerm& b);

// The terms of a query decided one by one for a file.
struct TermTally {
    std::int32_t position = -1;    // the smallest position among the terms that hold
    bool alternativeHeld = false;  // an alternative term holds

    // A required term, or an alternative one, holds at `at`.
    void Holds(bool required, std::int32_t at) {
        alternativeHeld |= !required;
        if (position < 0 || at < position) position = at;
    }
    // Adds the term's outcome (a position, or -1); false when that alone fails the file.
    bool Add(const FilterTerm& term, std::int32_t outcome) {
        if (outcome < 0) return !term.required;
        Holds(term.required, outcome);
        return true;
    }
    // Adds what the tally of other terms found.
    void Join(const TermTally& other) {
        alternativeHeld |= other.alternativeHeld;
        if (other.position >= 0 && (position < 0 || other.position < position)) position = other.position;
    }
    // Once every required term has held: whether the file passes.
    bool Passes(bool hasAlternatives) const { return alternativeHeld || !hasAlternatives; }
};

}  // namespace sprig
