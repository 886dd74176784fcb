#include "filter/TermIndex.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <string_view>

#include "filter/Filter.h"

namespace sprig {
namespace {

// The longest run of literal units (neither "?" nor "*") in a wildcard term; empty when it has
// none.
std::u16string_view LongestRun(const FilterTerm& term) {
    std::u16string_view longest;
    for (std::uint32_t i = 0; i < term.length;) {
        std::uint32_t end = i;
        while (end < term.length && term.pattern[end] != u'*' && term.pattern[end] != u'?') ++end;
        if (end - i > longest.size()) longest = std::u16string_view(term.pattern + i, end - i);
        i = end + 1;
    }
    return longest;
}

// The node where `text` ends, made as needed. Texts come in ascending order, so a node's new
// child always goes last.
std::uint32_t Insert(TermTree& tree, std::u16string_view text) {
    if (tree.nodes.empty()) {
        tree.nodes.emplace_back();
        tree.starts.assign(0x10000 / 64, 0);
    }
    tree.starts[text[0] >> 6] |= std::uint64_t{1} << (text[0] & 63);
    std::uint32_t node = 0;
    for (const char16_t unit : text) {
        const auto& children = tree.nodes[node].children;
        if (!children.empty() && children.back().first == unit) {
            node = children.back().second;
            continue;
        }
        const auto child = static_cast<std::uint32_t>(tree.nodes.size());
        tree.nodes.emplace_back();
        tree.nodes[node].children.emplace_back(unit, child);
        node = child;
    }
    return node;
}

using Children = std::vector<std::pair<char16_t, std::uint32_t>>;

std::uint32_t SearchedChild(const Children& children, char16_t unit) {
    const auto it =
        std::lower_bound(children.begin(), children.end(), unit,
                         [](const std::pair<char16_t, std::uint32_t>& child, char16_t u) { return child.first < u; });
    return it != children.end() && it->first == unit ? it->second : 0;
}

// The child of `node` for `unit`; 0 (the root, nobody's child) when there is none. Small enough
// to sit in the pass's loop: most nodes have a child or two.
inline std::uint32_t Child(const TermTree::Node& node, char16_t unit) {
    const Children& children = node.children;
    if (children.size() > 4) return SearchedChild(children, unit);
    for (const auto& child : children) {
        if (child.first == unit) return child.second;
    }
    return 0;
}

// What `meet` tells the pass: the file fails, go on, or every run has been met and the rest of
// the text can tell nothing more.
enum class Step { Fail, More, Done };

// Walks the tree from every unit of `text` and calls `meet` with each node reached and the unit
// the walk started from; answers false as soon as `meet` says the file fails, and stops early
// when it says all is found.
template <bool PathColumn, class Meet>
bool FindRuns(const TermTree& tree, const char16_t* text, Meet&& meet) {
    const auto fold = [](char16_t unit) { return PathColumn ? FoldChar(unit, ColumnFilePath) : FoldAscii(unit); };
    // Most queries give a column one run, or runs that share their first unit: then a compare with
    // that unit replaces the look-ups in the table of first units.
    const TermTree::Node* nodes = tree.nodes.data();
    const auto& roots = nodes[0].children;
    const bool oneStart = roots.size() == 1;
    const char16_t startUnit = roots.front().first;
    const std::uint32_t startNode = roots.front().second;
    for (std::size_t s = 0; text[s] != u'\0'; ++s) {
        const char16_t first = fold(text[s]);
        std::uint32_t node =
            oneStart ? (first == startUnit ? startNode : 0) : (tree.Starts(first) ? Child(nodes[0], first) : 0);
        for (std::size_t j = s + 1; node != 0; ++j) {
            const Step step = meet(nodes[node], s);
            if (step == Step::Fail) return false;
            if (step == Step::Done) return true;
            if (text[j] == u'\0') break;
            node = Child(nodes[node], fold(text[j]));
        }
    }
    return true;
}

// The lengths of one file's four texts, each measured when first needed: the pass over a text
// runs to its terminator, and most files need no length at all.
class FieldLengths {
public:
    explicit FieldLengths(const FileEntry& file) : file_(file) {}

