#include "filter/Term.h"

#include <string_view>

namespace sprig {
namespace {

// Plain substring search from the left; the text is folded unit by unit, never copied.
template <bool PathColumn>
std::int32_t FindFolded(const char16_t* text, const char16_t* pattern, std::uint32_t length) {
    if (length == 0) return 0;
    const auto fold = [](char16_t unit) { return PathColumn ? FoldChar(unit, ColumnFilePath) : FoldAscii(unit); };
    // The first unit is looked for without folding, as most units of a text are passed over
    // there: a folded letter is met by the units that bit 5 set turns into it (itself and its
    // capital), a backslash of a path column by either slash, any other unit by itself.
    const char16_t head = pattern[0];
    const char16_t caseBit = head >= u'a' && head <= u'z' ? 0x20 : 0;
    const char16_t slash = PathColumn && head == u'\\' ? u'/' : head;
    for (const char16_t* start = text;; ++start) {
        char16_t unit;
        while ((unit = *start) != u'\0' && static_cast<char16_t>(unit | caseBit) != head && unit != slash) ++start;
        if (unit == u'\0') return -1;
        std::uint32_t j = 1;
        for (; j < length; ++j) {
            const char16_t next = start[j];
            if (next == u'\0') return -1;  // the text ends: no later start fits either
            if (fold(next) != pattern[j]) break;
        }
        if (j == length) return static_cast<std::int32_t>(start - text);
    }
}

}  // namespace

std::int32_t FindPlain(const char16_t* text, const FilterTerm& term) {
    if (IsPathColumn(term.column)) return FindFolded<true>(text, term.pattern, term.length);
    return FindFolded<false>(text, term.pattern, term.length);
}

std::int32_t MatchTerm(const FileEntry& file, const FilterTerm& term) {
    const char16_t* text = ColumnText(file, term.column);
    if (!text) return -1;
    // A plain term needs no length: its search stops at the text's end.
    if (!term.hasWildcard && !term.negated) return FindPlain(text, term);
    const std::size_t n = TextLength(text);
    const std::int32_t found =
        term.hasWildcard ? MatchWildcard(text, n, term.pattern, term.wildcard, term.column) : FindPlain(text, term);
    return TermOutcome(term, found, n);
}

bool Implies(const FilterTerm& a, const FilterTerm& b) {
    if (a.column != b.column || a.negated != b.negated || a.hasWildcard != b.hasWildcard) return false;
    const std::u16string_view textA(a.pattern, a.length), textB(b.pattern, b.length);
    if (a.hasWildcard) return textA == textB;  // a whole-text match: only the same pattern says the same
    // Where a's text occurs, every part of it does; where b's does not, no text that holds it does.
    return a.negated ? textB.find(textA) != std::u16string_view::npos : textA.find(textB) != std::u16string_view::npos;
}

}  // namespace sprig
