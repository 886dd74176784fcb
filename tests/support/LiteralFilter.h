// One term tested the way the query language defines it, straight from the texts: the yardstick
// that the matcher's trees and the combining of terms must agree with.
#pragma once

#include <cstdint>

#include "filter/Filter.h"
#include "support/LiteralWildcard.h"

namespace sprig::testing {

// The term's match position in the file, or -1 when it does not hold.
inline std::int32_t LiteralMatchTerm(const FileEntry& file, const FilterTerm& term) {
    const char16_t* text = FieldText(file, term.field);
    const std::size_t n = TextLength(text);
    std::int32_t position = -1;
    if (term.hasWildcard) {
        position = LiteralMatchWildcard(text, term.pattern, term.field);
    } else {
        // The leftmost start from which every pattern unit equals the folded text unit.
        for (std::size_t s = 0; position < 0 && s + term.length <= n; ++s) {
            std::size_t j = 0;
            while (j < term.length && FoldChar(text[s + j], term.field) == term.pattern[j]) ++j;
            if (j == term.length) position = static_cast<std::int32_t>(s);
        }
    }
    if (term.kind != TermKind::AndNot && term.kind != TermKind::OrNot) return position;
    if (position >= 0) return -1;
    return static_cast<std::int32_t>(n > term.length ? n - term.length : 0);
}

}  // namespace sprig::testing
