// The filter query language: parsing a typed query into terms and testing files against them.
//
// White space separates terms and double quotes group. Prefixes before a term choose the field
// ("/" or "\" the path, ":" the project name, both the project path), negate it ("!" or "-") and
// make it required ("&", the default) or alternative ("|"). A term without "*" or "?" matches as a
// substring; one with them must match the whole field. Only ASCII letters match regardless of case.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/FileEntry.h"
#include "catalogue/Text.h"
#include "filter/TermIndex.h"

namespace sprig {

// Which text of a file a term tests. The values are the term's shift in the combination mask:
// four bits a field (see TermMask).
enum class TermField : std::int32_t { FileName = 0, FilePath = 4, ProjectName = 8, ProjectPath = 12 };

// How a term counts. The values are the term's bit within its field's four bits; a negated kind
// is the plain kind times two, the next bit up.
enum class TermKind : std::int32_t { And = 1, AndNot = 2, Or = 4, OrNot = 8 };

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
    const char16_t* pattern;  // folded text inside the parse buffer
    TermField field;
    TermKind kind;
    bool hasWildcard;
    std::uint32_t length;      // units in pattern
    WildcardPattern wildcard;  // the pattern cut at its stars, when it has wildcards
};

// The parse buffer and the terms of one refresh, and what matching keeps from file to file.
struct ParsedFilter {
    OwnedText buffer;               // null when the query was empty
    std::vector<FilterTerm> terms;  // in the order the terms stand in the query
    TermIndex index;                // the terms arranged for testing many files; long queries only
};

// Replaces `filter`'s buffer and terms with those of `text`.
void ParseFilter(std::u16string_view text, ParsedFilter& filter);

// Folds A-Z onto a-z, and in path fields "/" onto "\".
inline char16_t FoldChar(char16_t unit, TermField field) {
    unit = FoldAscii(unit);
    if (unit == u'/' && (field == TermField::FilePath || field == TermField::ProjectPath)) unit = u'\\';
    return unit;
}

// The text of `file` that a field tests; null for an unknown field. A field's value is its shift
// in the mask, four bits a field, so a quarter of it is the column that shows the same text.
inline const char16_t* FieldText(const FileEntry& file, TermField field) {
    return ColumnText(file, static_cast<int>(field) / 4);
}

// The start of the leftmost occurrence of a wildcard-free term's folded pattern in `text`, or -1.
// Later occurrences are found from the text after that start.
std::int32_t FindPlain(const char16_t* text, const FilterTerm& term);

// Cuts the pattern of term `i` to its first `length` units, and keeps what the matching keeps of
// the terms in step with it.
void ShortenTerm(ParsedFilter& filter, std::size_t i, std::uint32_t length);

// Whole-text wildcard match of a folded pattern: the position it defines, or -1. The first form
// takes the pattern as SplitWildcard cut it, and the length of the text; on a match it gives the
// text index of each segment in `placements`, when asked.
std::int32_t MatchWildcard(const char16_t* text, std::size_t textLength, const char16_t* pattern,
                           const WildcardPattern& split, TermField field,
                           std::vector<std::size_t>* placements = nullptr);
std::int32_t MatchWildcard(const char16_t* text, const char16_t* pattern, TermField field);

// The combination mask: which kinds of term the query holds, as one bit per kind and field. Its
// 16 bits are four groups of four, one group per field (file name bits 0-3, file path 4-7,
// project name 8-11, project path 12-15); within a group the bits stand, from the lowest, for
// And, AndNot, Or and OrNot. The mask decides whether the query has alternatives at all, and so
// whether a file must hold one of them to pass.
std::uint16_t TermMask(const std::vector<FilterTerm>& terms);

// The And and AndNot bits of every field: 0011 in each group of four. The Or and OrNot bits are
// the others, 1100 in each group.
constexpr std::uint16_t RequiredBits = 0x3333;
constexpr std::uint16_t AlternativeBits = 0xCCCC;

// The term's one bit in the mask.
inline std::uint16_t TermBit(const FilterTerm& term) {
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(term.kind) << static_cast<std::int32_t>(term.field));
}

// Whether the file passes: every required term holds and, when the query has alternatives, at
// least one of them does. `position` becomes the smallest position among the terms that hold
// (-1 when there are no terms).
bool MatchFilter(const FileEntry& file, ParsedFilter& filter, std::uint16_t mask, std::int32_t& position);

}  // namespace sprig
