#include "filter/Filter.h"

#include <algorithm>
#include <numeric>
#include <set>
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

bool IsNegated(TermKind kind) { return kind == TermKind::AndNot || kind == TermKind::OrNot; }

bool IsRequired(const FilterTerm& term) { return (TermBit(term) & RequiredBits) != 0; }

// Where a holding negated term reports its match: where the pattern would have started at the
// latest, or 0 when the pattern is longer than the text.
std::int32_t LatestStart(std::size_t textLength, std::uint32_t patternLength) {
    return static_cast<std::int32_t>(textLength > patternLength ? textLength - patternLength : 0);
}

// A wildcard term tested against the field text `text` of `n` units.
std::int32_t MatchWildcardTerm(const char16_t* text, std::size_t n, const FilterTerm& term) {
    const std::int32_t position = MatchWildcard(text, n, term.pattern, term.wildcard, term.field);
    if (!IsNegated(term.kind)) return position;
    return position >= 0 ? -1 : LatestStart(n, term.length);
}

// The four texts of one file and their lengths, each measured when a term first asks for it.
class FieldTexts {
public:
    explicit FieldTexts(const FileEntry& file) : file_(file) {}

    // Null for an unknown field.
    const char16_t* Text(TermField field, std::size_t& length) {
        const auto column = static_cast<std::size_t>(field) / 4;
        if (column >= ColumnCount) return nullptr;
        if (!measured_[column]) {
            texts_[column] = FieldText(file_, field);
            lengths_[column] = texts_[column] ? TextLength(texts_[column]) : 0;
            measured_[column] = true;
        }
        length = lengths_[column];
        return texts_[column];
    }

private:
    const FileEntry& file_;
    const char16_t* texts_[ColumnCount]{};
    std::size_t lengths_[ColumnCount]{};
    bool measured_[ColumnCount]{};
};

// Adds substring term `index` to its field's tree, unless an equal term is there already. Terms
// come in the order of their texts, so a node's new child always goes last.
void AddToTree(ParsedFilter& filter, std::uint32_t index) {
    const FilterTerm& term = filter.terms[index];
    TermTree& tree = filter.trees[static_cast<std::size_t>(term.field) / 4];
    if (tree.nodes.empty()) tree.nodes.emplace_back();
    std::uint32_t node = 0;
    for (std::uint32_t i = 0; i < term.length; ++i) {
        const auto& children = tree.nodes[node].children;
        if (!children.empty() && children.back().first == term.pattern[i]) {
            node = children.back().second;
            continue;
        }
        const auto child = static_cast<std::uint32_t>(tree.nodes.size());
        tree.nodes.emplace_back();
        tree.nodes[node].children.emplace_back(term.pattern[i], child);
        node = child;
    }
    std::vector<std::uint32_t>& ends = tree.nodes[node].ends;
    for (const std::uint32_t other : ends) {
        if (filter.terms[other].kind == term.kind) return;
    }
    ends.push_back(index);
    if (term.kind == TermKind::And) ++filter.distinctAnd;
    if (term.kind == TermKind::AndNot) tree.longestAndNot = std::max(tree.longestAndNot, term.length);
    if (term.kind == TermKind::OrNot) tree.orNotByLength.push_back(index);
}

// Sorts the terms into the trees and the list of wildcard terms, each distinct term once.
void IndexTerms(ParsedFilter& filter) {
    const std::vector<FilterTerm>& terms = filter.terms;
    const auto text = [&terms](std::uint32_t i) { return std::u16string_view(terms[i].pattern, terms[i].length); };
    std::vector<std::uint32_t> order(terms.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return text(a) < text(b); });
    for (const std::uint32_t i : order) {
        if (!terms[i].hasWildcard) AddToTree(filter, i);
    }
    for (TermTree& tree : filter.trees) {
        std::stable_sort(tree.orNotByLength.begin(), tree.orNotByLength.end(),
                         [&terms](std::uint32_t a, std::uint32_t b) { return terms[a].length > terms[b].length; });
    }
    std::set<std::pair<std::uint16_t, std::u16string_view>> seen;  // bit and text of each wildcard term
    for (const bool required : {true, false}) {
        for (std::uint32_t i = 0; i < terms.size(); ++i) {
            if (terms[i].hasWildcard && IsRequired(terms[i]) == required &&
                seen.emplace(TermBit(terms[i]), text(i)).second) {
                filter.wildcards.push_back(i);
            }
        }
    }
    filter.foundIn.assign(terms.size(), 0);
}

