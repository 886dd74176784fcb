#include "filter/Filter.h"

#include <utility>

namespace sprig {
namespace {

bool IsSeparator(char16_t unit) { return unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == u' '; }

// The state of the term splitter between two units.
struct SplitState {
    std::size_t start = 0;
    bool started = false;
    bool kindPending = false;
    TermKind kind = TermKind::And;
    bool negated = false;
    bool path = false;
    bool project = false;
    bool inQuotes = false;
};

TermField FieldOf(const SplitState& state) {
    if (state.path && state.project) return TermField::ProjectPath;
    if (state.path) return TermField::FilePath;
    if (state.project) return TermField::ProjectName;
    return TermField::FileName;
}

// Ends the current term (if one started) at `end` and clears every state item.
void CloseTerm(char16_t* buffer, std::size_t end, SplitState& state, std::vector<FilterTerm>& terms) {
    if (state.started) {
        buffer[end] = u'\0';
        FilterTerm term{};
        term.field = FieldOf(state);
        const auto kind = static_cast<std::int32_t>(state.kindPending ? state.kind : TermKind::And);
        term.kind = static_cast<TermKind>(state.negated ? kind * 2 : kind);
        term.pattern = buffer + state.start;
        term.length = static_cast<std::uint32_t>(end - state.start);
        term.hasWildcard = false;
        for (std::size_t i = state.start; i < end; ++i) {
            buffer[i] = FoldChar(buffer[i], term.field);
            if (buffer[i] == u'*' || buffer[i] == u'?') term.hasWildcard = true;
        }
        if (term.hasWildcard) term.wildcard = SplitWildcard(term.pattern);
        terms.push_back(std::move(term));
    }
    state = SplitState{};
}

// Plain substring search from the left; the field text is folded unit by unit, never copied.
template <bool PathField>
std::int32_t FindFolded(const char16_t* text, const char16_t* pattern, std::uint32_t length) {
    if (length == 0) return 0;
    const auto fold = [](char16_t unit) { return PathField ? FoldChar(unit, TermField::FilePath) : FoldAscii(unit); };
    const char16_t head = pattern[0];
    for (std::size_t s = 0; text[s] != u'\0'; ++s) {
        if (fold(text[s]) != head) continue;
        std::uint32_t j = 1;
        for (; j < length; ++j) {
            const char16_t unit = text[s + j];
            if (unit == u'\0') return -1;  // the text ends: no later start fits either
            if (fold(unit) != pattern[j]) break;
        }
        if (j == length) return static_cast<std::int32_t>(s);
    }
    return -1;
}

// Up to this many terms a file is tested term by term, each a plain search, stopping at the first
// required term that fails: for the few terms people type that is about twice as fast as the
// index, whose single pass over each field costs the same for one term as for thousands.
constexpr std::size_t TermByTermLimit = 4;

// The index is made only for the queries that use it.
void IndexTerms(ParsedFilter& filter) {
    filter.index = filter.terms.size() > TermByTermLimit ? BuildTermIndex(filter.terms) : TermIndex{};
}

// The term's position in the file, or -1 when it does not hold. A holding negated term reports
// where its pattern would have started at the latest (0 when the pattern is longer than the text).
std::int32_t MatchTerm(const FileEntry& file, const FilterTerm& term) {
    const char16_t* text = FieldText(file, term.field);
    if (!text) return -1;
    const bool negated = term.kind == TermKind::AndNot || term.kind == TermKind::OrNot;
    if (!term.hasWildcard && !negated) return FindPlain(text, term);
    const std::size_t n = TextLength(text);
    const std::int32_t r =
        term.hasWildcard ? MatchWildcard(text, n, term.pattern, term.wildcard, term.field) : FindPlain(text, term);
    if (!negated) return r;
    if (r >= 0) return -1;
    return static_cast<std::int32_t>(n > term.length ? n - term.length : 0);
}

}  // namespace

void ParseFilter(std::u16string_view text, ParsedFilter& filter) {
    filter.buffer.reset();
    filter.terms.clear();
    filter.index = TermIndex{};
    if (text.empty()) return;
    filter.buffer = CopyText(text);
    char16_t* buffer = filter.buffer.get();

    SplitState state;
    for (std::size_t i = 0;; ++i) {
        const char16_t unit = buffer[i];
        if (unit == u'\0') {
            CloseTerm(buffer, i, state, filter.terms);
            break;
        }
        if (state.started) {
            if ((IsSeparator(unit) && !state.inQuotes) || (unit == u'"' && state.inQuotes)) {
                CloseTerm(buffer, i, state, filter.terms);
            }
            continue;
        }
        if (state.inQuotes) {
            if (unit == u'"') {
                state = SplitState{};  // an empty pair of quotes drops the prefixes before it
            } else {
                state.started = true;
                state.start = i;
            }
            continue;
        }
        bool startsTerm = false;
        switch (unit) {
        case u'\t':
        case u'\n':
        case u'\r':
        case u' ':
            CloseTerm(buffer, i, state, filter.terms);  // drops pending prefixes
            break;
        case u'"':
            state.inQuotes = true;
            break;
        case u'!':
        case u'-':
            if (state.negated)
                startsTerm = true;
            else
                state.negated = true;
            break;
        case u'&':
        case u'|':
            if (state.kindPending) {
                startsTerm = true;
            } else {
                state.kindPending = true;
                state.kind = unit == u'&' ? TermKind::And : TermKind::Or;
            }
            break;
        case u'/':
        case u'\\':
            state.path = true;  // a second one is dropped
            break;
        case u':':
            state.project = true;
            break;
        default:
            startsTerm = true;
        }
        if (startsTerm) {
            state.started = true;
            state.start = i;
        }
    }
    IndexTerms(filter);
}

void ShortenTerm(ParsedFilter& filter, std::size_t i, std::uint32_t length) {
    FilterTerm& term = filter.terms[i];
    filter.buffer.get()[term.pattern - filter.buffer.get() + length] = u'\0';  // the pattern lies there
    term.length = length;
    term.hasWildcard = std::u16string_view(term.pattern, length).find_first_of(u"*?") != std::u16string_view::npos;
    term.wildcard = term.hasWildcard ? SplitWildcard(term.pattern) : WildcardPattern{};
    IndexTerms(filter);
}

std::int32_t FindPlain(const char16_t* text, const FilterTerm& term) {
    if (term.field == TermField::FilePath || term.field == TermField::ProjectPath) {
        return FindFolded<true>(text, term.pattern, term.length);
    }
    return FindFolded<false>(text, term.pattern, term.length);
}

std::uint16_t TermMask(const std::vector<FilterTerm>& terms) {
    std::uint16_t mask = 0;
    for (const FilterTerm& term : terms) mask |= TermBit(term);
    return mask;
}

bool MatchFilter(const FileEntry& file, ParsedFilter& filter, std::uint16_t mask, std::int32_t& position) {
    const bool hasAlternatives = (mask & AlternativeBits) != 0;
    if (filter.terms.size() > TermByTermLimit) {
        return MatchIndexed(file, filter.terms, filter.index, hasAlternatives, position);
    }
    position = -1;
    bool alternativeHeld = false;
    for (const FilterTerm& term : filter.terms) {
        const std::int32_t r = MatchTerm(file, term);
        const bool required = (TermBit(term) & RequiredBits) != 0;
        if (r < 0) {
            if (required) return false;  // nothing after it can make the file pass
            continue;
        }
        if (position < 0 || r < position) position = r;
        alternativeHeld |= !required;
    }
    return alternativeHeld || !hasAlternatives;
}

}  // namespace sprig
