#include "filter/TermIndex.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
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

// The longest run of literal units inside one segment of a wildcard term: its start in the
// pattern and its length (0 when the segment has none).
std::pair<std::uint32_t, std::uint32_t> LongestRunIn(const FilterTerm& term, const WildcardPattern::Segment& segment) {
    std::pair<std::uint32_t, std::uint32_t> longest{segment.start, 0};
    const std::uint32_t end = segment.start + segment.length;
    for (std::uint32_t i = segment.start; i < end;) {
        std::uint32_t runEnd = i;
        while (runEnd < end && term.pattern[runEnd] != u'?') ++runEnd;
        if (runEnd - i > longest.second) longest = {i, runEnd - i};
        i = runEnd + 1;
    }
    return longest;
}

enum class Anchor { Anywhere, Head, Tail };

// The run a wildcard term is keyed by: one at a fixed distance from an end of the text when the
// term has one (the longer of the two), else its longest run anywhere.
struct Key {
    std::u16string_view run;
    Anchor anchor = Anchor::Anywhere;
    std::uint32_t offset = 0;  // from the start for Head, from the end for Tail
};

Key ChooseKey(const FilterTerm& term) {
    const auto& segments = term.wildcard.segments;
    Key key;
    const auto head = LongestRunIn(term, segments.front());
    if (head.second > 0)
        key = Key{std::u16string_view(term.pattern + head.first, head.second), Anchor::Head, head.first};
    if (!term.wildcard.trailingStar) {
        const WildcardPattern::Segment& last = segments.back();
        const auto tail = LongestRunIn(term, last);
        if (tail.second > key.run.size()) {
            key = Key{std::u16string_view(term.pattern + tail.first, tail.second), Anchor::Tail,
                      last.start + last.length - (tail.first + tail.second)};
        }
    }
    if (key.run.empty()) key = Key{LongestRun(term), Anchor::Anywhere, 0};
    return key;
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

// Walks the tree from one place of a text of `n` units, `offset` units from its start, or from its
// end (then backwards), and calls `meet` with each node reached.
template <bool PathColumn, bool FromEnd, class Meet>
void FindAnchored(const TermTree& tree, const char16_t* text, std::size_t n, std::size_t offset, Meet&& meet) {
    const auto fold = [](char16_t unit) { return PathColumn ? FoldChar(unit, ColumnFilePath) : FoldAscii(unit); };
    const TermTree::Node* nodes = tree.nodes.data();
    std::uint32_t node = 0;
    for (std::size_t k = offset; k < n; ++k) {
        node = Child(nodes[node], fold(text[FromEnd ? n - 1 - k : k]));
        if (node == 0) return;
        meet(nodes[node]);
    }
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

// The earliest place where an alternative wildcard term could match in the file: a bound below
// its position (PositionBound), or INT32_MAX when its first literal unit does not occur.
std::int32_t EarliestStart(const PositionBound& bound, const TermIndex& index, FieldLengths& lengths,
                           IndexScratch& scratch) {
    if (bound.unit < 0) return bound.floor;
    const auto id = static_cast<std::size_t>(bound.unit);
    if (scratch.unitStamp[id] != scratch.file) {
        const auto [column, unit] = index.firstUnits[id];
        const char16_t* text = lengths.Text(static_cast<std::size_t>(column));
        std::int32_t at = -1;
        for (std::size_t k = 0; text[k] != u'\0'; ++k) {
            if (FoldChar(text[k], column) == unit) {
                at = static_cast<std::int32_t>(k);
                break;
            }
        }
        scratch.unitStamp[id] = scratch.file;
        scratch.unitAt[id] = at;
    }
    const std::int32_t at = scratch.unitAt[id];
    if (at < 0) return INT32_MAX;
    return std::max(at, static_cast<std::int32_t>(bound.from)) - static_cast<std::int32_t>(bound.back);
}

// Terms of one column whose texts are equal and that count alike hold for the same files.
bool CountAlike(const FilterTerm& a, const FilterTerm& b) { return a.negated == b.negated && a.required == b.required; }

}  // namespace

TermIndex BuildTermIndex(const std::vector<FilterTerm>& terms) {
    TermIndex index;
    index.segmentIds.resize(terms.size());
    index.bounds.resize(terms.size());
    struct Run {
        std::u16string_view text;
        std::uint32_t term;
    };
    // The runs of each tree: the column's runs found anywhere, then its anchored keys by place.
    struct Group {
        TermTree* tree;
        std::vector<Run> runs;
    };
    std::vector<Group> groups;
    std::vector<std::u16string> backwards;  // tail keys reversed, as their trees hold them; never moved
    backwards.reserve(terms.size());
    std::map<std::tuple<int, Anchor, std::uint32_t>, std::size_t> groupOf;  // column, anchor, offset
    const auto group = [&](int column, Anchor anchor, std::uint32_t offset) -> std::vector<Run>& {
        const auto [at, added] = groupOf.try_emplace({column, anchor, offset}, groups.size());
        if (added) groups.push_back(Group{nullptr, {}});
        return groups[at->second].runs;
    };
    std::map<std::pair<int, std::u16string_view>, std::uint32_t> segmentId;  // column and text
    std::map<std::pair<int, char16_t>, std::int32_t> unitId;
    // Column, negation, requirement and text of each wildcard term so far.
    std::set<std::tuple<int, bool, bool, std::u16string_view>> wildcards;
    for (std::uint32_t i = 0; i < terms.size(); ++i) {
        const FilterTerm& term = terms[i];
        const std::u16string_view text(term.pattern, term.length);
        if (!term.hasWildcard) {
            group(term.column, Anchor::Anywhere, 0).push_back({text, i});
            continue;
        }
        if (!wildcards.emplace(term.column, term.negated, term.required, text).second) continue;
        const Key key = ChooseKey(term);
        if (key.run.empty()) {
            index.lengthOnly[term.column].push_back(i);
            continue;
        }
        std::u16string_view run = key.run;
        if (key.anchor == Anchor::Tail) run = backwards.emplace_back(run.rbegin(), run.rend());
        group(term.column, key.anchor, key.offset).push_back({run, i});

        const auto& segments = term.wildcard.segments;
        for (const WildcardPattern::Segment& segment : segments) {
            const std::u16string_view segmentText(term.pattern + segment.start, segment.length);
            const auto [at, added] = segmentId.try_emplace({term.column, segmentText}, index.segmentCount);
            index.segmentCount += added;
            index.segmentIds[i].push_back(at->second);
        }
        // The earliest an alternative's match can start: its first literal unit, and the units the
        // pattern has before that unit.
        std::uint32_t before = 0;
        for (std::size_t k = 0; k < segments.size(); ++k) {
            const WildcardPattern::Segment& segment = segments[k];
            if (segment.firstLiteral < 0) {
                before += segment.length;
                continue;
            }
            PositionBound& bound = index.bounds[i];
            const std::uint32_t literal = before + static_cast<std::uint32_t>(segment.firstLiteral);
            if (k == 0) {  // the first segment stands at 0, so this is the position
                bound.floor = segment.firstLiteral;
                break;
            }
            const bool answersZero = k + 1 == segments.size() && term.wildcard.trailingStar;
            const auto [at, added] =
                unitId.try_emplace({term.column, term.pattern[segment.start + segment.firstLiteral]},
                                   static_cast<std::int32_t>(index.firstUnits.size()));
            if (added) index.firstUnits.push_back(at->first);
            bound.unit = at->second;
            bound.from = literal;
            bound.back = answersZero ? static_cast<std::uint32_t>(segment.firstLiteral) : 0;
            bound.floor = static_cast<std::int32_t>(literal - bound.back);
            break;
        }
    }
    // The map's order puts each column's anchored trees nearest the end first; once all are
    // made, their places no longer move.
    for (const auto& [place, at] : groupOf) {
        const auto [column, anchor, offset] = place;
        if (anchor != Anchor::Anywhere) {
            (anchor == Anchor::Head ? index.heads[column] : index.tails[column]).push_back(AnchoredTree{offset, {}});
        }
    }
    std::size_t made[2][ColumnCount] = {};
    for (const auto& [place, at] : groupOf) {
        const auto [column, anchor, offset] = place;
        if (anchor == Anchor::Anywhere) {
            groups[at].tree = &index.trees[column];
        } else {
            const bool head = anchor == Anchor::Head;
            groups[at].tree = &(head ? index.heads[column] : index.tails[column])[made[head][column]++].tree;
        }
    }
    for (Group& g : groups) {
        std::stable_sort(g.runs.begin(), g.runs.end(), [](const Run& a, const Run& b) { return a.text < b.text; });
        TermTree& tree = *g.tree;
        for (const Run& run : g.runs) {
            const FilterTerm& term = terms[run.term];
            TermTree& totals = index.trees[term.column];  // a column's counts, whichever tree holds the run
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
            if (term.required && term.negated) totals.longestAndNot = std::max(totals.longestAndNot, term.length);
            if (!term.required && term.negated) totals.orNotByLength.push_back(run.term);
        }
        // The keys of a node shortest first: a text too short for one is too short for the rest.
        for (TermTree::Node& node : tree.nodes) {
            std::stable_sort(node.keys.begin(), node.keys.end(), [&terms](std::uint32_t a, std::uint32_t b) {
                return terms[a].wildcard.shortestText < terms[b].wildcard.shortestText;
            });
        }
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
    if (scratch.fitStamp.size() < index.segmentCount) {
        scratch.fitStamp.assign(index.segmentCount, 0);
        scratch.fitFrom.resize(index.segmentCount);
        scratch.fit.resize(index.segmentCount);
        scratch.fitTableAt.resize(index.segmentCount);
    }
    scratch.fitTables.clear();
    if (scratch.unitStamp.size() < index.firstUnits.size()) {
        scratch.unitStamp.assign(index.firstUnits.size(), 0);
        scratch.unitAt.resize(index.firstUnits.size());
    }
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
    // The keys of a node found in a text of `n` units: the terms that text is long enough for.
    const auto found = [&](const TermTree::Node& node, std::size_t n) {
        for (const std::uint32_t i : node.keys) {
            if (terms[i].wildcard.shortestText > n) break;
            scratch.keyFoundIn[i] = stamp;
            scratch.candidates.push_back(i);
        }
    };

    // One pass over each column's text finds its runs; the first time it meets one is the run's
    // leftmost occurrence.
    scratch.candidates.clear();
    for (int column = 0; column < ColumnCount; ++column) {
        const TermTree& tree = index.trees[column];
        if (!tree.nodes.empty()) {
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
                if (!node.keys.empty()) {
                    scratch.keyFoundIn[node.keys[0]] = stamp;  // marks the meeting, whatever the length
                    found(node, lengths.Of(column));
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
        if (index.heads[column].empty() && index.tails[column].empty()) continue;
        const char16_t* text = lengths.Text(column);
        const std::size_t n = lengths.Of(column);
        const auto meetAnchored = [&](const TermTree::Node& node) { found(node, n); };
        // Heads are placed from the text's start, tails from its end.
        const auto findAnchored = [&](const auto& trees, auto fromEnd) {
            for (const AnchoredTree& anchored : trees) {
                if (anchored.offset >= n) break;
                if (IsPathColumn(column)) {
                    FindAnchored<true, decltype(fromEnd)::value>(anchored.tree, text, n, anchored.offset, meetAnchored);
                } else {
                    FindAnchored<false, decltype(fromEnd)::value>(anchored.tree, text, n, anchored.offset,
                                                                  meetAnchored);
                }
            }
        };
        findAnchored(index.heads[column], std::false_type{});
        findAnchored(index.tails[column], std::true_type{});
    }

    // The wildcard terms whose key occurs are matched in full (the others cannot match), sharing
    // their searches for segments.
    const auto wildcard = [&](std::uint32_t i) {
        const FilterTerm& term = terms[i];
        SegmentFits fits{index.segmentIds[i].data(), stamp,
                         scratch.fitStamp.data(),    scratch.fitFrom.data(),
                         scratch.fit.data(),         scratch.fitTableAt.data(),
                         &scratch.fitTables};
        return MatchWildcard(lengths.Text(term.column), lengths.Of(term.column), term.pattern, term.wildcard,
                             term.column, nullptr, &fits);
    };
    // Required terms first: one that fails ends the test.
    for (const std::uint32_t i : scratch.candidates) {
        const FilterTerm& term = terms[i];
        if (!term.required) continue;
        const std::int32_t r = wildcard(i);
        if (r < 0 ? !term.negated : !matched(i, r)) return false;
    }
    if (andMatched < index.distinctAnd) return false;

    // The negated terms that were not found hold. Of the negated alternatives only the longest
    // that holds counts, so they are matched longest first until one does not match.
    for (int column = 0; column < ColumnCount; ++column) {
        const TermTree& tree = index.trees[column];
        if (tree.longestAndNot > 0) tally.Holds(true, LatestStart(lengths.Of(column), tree.longestAndNot));
        for (const std::uint32_t i : tree.orNotByLength) {
            if (scratch.matchedIn[i] == stamp) continue;
            if (terms[i].hasWildcard && scratch.keyFoundIn[i] == stamp && wildcard(i) >= 0) continue;
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

    // The alternatives last: once one holds, only those that could start before the position
    // found are matched.
    for (const std::uint32_t i : scratch.candidates) {
        const FilterTerm& term = terms[i];
        if (term.required || term.negated) continue;
        if (tally.alternativeHeld && EarliestStart(index.bounds[i], index, lengths, scratch) >= tally.position) {
            continue;
        }
        const std::int32_t r = wildcard(i);
        if (r >= 0) matched(i, r);
    }
    position = tally.position;
    return tally.Passes(hasAlternatives);
}

}  // namespace sprig