    std::size_t Of(std::size_t column) {
        if (column >= ColumnCount) return 0;  // no such text, as ColumnText says
        if (lengths_[column] < 0) lengths_[column] = static_cast<std::ptrdiff_t>(TextLength(Text(column)));
        return static_cast<std::size_t>(lengths_[column]);
    }
    const char16_t* Text(std::size_t column) const { return ColumnText(file_, static_cast<int>(column)); }

private:
    const FileEntry& file_;
    std::ptrdiff_t lengths_[ColumnCount] = {-1, -1, -1, -1};
};

// The outcome of terms made of "?" and "*" alone for a text of `n` units, which any text of that
// length gives alike.
LengthOutcome OutcomeOfLength(const char16_t* text, std::size_t n, const std::vector<FilterTerm>& terms,
                              const std::vector<std::uint32_t>& list) {
    LengthOutcome outcome;
    for (const std::uint32_t i : list) {
        const FilterTerm& term = terms[i];
        const std::int32_t found = MatchWildcard(text, n, term.pattern, term.wildcard, term.column);
        outcome.fails |= !outcome.held.Add(term, TermOutcome(term, found, n));
    }
    return outcome;
}

// Terms of one column whose texts are equal and that count alike hold for the same files.
bool CountAlike(const FilterTerm& a, const FilterTerm& b) { return a.negated == b.negated && a.required == b.required; }

}  // namespace

TermIndex BuildTermIndex(const std::vector<FilterTerm>& terms) {
    TermIndex index;
    struct Run {
        std::u16string_view text;
        std::uint32_t term;
    };
    std::vector<Run> runs;
    // Column, negation, requirement and text of each wildcard term so far.
    std::set<std::tuple<int, bool, bool, std::u16string_view>> wildcards;
    for (std::uint32_t i = 0; i < terms.size(); ++i) {
        const FilterTerm& term = terms[i];
        const std::u16string_view text(term.pattern, term.length);
        if (!term.hasWildcard) {
            runs.push_back({text, i});
        } else if (wildcards.emplace(term.column, term.negated, term.required, text).second) {
            const std::u16string_view key = LongestRun(term);
            if (key.empty()) {
                index.lengthOnly[term.column].push_back(i);
            } else {
                runs.push_back({key, i});
            }
        }
    }
    std::stable_sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.text < b.text; });
    for (const Run& run : runs) {
        const FilterTerm& term = terms[run.term];
        TermTree& tree = index.trees[term.column];
        TermTree::Node& node = tree.nodes[Insert(tree, run.text)];
        const bool newRunNode = node.ends.empty() && node.keys.empty();
        if (term.hasWildcard) {
            node.keys.push_back(run.term);
        } else if (std::none_of(node.ends.begin(), node.ends.end(),
                                [&](std::uint32_t other) { return CountAlike(terms[other], term); })) {
            node.ends.push_back(run.term);
        } else {
            continue;  // a repeat
        }
        if (newRunNode) ++tree.runNodes;
        if (term.required && !term.negated) {
            ++index.distinctAnd;
            if (!term.hasWildcard) ++tree.plainAnd;
        }
        if (term.required && term.negated) tree.longestAndNot = std::max(tree.longestAndNot, term.length);
        if (!term.required && term.negated) tree.orNotByLength.push_back(run.term);
    }
    for (TermTree& tree : index.trees) {
        std::stable_sort(tree.orNotByLength.begin(), tree.orNotByLength.end(),
                         [&terms](std::uint32_t a, std::uint32_t b) { return terms[a].length > terms[b].length; });
    }
    return index;
}

