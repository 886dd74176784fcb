#include "filter/Filter.h"

#include <algorithm>
#include <string>
#include <utility>

namespace sprig {
namespace {

bool IsSeparator(char16_t unit) { return unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == u' '; }

// The state of the term splitter between two units.
struct SplitState {
    std::size_t start = 0;
    bool started = false;
    bool alternative = false;  // "|" rather than "&"
    bool kindPending = false;
    bool negated = false;
    bool path = false;
    bool project = false;
    bool inQuotes = false;
};

int ColumnOf(const SplitState& state) {
    if (state.path && state.project) return ColumnProjectPath;
    if (state.path) return ColumnFilePath;
    if (state.project) return ColumnProjectName;
    return ColumnFileName;
}

// Ends the current term (if one started) at `end` and clears every state item.
void CloseTerm(char16_t* buffer, std::size_t end, SplitState& state, std::vector<FilterTerm>& terms) {
    if (state.started) {
        buffer[end] = u'\0';
        FilterTerm term{};
        term.column = ColumnOf(state);
        term.negated = state.negated;
        term.required = !state.alternative;
        term.pattern = buffer + state.start;
        term.length = static_cast<std::uint32_t>(end - state.start);
        term.hasWildcard = false;
        for (std::size_t i = state.start; i < end; ++i) {
            buffer[i] = FoldChar(buffer[i], term.column);
            if (buffer[i] == u'*' || buffer[i] == u'?') term.hasWildcard = true;
        }
        if (term.hasWildcard) term.wildcard = SplitWildcard(term.pattern);
        terms.push_back(std::move(term));
    }
    state = SplitState{};
}

// Up to this many terms a file is tested term by term, each a plain search, stopping at the first
// required term that fails: for the few terms people type that is about twice as fast as the
// index, whose single pass over each field costs the same for one term as for thousands.
constexpr std::size_t TermByTermLimit = 4;

bool UsesIndex(const ParsedFilter& filter) { return filter.terms.size() > TermByTermLimit; }

// The index is made only for the queries that use it.
void IndexTerms(ParsedFilter& filter) { filter.index = UsesIndex(filter) ? BuildTermIndex(filter.terms) : TermIndex{}; }

}  // namespace

void ParseFilter(std::u16string_view text, ParsedFilter& filter) {
    filter.buffer.reset();
    filter.terms.clear();
    filter.hasAlternatives = false;
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
                state.alternative = unit == u'|';
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
    filter.hasAlternatives =
        std::any_of(filter.terms.begin(), filter.terms.end(), [](const FilterTerm& term) { return !term.required; });
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

ParsedFilter CopyFilter(const ParsedFilter& filter) {
    ParsedFilter copy;
    std::u16string text;
    for (const FilterTerm& term : filter.terms) {
        text.append(term.pattern, term.length);
        text.push_back(u'\0');
    }
    copy.buffer = CopyText(text);
    copy.terms = filter.terms;
    const char16_t* pattern = copy.buffer.get();
    for (FilterTerm& term : copy.terms) {
        term.pattern = pattern;
        pattern += term.length + 1;
    }
    copy.hasAlternatives = filter.hasAlternatives;
    IndexTerms(copy);
    return copy;
}

bool Narrows(const ParsedFilter& next, const ParsedFilter& shown) {
    const auto impliedBy = [](const std::vector<FilterTerm>& terms, bool required, const FilterTerm& term) {
        return std::any_of(terms.begin(), terms.end(),
                           [&](const FilterTerm& other) { return other.required == required && Implies(other, term); });
    };
    for (const FilterTerm& term : shown.terms) {
        if (term.required && !impliedBy(next.terms, true, term)) return false;
    }
    if (!shown.hasAlternatives) return true;
    if (!next.hasAlternatives) return false;
    return std::all_of(next.terms.begin(), next.terms.end(), [&](const FilterTerm& term) {
        if (term.required) return true;
        return std::any_of(shown.terms.begin(), shown.terms.end(),
                           [&](const FilterTerm& other) { return !other.required && Implies(term, other); });
    });
}

FilterMatcher::FilterMatcher(const ParsedFilter& filter)
    : filter_(filter),
      plain_(filter.terms.size() == 1 && !filter.terms[0].hasWildcard && !filter.terms[0].negated ? &filter.terms[0]
                                                                                                  : nullptr),
      scratch_(UsesIndex(filter) ? filter.terms.size() : 0) {}

bool FilterMatcher::MatchTerms(const FileEntry& file, std::int32_t& position) {
    if (UsesIndex(filter_)) {
        return MatchIndexed(file, filter_.terms, filter_.index, scratch_, filter_.hasAlternatives, position);
    }
    position = -1;
    TermTally tally;
    for (const FilterTerm& term : filter_.terms) {
        // A required term that fails ends the test: nothing after it can make the file pass.
        if (!tally.Add(term, MatchTerm(file, term))) return false;
    }
    position = tally.position;
    return tally.Passes(filter_.hasAlternatives);
}

}  // namespace sprig
