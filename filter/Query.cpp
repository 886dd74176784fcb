#include "filter/Query.h"

#include <algorithm>
#include <limits>

namespace sprig {
namespace {

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// The term began right after white space or at the start of the text: no prefix stood before it
// and no quote opened it.
bool StandsBare(std::u16string_view text, std::size_t start) {
    if (start == 0) return true;
    const char16_t before = text[start - 1];
    return before == u' ' || before == u'\t' || before == u'\n' || before == u'\r';
}

}  // namespace

std::int32_t ParseQuery(std::u16string_view text, ParsedFilter& filter) {
    ParseFilter(text, filter);
    if (filter.terms.empty()) return 0;
    FilterTerm& term = filter.terms.back();
    if (term.column != ColumnFileName || term.negated || !term.required) return 0;
    const auto start = static_cast<std::size_t>(term.pattern - filter.buffer.get());
    if (!StandsBare(text, start)) return 0;

    const std::u16string_view pattern(term.pattern, term.length);
    const std::size_t colon = pattern.find(u':');
    if (colon == 0 || colon == std::u16string_view::npos) return 0;
    if (colon + 1 == pattern.size()) {
        // "TEXT:" on the way to "TEXT:DIGITS": what TEXT finds, with no line yet.
        ShortenTerm(filter, filter.terms.size() - 1, static_cast<std::uint32_t>(colon));
        return 0;
    }
    std::int64_t line = 0;
    for (std::size_t i = colon + 1; i < pattern.size(); ++i) {
        if (!IsDigit(pattern[i])) return 0;  // also a second ":"
        line = std::min<std::int64_t>(line * 10 + (pattern[i] - u'0'), std::numeric_limits<std::int32_t>::max());
    }
    // The term now ends at the colon.
    ShortenTerm(filter, filter.terms.size() - 1, static_cast<std::uint32_t>(colon));
    return static_cast<std::int32_t>(std::max<std::int64_t>(line, 1));
}

}  // namespace sprig
