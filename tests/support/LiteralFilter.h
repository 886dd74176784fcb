// One term tested the way the query language defines it, straight from the texts: the yardstick
// that the matcher's trees and the combining of terms must agree with.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "filter/Filter.h"
#include "support/LiteralWildcard.h"

namespace sprig::testing {

// The term's match position in the file, or -1 when it does not hold.
inline std::int32_t LiteralMatchTerm(const FileEntry& file, const FilterTerm& term) {
    const char16_t* text = ColumnText(file, term.column);
    const std::size_t n = TextLength(text);
    std::int32_t position = -1;
    if (term.hasWildcard) {
        position = LiteralMatchWildcard(text, term.pattern, term.column);
    } else {
        // The leftmost start from which every pattern unit equals the folded text unit.
        for (std::size_t s = 0; position < 0 && s + term.length <= n; ++s) {
            std::size_t j = 0;
            while (j < term.length && FoldChar(text[s + j], term.column) == term.pattern[j]) ++j;
            if (j == term.length) position = static_cast<std::int32_t>(s);
        }
    }
    if (!term.negated) return position;
    if (position >= 0) return -1;
    return static_cast<std::int32_t>(n > term.length ? n - term.length : 0);
}

// The file's match position under the whole query (-1 for no terms), or nothing when it does not
// pass. It passes when every required term holds and, when there are alternatives, one of them
// does; the position is the smallest of the terms that hold.
inline std::optional<std::int32_t> LiteralMatchFilter(const FileEntry& file, const std::vector<FilterTerm>& terms) {
    bool requiredHeld = true, anyAlternative = false, alternativeHeld = false;
    std::int32_t position = -1;
    for (const FilterTerm& term : terms) {
        const std::int32_t r = LiteralMatchTerm(file, term);
        const bool required = term.required;
        anyAlternative |= !required;
        if (r < 0) {
            requiredHeld &= !required;
            continue;
        }
        alternativeHeld |= !required;
        if (position < 0 || r < position) position = r;
    }
    if (!requiredHeld || (anyAlternative && !alternativeHeld)) return std::nullopt;
    return position;
}

}  // namespace sprig::testing