// The child of `node` for `unit`; 0 (the root, nobody's child) when there is none.
std::uint32_t Child(const TermTree::Node& node, char16_t unit) {
    const auto& children = node.children;
    const auto it =
        std::lower_bound(children.begin(), children.end(), unit,
                         [](const std::pair<char16_t, std::uint32_t>& child, char16_t u) { return child.first < u; });
    return it != children.end() && it->first == unit ? it->second : 0;
}

}  // namespace

void ParseFilter(std::u16string_view text, ParsedFilter& filter) {
    filter.buffer.reset();
    filter.terms.clear();
    for (TermTree& tree : filter.trees) tree = TermTree{};
    filter.distinctAnd = 0;
    filter.wildcards.clear();
    filter.foundIn.clear();
    filter.filesMatched = 0;
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

std::uint16_t TermMask(const std::vector<FilterTerm>& terms) {
    std::uint16_t mask = 0;
    for (const FilterTerm& term : terms) mask |= TermBit(term);
    return mask;
}

bool MatchFilter(const FileEntry& file, ParsedFilter& filter, std::uint16_t mask, std::int32_t& position) {
    const std::uint32_t stamp = ++filter.filesMatched;
    FieldTexts texts(file);
    position = -1;
    const auto consider = [&position](std::int32_t r) {
        if (position < 0 || r < position) position = r;
    };
    bool alternativeHeld = false;
    std::uint32_t andFound = 0;

    // The substring terms of each field, all found in one pass over its text. The first time a
    // pass meets a term is its leftmost occurrence.
    for (std::size_t column = 0; column < ColumnCount; ++column) {
        const TermTree& tree = filter.trees[column];
        if (tree.nodes.empty()) continue;
        const auto field = static_cast<TermField>(column * 4);
        std::size_t n = 0;
        const char16_t* text = texts.Text(field, n);
        for (std::size_t s = 0; s < n; ++s) {
            std::uint32_t node = 0;
            for (std::size_t j = s; j < n && (node = Child(tree.nodes[node], FoldChar(text[j], field))) != 0; ++j) {
                for (const std::uint32_t index : tree.nodes[node].ends) {
                    if (filter.foundIn[index] == stamp) continue;
                    filter.foundIn[index] = stamp;
                    switch (filter.terms[index].kind) {
                    case TermKind::And:
                        ++andFound;
                        consider(static_cast<std::int32_t>(s));
                        break;
                    case TermKind::AndNot:
                        return false;  // a required term that fails decides alone
                    case TermKind::Or:
                        alternativeHeld = true;
                        consider(static_cast<std::int32_t>(s));
                        break;
                    case TermKind::OrNot:
                        break;
                    }
                }
            }
        }
        // Every AndNot term holds, and the longest reports the smallest position.
        if (tree.longestAndNot > 0) consider(LatestStart(n, tree.longestAndNot));
        // An OrNot term holds when it was not found; the longest such reports the smallest.
        for (const std::uint32_t index : tree.orNotByLength) {
            if (filter.foundIn[index] == stamp) continue;
            alternativeHeld = true;
            consider(LatestStart(n, filter.terms[index].length));
            break;
        }
    }
    if (andFound < filter.distinctAnd) return false;

    // The wildcard terms one by one, the required ones first.
    for (const std::uint32_t index : filter.wildcards) {
        const FilterTerm& term = filter.terms[index];
        std::size_t n = 0;
        const char16_t* text = texts.Text(term.field, n);
        const std::int32_t r = MatchWildcardTerm(text, n, term);
        if (r < 0) {
            if (IsRequired(term)) return false;
            continue;
        }
        consider(r);
        alternativeHeld |= !IsRequired(term);
    }
    return alternativeHeld || (mask & AlternativeBits) == 0;
}

}  // namespace sprig
