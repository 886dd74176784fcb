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

namespace sprig {

// Values double as shift counts of the combination mask.
enum class TermField : std::int32_t { FileName = 0, FilePath = 4, ProjectName = 8, ProjectPath = 12 };

// A negated kind is the plain kind times two.
enum class TermKind : std::int32_t { And = 1, AndNot = 2, Or = 4, OrNot = 8 };

struct FilterTerm {
    const char16_t* pattern;  // folded text inside the parse buffer
    TermField field;
    TermKind kind;
    bool hasWildcard;
    std::uint32_t length;  // units in pattern, cached at parse time
};

// Reusable work space of the wildcard matcher, so that matching allocates nothing per file.
struct WildcardScratch {
    struct Segment {
        std::uint32_t start, length;
        std::int32_t firstLiteral;  // index of the first non-"?" unit in the segment, or -1
    };
    std::vector<Segment> segments;
    std::vector<std::int32_t> value, nextIndex, nextValue;
};

// The parse buffer and the terms of one refresh.
struct ParsedFilter {
    OwnedText buffer;               // null when the query was empty
    std::vector<FilterTerm> terms;  // in the order the terms stand in the query
    WildcardScratch scratch;
};

constexpr std::uint16_t RequiredBits = 0x3333;
constexpr std::uint16_t AlternativeBits = 0xCCCC;

// Replaces `filter`'s buffer and terms with those of `text`.
void ParseFilter(std::u16string_view text, ParsedFilter& filter);

// Folds A-Z onto a-z, and in path fields "/" onto "\".
inline char16_t FoldChar(char16_t unit, TermField field) {
    unit = FoldAscii(unit);
    if (unit == u'/' && (field == TermField::FilePath || field == TermField::ProjectPath)) unit = u'\\';
    return unit;
}

// The text of `file` that a field tests; null for an unknown field.
inline const char16_t* FieldText(const FileEntry& file, TermField field) {
    return ColumnText(file, static_cast<int>(field) / 4);
}

// The start of the leftmost occurrence of a wildcard-free term's folded pattern in `text`, or -1:
// the search that MatchTerm makes. Later occurrences are found from the text after that start.
std::int32_t FindPlain(const char16_t* text, const FilterTerm& term);

// 0 or more when the term holds for the file (its match position), negative when it does not.
std::int32_t MatchTerm(const FileEntry& file, const FilterTerm& term, WildcardScratch& scratch);

// Whole-text wildcard match of a folded pattern: the position it defines, or -1.
std::int32_t MatchWildcard(const char16_t* text, const char16_t* pattern, TermField field, WildcardScratch& scratch);

std::uint16_t TermMask(const std::vector<FilterTerm>& terms);

// Whether the file passes the terms, and its match position (-1 when there are no terms).
bool MatchFilter(const FileEntry& file, ParsedFilter& filter, std::uint16_t mask, std::int32_t& position);

}  // namespace sprig