bool MatchIndexed(const FileEntry& file, const std::vector<FilterTerm>& terms, const TermIndex& index,
                  IndexScratch& scratch, bool hasAlternatives, std::int32_t& position) {
    const std::uint32_t stamp = ++scratch.file;
    FieldLengths lengths(file);
    position = -1;
    TermTally tally;
    std::uint32_t andMatched = 0;
    // The pattern of term `i` found at `at`; false when that alone makes the file fail. A negated
    // term found does not hold (the text's length is then of no account); the negated
    // alternatives that hold are looked for below.
    const auto matched = [&](std::uint32_t i, std::int32_t at) {
        const FilterTerm& term = terms[i];
        scratch.matchedIn[i] = stamp;
        if (term.required && !term.negated) ++andMatched;
        return tally.Add(term, TermOutcome(term, at, 0));
    };

    // One pass over each column's text finds its runs; the first time it meets one is the run's
    // leftmost occurrence.
    scratch.candidates.clear();
    for (int column = 0; column < ColumnCount; ++column) {
        const TermTree& tree = index.trees[column];
        if (tree.nodes.empty()) continue;
        const std::uint32_t andBefore = andMatched;
        std::uint32_t runsMet = 0;
        const auto meet = [&](const TermTree::Node& node, std::size_t s) {
            if (node.ends.empty() && node.keys.empty()) return Step::More;
            // A run is met first at its leftmost occurrence; later meetings change nothing.
            const bool first = node.ends.empty() ? scratch.keyFoundIn[node.keys[0]] != stamp
                                                 : scratch.matchedIn[node.ends[0]] != stamp;
            if (!first) return Step::More;
            for (const std::uint32_t i : node.ends) {
                if (!matched(i, static_cast<std::int32_t>(s))) return Step::Fail;
            }
            for (const std::uint32_t i : node.keys) {
                scratch.keyFoundIn[i] = stamp;
                scratch.candidates.push_back(i);
            }
            return ++runsMet == tree.runNodes ? Step::Done : Step::More;
        };
        if (!(IsPathColumn(column) ? FindRuns<true>(tree, lengths.Text(column), meet)
                                   : FindRuns<false>(tree, lengths.Text(column), meet))) {
            return false;
        }
        // A plain And term of this column that was not found fails the file before the other
        // columns are read.
        if (andMatched - andBefore < tree.plainAnd) return false;
    }
    // The wildcard terms whose key occurs, matched in full; the others cannot match.
    for (const std::uint32_t i : scratch.candidates) {
        const FilterTerm& term = terms[i];
        const std::int32_t r =
            MatchWildcard(lengths.Text(term.column), lengths.Of(term.column), term.pattern, term.wildcard, term.column);
        if (r >= 0 && !matched(i, r)) return false;
    }
    if (andMatched < index.distinctAnd) return false;

    // The negated terms in the trees that were not found hold.
    for (int column = 0; column < ColumnCount; ++column) {
        const TermTree& tree = index.trees[column];
        if (tree.nodes.empty()) continue;
        if (tree.longestAndNot > 0) tally.Holds(true, LatestStart(lengths.Of(column), tree.longestAndNot));
        for (const std::uint32_t i : tree.orNotByLength) {
            if (scratch.matchedIn[i] == stamp) continue;
            tally.Holds(false, LatestStart(lengths.Of(column), terms[i].length));
            break;
        }
    }

    for (int column = 0; column < ColumnCount; ++column) {
        if (index.lengthOnly[column].empty()) continue;
        const std::size_t n = lengths.Of(column);
        auto [known, added] = scratch.byLength[column].try_emplace(n);
        if (added) known->second = OutcomeOfLength(lengths.Text(column), n, terms, index.lengthOnly[column]);
        const LengthOutcome& outcome = known->second;
        if (outcome.fails) return false;
        tally.Join(outcome.held);
    }
    position = tally.position;
    return tally.Passes(hasAlternatives);
}

}  // namespace sprig
