#include "filter/TermIndex.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <string_view>
#include <type_traits>
#include <unordered_map>

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
        if (node == 0 && unit < tree.asciiStarts.size()) tree.asciiStarts[unit] = child;
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

// The root's child for `unit`, 0 for none.
inline std::uint32_t StartNode(const TermTree& tree, char16_t unit) {
    if (unit < tree.asciiStarts.size()) return tree.asciiStarts[unit];
    return tree.Starts(unit) ? Child(tree.nodes[0], unit) : 0;
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
        std::uint32_t node = oneStart ? (first == startUnit ? startNode : 0) : StartNode(tree, first);
        for (std::size_t j = s + 1; node != 0; ++j) {
            const Step step = meet(nodes[node], s);
            if (step == Step::Fail) return false;
            if (step == Step::Done) return true;
            if (nodes[node].children.empty() || text[j] == u'\0') break;
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
    const auto unitAt = [&](std::size_t k) { return fold(text[FromEnd ? n - 1 - k : k]); };
    if (offset >= n) return;
    std::uint32_t node = StartNode(tree, unitAt(offset));
    for (std::size_t k = offset + 1; node != 0; ++k) {
        meet(nodes[node]);
        if (k == n) return;
        node = Child(nodes[node], unitAt(k));
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

// What a search of a group's graph answers, smaller being better: for And terms the smallest
// position, or -1 when one fails; for AndNot terms 0 when one holds (AnyReached); for alternatives
// the smallest position of those that hold (ByRules); for negated alternatives minus the length of
// the longest that does not hold, counted from the node down (the units above it are added on the
// way up). None: no term gave anything.
constexpr std::int32_t None = INT32_MAX;

// A unit's bit in the 64-bit sets of units kept by their low 6 bits: a set that lacks it does not
// hold the unit.
constexpr std::uint64_t UnitBit(char16_t unit) { return std::uint64_t{1} << (unit & 63); }

// What the rule search's climb needs of a node when the core of the edge above it fits nowhere.
constexpr std::int32_t Nowhere(std::int32_t n) { return n + 2; }

// The room (WildcardGroup::Linked) of a node whose threshold the bound does not bound.
constexpr std::int32_t NoBound = INT32_MIN / 2;

// A group's keyLead when where its key stands does not bound its positions (WildcardGroup).
constexpr std::int32_t NoLead = INT32_MAX;

// The units of the stars just before pattern unit `at`.
std::uint32_t StarsBefore(const FilterTerm& term, std::uint32_t at) {
    std::uint32_t stars = 0;
    while (at > stars && term.pattern[at - stars - 1] == u'*') ++stars;
    return stars;
}

// The graphs of the groups' patterns: a tree of each group's patterns from their ends, then its
// nodes made one with equal nodes made before, the leaves first (equal nodes of one column and
// kind answer alike, whichever group they came from).
class GraphBuilder {
public:
    GraphBuilder(TermIndex& index, const std::vector<FilterTerm>& terms) : index_(index), terms_(terms) {}

    void Add(std::uint32_t g) {
        WildcardGroup& group = index_.groups[g];
        const bool orNot = !group.required && group.negated;
        std::map<std::uint32_t, std::uint32_t> roots;  // by trailing stars, 0 for a last segment that ends the text
        std::int32_t keyLead = INT32_MIN;              // of the terms so far
        for (const std::uint32_t i : group.terms) {
            const FilterTerm& term = terms_[i];
            const auto& segments = term.wildcard.segments;
            // Trailing stars count only in the length of a negated alternative.
            const std::uint32_t stars = term.wildcard.trailingStar ? StarsBefore(term, term.length) : 0;
            const std::uint32_t trailing = orNot ? stars : std::min(stars, 1u);
            const auto [root, added] = roots.try_emplace(trailing, static_cast<std::uint32_t>(tree_.size()));
            if (added) tree_.push_back({g, trailing == 0, trailing});
            std::uint32_t node = root->second;
            for (std::size_t k = segments.size(); k-- > 1;) {
                const WildcardPattern::Segment& segment = segments[k];
                const std::uint32_t units = orNot ? segment.length + StarsBefore(term, segment.start) : 0;
                const Core core = CoreOf(i, segment);
                node = Child(node, {PatternNode::Step::Segment, core.id, core.lead, segment.length, units});
            }
            const WildcardPattern::Segment& head = segments[0];
            node = Child(node, {PatternNode::Step::Head, head.length, 0, 0, orNot ? head.length : 0});
            for (std::uint32_t j = head.length; j-- > 0;) {
                const char16_t unit = term.pattern[j];
                if (unit != u'?') node = Child(node, {PatternNode::Step::Unit, unit, j, 0, 0});
            }
            tree_[node].end = true;
            if (group.required && group.negated) group.ends.push_back({0, 0, node, 0, 0});
            if (group.negated) continue;
            std::int32_t lead;
            tree_[node].rule = RuleOf(term, lead);
            if (group.required) continue;
            keyLead = std::max(keyLead, lead);
            tree_[node].floor = FloorOf(term.column, tree_[node].rule);
            group.ends.push_back({tree_[node].floor, tree_[node].rule, node, 0, 0});
        }
        for (const auto& [trailing, root] : roots) group.roots.emplace_back(root, orNot ? trailing : 0);
        if (!group.required && !group.negated) group.keyLead = keyLead;
    }

    // Makes the graphs' nodes, and turns the groups' roots into them.
    void Finish() {
        // The children of each node, in order: the edges are ordered by their parent.
        std::vector<std::uint32_t> firstEdge(tree_.size() + 1, 0);
        for (const auto& [from, child] : edges_) ++firstEdge[from.first + 1];
        for (std::size_t t = 0; t < tree_.size(); ++t) firstEdge[t + 1] += firstEdge[t];
        std::vector<std::pair<Label, std::uint32_t>> children;
        children.reserve(edges_.size());
        for (const auto& [from, child] : edges_) children.emplace_back(from.second, child);
        // Children come after their parents, so from the last node back each node's children are
        // made before it.
        std::vector<std::uint32_t> made(tree_.size());
        for (std::size_t t = tree_.size(); t-- > 0;) {
            made[t] = Make(tree_[t], children.data() + firstEdge[t], children.data() + firstEdge[t + 1], made);
        }
        for (WildcardGroup& group : index_.groups) {
            for (auto& root : group.roots) root.first = made[root.first];
            for (WildcardGroup::End& end : group.ends) end.node = made[end.node];
            const auto order = [](const WildcardGroup::End& a, const WildcardGroup::End& b) {
                return std::tie(a.floor, a.rule, a.node) < std::tie(b.floor, b.rule, b.node);
            };
            const auto same = [](const WildcardGroup::End& a, const WildcardGroup::End& b) {
                return a.rule == b.rule && a.node == b.node;
            };
            std::sort(group.ends.begin(), group.ends.end(), order);
            group.ends.erase(std::unique(group.ends.begin(), group.ends.end(), same), group.ends.end());
            if (!group.required) AddRuns(group);
        }
        for (WildcardGroup& group : index_.groups) {
            if (!group.ends.empty()) LinkParents(group);
        }
    }

private:
    // Step, label, at, length and units of an edge.
    using Label = std::tuple<PatternNode::Step, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;
    struct TreeNode {
        std::uint32_t group;
        bool exact = false;
        std::uint32_t units = 0;
        bool end = false;
        std::uint32_t rule = 0;
        std::int32_t floor = -1;  // an alternative's: the id of its rule's floor
    };

    std::uint32_t Child(std::uint32_t node, const Label& label) {
        const auto [at, added] = edges_.try_emplace({node, label}, static_cast<std::uint32_t>(tree_.size()));
        if (added) tree_.push_back({tree_[node].group});
        return at->second;
    }

    // A segment without the "?" at its ends, which only ask for room: the segment fits at t
    // where its core fits at t + lead and the text has room for the rest, so segments that differ
    // only there share their searches.
    struct Core {
        std::uint32_t id, lead;
    };
    Core CoreOf(std::uint32_t i, const WildcardPattern::Segment& segment) {
        const FilterTerm& term = terms_[i];
        std::uint32_t start = segment.start, end = segment.start + segment.length;
        while (start < end && term.pattern[start] == u'?') ++start;
        while (start < end && term.pattern[end - 1] == u'?') --end;
        const std::u16string_view text(term.pattern + start, end - start);
        const auto [at, added] =
            segmentIds_.try_emplace({term.column, text}, static_cast<std::uint32_t>(index_.segments.size()));
        if (added) index_.segments.emplace_back(i, WildcardPattern::Segment{start, end - start, 0});
        return {at->second, start - segment.start};
    }
    // Where a term that holds has its position (Wildcard.cpp): at its first literal unit when S0
    // has one, at 0 for S0 before a trailing star; else where the first segment with a literal
    // unit is placed, the "?"-only segments before it taking their units from the start. That
    // segment is placed where it first fits from there, but at the end of the text when it is the
    // last one and no star follows, and the position is that place itself when a star does.
    // Also how far before the leftmost place of the term's key its position can stand at most
    // (`keyLead`), where the key stands in the core the rule places; else NoLead.
    std::uint32_t RuleOf(const FilterTerm& term, std::int32_t& keyLead) {
        keyLead = NoLead;
        const auto& segments = term.wildcard.segments;
        const std::size_t last = segments.size() - 1;
        PositionRule rule{PositionRule::From::Pattern, 0, 0, 0};
        if (last == 0) {
            rule.add = term.wildcard.trailingStar ? 0 : std::max(segments[0].firstLiteral, 0);
        } else if (segments[0].firstLiteral >= 0) {
            rule.add = segments[0].firstLiteral;
        } else {
            std::size_t f = 1;
            rule.offset = segments[0].length;
            for (; segments[f].firstLiteral < 0; ++f) rule.offset += segments[f].length;  // a keyed term has a literal
            const WildcardPattern::Segment& first = segments[f];
            if (f == last && !term.wildcard.trailingStar) {
                rule.from = PositionRule::From::End;
                rule.add = static_cast<std::int32_t>(first.length) - first.firstLiteral;
            } else {
                // Counted from where the segment's core first fits.
                const Core core = CoreOf(static_cast<std::uint32_t>(&term - terms_.data()), first);
                rule.from = PositionRule::From::Fit;
                rule.segment = core.id;
                rule.offset += core.lead;
                rule.add = (f == last ? 0 : first.firstLiteral) - static_cast<std::int32_t>(core.lead);
                // Wherever the core fits, a key in it stands at the same distance after it. (An
                // anchored key is never in it: a head key's S0 holds a literal, and a tail key's
                // segment ends the text.)
                const Key key = ChooseKey(term);
                const auto keyAt = static_cast<std::uint32_t>(key.run.data() - term.pattern);
                const std::uint32_t coreAt = first.start + core.lead;
                if (keyAt >= coreAt && keyAt + key.run.size() <= coreAt + index_.segments[core.id].second.length) {
                    keyLead = static_cast<std::int32_t>(keyAt - coreAt) - rule.add;
                }
            }
        }
        const auto [at, added] = ruleIds_.try_emplace({term.column, rule.from, rule.segment, rule.offset, rule.add},
                                                      static_cast<std::uint32_t>(index_.rules.size()));
        if (added) index_.rules.push_back(rule);
        return at->second;
    }

    // An alternative's position is no less than where the first unit of the core its rule places
    // first occurs.
    std::int32_t FloorOf(int column, std::uint32_t id) {
        PositionRule floor = index_.rules[id];
        if (floor.from == PositionRule::From::Fit) {
            const auto& [of, core] = index_.segments[floor.segment];
            floor.segment = terms_[of].pattern[core.start];
        }
        const auto [at, added] = floorIds_.try_emplace({column, floor.from, floor.segment, floor.offset, floor.add},
                                                       static_cast<std::int32_t>(index_.floors.size()));
        if (added) index_.floors.push_back(floor);
        return at->second;
    }

    std::uint32_t Make(const TreeNode& tree, const std::pair<Label, std::uint32_t>* child,
                       const std::pair<Label, std::uint32_t>* end, const std::vector<std::uint32_t>& made) {
        const WildcardGroup& group = index_.groups[tree.group];
        PatternNode node;
        node.end = tree.end;
        node.rule = tree.rule;
        node.exact = tree.exact;
        const bool orNot = !group.required && group.negated;
        node.floor = None;
        if (node.end) node.floor = group.negated ? 0 : -1;
        std::u32string signature{
            static_cast<char32_t>(group.column), group.required, group.negated, node.end, node.rule, node.exact};
        for (; child != end; ++child) {
            const auto [step, value, at, length, units] = child->first;
            const std::uint32_t to = made[child->second];
            char16_t first = 0;
            if (step == PatternNode::Step::Segment) {
                const auto& [term, core] = index_.segments[value];
                if (core.length > 0) first = terms_[term].pattern[core.start];
            }
            node.edges.push_back({step, first, value, at, length, to, units});
            const std::int32_t floor = index_.nodes[to].floor;
            node.floor = std::min(node.floor, orNot ? floor - static_cast<std::int32_t>(units) : floor);
            signature.append({static_cast<char32_t>(step), value, at, length, to, units});
        }
        const auto [at, added] =
            nodeIds_.try_emplace(std::move(signature), static_cast<std::uint32_t>(index_.nodes.size()));
        if (added) index_.nodes.push_back(std::move(node));
        return at->second;
    }

    // The group's ends by floor (WildcardGroup::Run).
    void AddRuns(WildcardGroup& group) {
        for (std::uint32_t begin = 0, end; begin < group.ends.size(); begin = end) {
            const std::int32_t floor = group.ends[begin].floor;
            for (end = begin; end < group.ends.size() && group.ends[end].floor == floor; ++end) {}
            WildcardGroup::Run run{static_cast<std::uint32_t>(floor),
                                   begin,
                                   end,
                                   static_cast<std::uint32_t>(group.keys.size()),
                                   0,
                                   static_cast<std::uint32_t>(group.lengths.size()),
                                   0};
            if (index_.floors[static_cast<std::size_t>(floor)].from == PositionRule::From::Fit) {
                for (std::uint32_t k = begin; k < end; ++k) {
                    const auto& [term, core] = index_.segments[index_.rules[group.ends[k].rule].segment];
                    const char16_t last = terms_[term].pattern[core.start + core.length - 1];
                    group.keys.emplace_back(std::uint32_t{last} << 16 | core.length, k);
                    group.lengths.push_back(core.length);
                }
            }
            std::sort(group.keys.begin() + run.keysAt, group.keys.end());
            std::sort(group.lengths.begin() + run.lengthsAt, group.lengths.end());
            group.lengths.erase(std::unique(group.lengths.begin() + run.lengthsAt, group.lengths.end()),
                                group.lengths.end());
            run.keysEnd = static_cast<std::uint32_t>(group.keys.size());
            run.lengthsEnd = static_cast<std::uint32_t>(group.lengths.size());
            group.runs.push_back(run);
        }
    }

    // The edges into each node of an alternatives group's graph, from its roots down.
    void LinkParents(WildcardGroup& group) {
        auto& into = into_;
        into.clear();
        if (++linkStamp_ == 0) {
            std::fill(linkSeen_.begin(), linkSeen_.end(), 0);
            linkStamp_ = 1;
        }
        linkSeen_.resize(index_.nodes.size(), 0);
        std::vector<std::uint32_t>& todo = todo_;
        for (const auto& root : group.roots) todo.push_back(root.first);
        while (!todo.empty()) {
            const std::uint32_t node = todo.back();
            todo.pop_back();
            if (linkSeen_[node] == linkStamp_) continue;
            linkSeen_[node] = linkStamp_;
            const auto& edges = index_.nodes[node].edges;
            for (std::uint32_t k = 0; k < edges.size(); ++k) {
                const PatternNode::Edge& edge = edges[k];
                const bool head = edge.step == PatternNode::Step::Head;
                // A Head edge's label is its length. What a Unit edge or one from a node of one
                // threshold needs does not grow with the length.
                const std::uint32_t alone = edge.step == PatternNode::Step::Unit || index_.nodes[node].exact;
                const bool keyed = !alone && edge.step == PatternNode::Step::Segment && edge.first != 0;
                into.push_back({edge.to, keyed ? 1 + (edge.first & 63u) : 0, alone,
                                static_cast<std::uint32_t>(edge.step), head ? 0 : edge.label, edge.at, node,
                                head ? edge.label : edge.length, k});
                todo.push_back(edge.to);
            }
        }
        std::sort(into.begin(), into.end());
        // The nodes that edges come into, ascending, and where the edges into each begin; the
        // group's entries follow those of the groups before it in the index's lists.
        auto& linked = linkedNodes_;
        linked.clear();
        auto& parents = index_.parents;
        auto& keyed = index_.keyed;
        const auto firstParent = static_cast<std::uint32_t>(parents.size());
        const auto firstLinked = static_cast<std::uint32_t>(index_.linked.size());
        const auto firstKeyed = static_cast<std::uint32_t>(keyed.size());
        for (std::size_t i = 0; i < into.size(); ++i) {
            const Into& edge = into[i];
            if (linked.empty() || linked.back() != edge.child) {
                linked.push_back(edge.child);
                index_.linked.push_back({static_cast<std::uint32_t>(keyed.size()), 0, 0});
            }
            if (i == 0 || into[i - 1].child != edge.child || into[i - 1].bit != edge.bit) {
                const std::uint64_t units = edge.bit != 0 ? std::uint64_t{1} << (edge.bit - 1) : 0;
                keyed.push_back({units, NoBound, static_cast<std::uint32_t>(parents.size())});
            }
            const PatternNode& parent = index_.nodes[edge.parent];
            parents.push_back({parent.edges[edge.edge], edge.parent, 0, 0, 0, 0, 0, 0, 0, parent.exact, 0});
        }
        keyed.push_back({0, NoBound, static_cast<std::uint32_t>(parents.size())});
        index_.linked.push_back({static_cast<std::uint32_t>(keyed.size() - 1), 0, 0});
        const auto linkOf = [&](std::uint32_t node) {
            const auto at = std::lower_bound(linked.begin(), linked.end(), node);
            return at != linked.end() && *at == node ? firstLinked + static_cast<std::uint32_t>(at - linked.begin()) + 1
                                                     : 0;
        };
        for (std::size_t p = firstParent; p < parents.size(); ++p) parents[p].link = linkOf(parents[p].parent);
        for (WildcardGroup::End& end : group.ends) end.link = linkOf(end.node);
        AddBounds(group, firstLinked, firstParent);
        // What every edge of a run needs: the run's unit, the units its parents need, and for a
        // unit's edges, which need at least their length more than the node, the least room.
        for (std::size_t r = firstKeyed; r + 1 < keyed.size(); ++r) {
            WildcardGroup::Keyed& run = keyed[r];
            std::uint64_t needs = ~std::uint64_t{0};
            std::int32_t least = INT32_MAX;
            for (std::uint32_t p = run.begin; p < keyed[r + 1].begin; ++p) {
                needs &= parents[p].needs;
                least = std::min(least, parents[p].room + static_cast<std::int32_t>(parents[p].edge.length));
            }
            if (run.units != 0) run.least = least;
            run.units |= needs;
        }
        for (std::size_t i = into.size(); i-- > 0;) {
            WildcardGroup::Parent& parent = parents[firstParent + i];
            const bool run = i + 1 < into.size() && into[i].SameRun(into[i + 1]);
            parent.runEnd = run ? parents[firstParent + i + 1].runEnd : firstParent + static_cast<std::uint32_t>(i + 1);
            const bool core = i + 1 < into.size() && into[i].SameCore(into[i + 1]);
            parent.coreEnd =
                core ? parents[firstParent + i + 1].coreEnd : firstParent + static_cast<std::uint32_t>(i + 1);
        }
    }

    // The group's top (WildcardGroup::top), and each node's room below it and the units it needs.
    // A node's children were made before it, so the nodes from the last down meet every parent
    // before its children.
    void AddBounds(WildcardGroup& group, std::uint32_t firstLinked, std::uint32_t firstParent) {
        auto& linked = index_.linked;
        const std::size_t count = linkedNodes_.size();
        const auto placeOf = [&](const WildcardGroup::Parent& parent) { return parent.link - 1 - firstLinked; };
        const auto parentsOf = [&](std::size_t k) {
            return std::pair{index_.keyed[linked[firstLinked + k].keyed].begin,
                             index_.keyed[linked[firstLinked + k + 1].keyed].begin};
        };
        // Each node's level: the fewest edges from a root to it (roots have no link).
        std::vector<std::uint32_t> level(count, UINT32_MAX);
        for (std::size_t k = count; k-- > 0;) {
            const auto [begin, end] = parentsOf(k);
            for (std::uint32_t p = begin; p < end; ++p) {
                const WildcardGroup::Parent& parent = index_.parents[p];
                level[k] = std::min(level[k], parent.link == 0 ? 1 : level[placeOf(parent)] + 1);
            }
        }
        // As many levels as keep every parent of theirs among them and the edges among them few:
        // the thresholds of those are worked out for each text the group is climbed in.
        constexpr std::size_t MostTopEdges = 8;
        std::uint32_t depth = 0;
        for (std::size_t edges = 0;;) {
            bool closed = true, any = false;
            for (std::size_t k = 0; k < count && closed; ++k) {
                if (level[k] != depth + 1) continue;
                any = true;
                const auto [begin, end] = parentsOf(k);
                edges += end - begin;
                for (std::uint32_t p = begin; p < end; ++p) {
                    const WildcardGroup::Parent& parent = index_.parents[p];
                    if (parent.link != 0 && level[placeOf(parent)] > depth + 1) closed = false;
                }
            }
            if (!any || !closed || edges > MostTopEdges) break;
            ++depth;
        }
        // One level of several nodes bounds little (the last place of one of the last segments is
        // rarely far from the end) for what every text the group is climbed in pays for it.
        if (depth == 1 && std::count(level.begin(), level.end(), 1u) > 1) depth = 0;
        std::vector<std::uint32_t> place(count + 1, 0);  // 1 + the node's place in `top`, or 0
        for (const auto& root : group.roots) group.top.push_back(root.first);
        if (depth == 0) {
            for (std::uint32_t t = 0; t < group.top.size(); ++t) group.frontier.push_back(t);
        }
        for (std::size_t k = count; k-- > 0;) {
            if (level[k] > depth) continue;
            place[k] = static_cast<std::uint32_t>(group.top.size() + 1);
            if (level[k] == depth) group.frontier.push_back(place[k] - 1);
            group.top.push_back(linkedNodes_[k]);
        }
        // 1 + the place in `top` of a node with that link; a node without one is a root, and the
        // roots come first.
        const auto topOf = [&](std::uint32_t link, std::uint32_t node) -> std::uint32_t {
            if (link != 0) return place[link - 1 - firstLinked];
            const auto root = std::find_if(group.roots.begin(), group.roots.end(),
                                           [&](const auto& root) { return root.first == node; });
            return root != group.roots.end() ? static_cast<std::uint32_t>(root - group.roots.begin() + 1) : 0;
        };
        for (std::size_t p = firstParent; p < index_.parents.size(); ++p)
            index_.parents[p].top = topOf(index_.parents[p].link, index_.parents[p].parent);
        for (WildcardGroup::End& end : group.ends) end.top = topOf(end.link, end.node);
        for (std::size_t k = count; k-- > 0;) {
            const auto [begin, end] = parentsOf(k);
            for (std::uint32_t p = begin; p < end && place[k] != 0; ++p)
                group.topEdges.push_back({index_.parents[p].top - 1, place[k] - 1, p});
        }
        // Parents come before their children in `top`, so the edges from each come in order.
        std::stable_sort(group.topEdges.begin(), group.topEdges.end(),
                         [](const auto& a, const auto& b) { return a.from < b.from; });
        const auto roomOf = [&](const WildcardGroup::Parent& parent) {
            return parent.top != 0 ? 0 : linked[parent.link - 1].room;
        };
        const auto needsOf = [&](const WildcardGroup::Parent& parent) {
            return parent.top != 0 ? 0 : linked[parent.link - 1].needs;
        };
        for (std::size_t k = count; k-- > 0;) {
            WildcardGroup::Linked& node = linked[firstLinked + k];
            std::uint64_t needs = ~std::uint64_t{0};
            std::int32_t room = INT32_MAX;
            const auto [begin, end] = parentsOf(k);
            for (std::uint32_t p = begin; p < end; ++p) {
                const WildcardGroup::Parent& parent = index_.parents[p];
                const PatternNode::Edge& edge = parent.edge;
                const bool segment = edge.step == PatternNode::Step::Segment;
                needs &= needsOf(parent) | (segment && edge.first != 0 ? UnitBit(edge.first) : 0);
                const std::uint32_t units = segment                                ? edge.length
                                            : edge.step == PatternNode::Step::Head ? edge.label
                                                                                   : 0;
                room = std::min(room, roomOf(parent) + static_cast<std::int32_t>(units));
            }
            // A node of the top is answered where the climb meets it.
            node.needs = place[k] != 0 ? 0 : needs;
            node.room = place[k] != 0 ? NoBound : room;
        }
        for (std::size_t p = firstParent; p < index_.parents.size(); ++p) {
            WildcardGroup::Parent& parent = index_.parents[p];
            parent.room = roomOf(parent);
            parent.needs = needsOf(parent);
            if (parent.link != 0) {
                parent.keyed = linked[parent.link - 1].keyed;
                parent.keyedEnd = linked[parent.link].keyed;
            }
        }
    }

    TermIndex& index_;
    const std::vector<FilterTerm>& terms_;
    std::vector<TreeNode> tree_;
    std::map<std::pair<std::uint32_t, Label>, std::uint32_t> edges_;           // by parent and label: child
    std::map<std::pair<int, std::u16string_view>, std::uint32_t> segmentIds_;  // column and core
    // Rules and floors by column too: what they give is worked out once for a file, in their column's text.
    using RuleKey = std::tuple<int, PositionRule::From, std::uint32_t, std::uint32_t, std::int32_t>;
    std::map<RuleKey, std::uint32_t> ruleIds_;
    std::map<RuleKey, std::int32_t> floorIds_;
    std::unordered_map<std::u32string, std::uint32_t> nodeIds_;
    // LinkParents's room, kept from one group to the next: the edges into each node, ordered so
    // that those of one first unit's bit stand together (`bit`, 0 for those kept out of the runs,
    // which come first), the Segment edges of one core among them, and among those the ones from
    // one parent that differ only in length, shortest first.
    struct Into {
        std::uint32_t child, bit, alone, step, core, lead, parent, length, edge;
        bool operator<(const Into& o) const {
            return std::tie(child, bit, alone, step, core, lead, parent, length, edge) <
                   std::tie(o.child, o.bit, o.alone, o.step, o.core, o.lead, o.parent, o.length, o.edge);
        }
        bool SameCore(const Into& o) const {
            return alone == 0 && step == static_cast<std::uint32_t>(PatternNode::Step::Segment) &&
                   std::tie(child, alone, step, core, lead) == std::tie(o.child, o.alone, o.step, o.core, o.lead);
        }
        bool SameRun(const Into& o) const {
            return alone == 0 && std::tie(child, alone, step, core, lead, parent) ==
                                     std::tie(o.child, o.alone, o.step, o.core, o.lead, o.parent);
        }
    };
    std::vector<Into> into_;
    std::vector<std::uint32_t> todo_, linkSeen_;
    std::vector<std::uint32_t> linkedNodes_;  // the nodes of the group's entries in TermIndex::linked
    std::uint32_t linkStamp_ = 0;
};

// Puts wildcard term `i` in the group of its kind among those keyed at `node`.
void AddToGroup(TermIndex& index, TermTree::Node& node, std::uint32_t i, const FilterTerm& term) {
    const auto same = std::find_if(node.groups.begin(), node.groups.end(), [&](std::uint32_t g) {
        return index.groups[g].required == term.required && index.groups[g].negated == term.negated;
    });
    std::uint32_t g;
    if (same != node.groups.end()) {
        g = *same;
    } else {
        g = static_cast<std::uint32_t>(index.groups.size());
        node.groups.push_back(g);
        WildcardGroup added;
        added.column = term.column;
        added.required = term.required;
        added.negated = term.negated;
        added.shortest = term.wildcard.shortestText;
        index.groups.push_back(std::move(added));
    }
    WildcardGroup& group = index.groups[g];
    group.terms.push_back(i);
    group.shortest = std::min(group.shortest, term.wildcard.shortestText);
    group.longest = std::max(group.longest, term.length);
    group.andTerms += term.required && !term.negated;
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
            const bool newRunNode = node.ends.empty() && node.groups.empty();
            if (term.hasWildcard) {
                AddToGroup(index, node, run.term, term);
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
            if (!term.required && term.negated && !term.hasWildcard) totals.orNotByLength.push_back(run.term);
        }
    }
    GraphBuilder graphs(index, terms);
    for (std::uint32_t g = 0; g < index.groups.size(); ++g) {
        graphs.Add(g);
        const WildcardGroup& group = index.groups[g];
        if (!group.required && group.negated) index.trees[group.column].orNotGroups.push_back(g);
    }
    graphs.Finish();
    for (TermTree& tree : index.trees) {
        std::stable_sort(tree.orNotByLength.begin(), tree.orNotByLength.end(),
                         [&terms](std::uint32_t a, std::uint32_t b) { return terms[a].length > terms[b].length; });
    }
    return index;
}

namespace {

// Searches the graphs of the groups of one column in one file's text (see PatternNode and None).
class GraphSearch {
public:
    GraphSearch(const std::vector<FilterTerm>& terms, const TermIndex& index, IndexScratch& scratch,
                const char16_t* text, std::size_t n, int column)
        : terms_(terms),
          index_(index),
          scratch_(scratch),
          text_(text),
          n_(static_cast<std::int32_t>(n)),
          column_(column) {}

    // What the group's terms give, as far as it can be better than `cutoff`: the answer when it
    // is smaller than `cutoff`, else some number no smaller.
    std::int32_t Group(std::uint32_t id, std::int32_t cutoff) {
        const WildcardGroup& group = index_.groups[id];
        orNot_ = !group.required && group.negated;
        if (!group.required && !group.negated) return ByRules(group, cutoff);
        if (group.required && group.negated) return AnyReached(group) ? 0 : None;
        std::int32_t best = None;
        for (const auto& [root, units] : group.roots)
            best = Better(best, Search(root, Below(std::min(cutoff, best), units)), units);
        return best;
    }

private:
    // A negated alternative's answer counts units from the node down: seen from above a step, it
    // grows by the step's units.
    std::int32_t Better(std::int32_t best, std::int32_t below, std::uint32_t units) const {
        if (orNot_ && below != None) below -= static_cast<std::int32_t>(units);
        return std::min(best, below);
    }
    std::int32_t Below(std::int32_t cutoff, std::uint32_t units) const {
        return orNot_ && cutoff != None ? cutoff + static_cast<std::int32_t>(units) : cutoff;
    }

    // The alternatives taken by where their rules place them, the nearest first: the first that
    // holds gives the answer. The floors come first, in order: the rules of a floor place their
    // terms no nearer, so the search ends at a floor no better than what was found.
    std::int32_t ByRules(const WildcardGroup& group, std::int32_t cutoff) {
        auto& floors = scratch_.floorOrder;
        floors.clear();
        for (std::uint32_t r = 0; r < group.runs.size(); ++r) {
            const std::int32_t floor = Floor(group.runs[r].floor);
            if (floor < cutoff) floors.emplace_back(floor, r);
        }
        // A group none of whose floors is nearer than what was found is not climbed at all.
        if (floors.empty() || !StartClimbs(group)) return cutoff;
        std::sort(floors.begin(), floors.end());
        std::int32_t best = cutoff;
        for (const auto& [floor, r] : floors) {
            if (floor >= best) break;
            best = std::min(best, FirstHeld(group, group.runs[r], floor, best));
        }
        return best;
    }

    // Whether some AndNot term of the group holds: some end is reached from the roots.
    bool AnyReached(const WildcardGroup& group) {
        if (!StartClimbs(group)) return false;
        return std::any_of(group.ends.begin(), group.ends.end(),
                           [&](const WildcardGroup::End& end) { return Reached(end); });
    }

    // Readies a search of the group's ends (Reached) for the text: false when the text already
    // shows that none is reached.
    bool StartClimbs(const WildcardGroup& group) {
        if (++scratch_.search == 0) {
            std::fill(scratch_.reach.begin(), scratch_.reach.end(), IndexScratch::Reach{});
            std::fill(scratch_.endsTried.begin(), scratch_.endsTried.end(), 0);
            scratch_.search = 1;
        }
        // Most texts end otherwise than the patterns that end them: those are read there first.
        const auto dead = [&](const auto& root) {
            const PatternNode& node = index_.nodes[root.first];
            return node.exact && std::none_of(node.edges.begin(), node.edges.end(), [&](const PatternNode::Edge& edge) {
                       return Threshold(edge, n_, true) >= 0;
                   });
        };
        // A top below the roots tries their edges itself.
        if (group.topEdges.empty() && std::all_of(group.roots.begin(), group.roots.end(), dead)) return false;
        auto& tops = scratch_.tops;
        tops.resize(group.top.size());
        const auto below = tops.begin() + static_cast<std::ptrdiff_t>(group.roots.size());
        std::fill(tops.begin(), below, n_);
        std::fill(below, tops.end(), -1);
        for (const WildcardGroup::TopEdge& edge : group.topEdges) {
            if (tops[edge.from] < 0) continue;
            const WildcardGroup::Parent& into = index_.parents[edge.parent];
            tops[edge.to] = std::max(tops[edge.to], Threshold(into.edge, tops[edge.from], into.exact));
        }
        // A bound below 0 leaves no node below the top reached; an end among the top nodes may be.
        bound_ = -1;
        for (const std::uint32_t t : group.frontier) bound_ = std::max(bound_, tops[t]);
        const IndexScratch::TextUnits& units = Units();
        within_ = units.later.data();
        if (bound_ >= 0 && bound_ < n_) {
            // The units between each index and the bound.
            auto& within = scratch_.within;
            within.resize(static_cast<std::size_t>(bound_) + 1);
            within[static_cast<std::size_t>(bound_)] = 0;
            for (auto q = static_cast<std::size_t>(bound_); q-- > 0;) within[q] = within[q + 1] | units.bits[q];
            within_ = within.data();
        }
        return true;
    }

    // The nearest position before `cutoff` of the terms that end in one run and hold, else
    // `cutoff`. The rules of a floor other than Fit place their terms at the floor itself; Fit
    // rules where their cores first fit, met in order along the places of the floor's unit.
    std::int32_t FirstHeld(const WildcardGroup& group, const WildcardGroup::Run& run, std::int32_t floor,
                           std::int32_t cutoff) {
        if (run.keysAt == run.keysEnd) {
            for (std::uint32_t k = run.begin; k < run.end; ++k) {
                if (Reached(group.ends[k])) return floor;
            }
            return cutoff;
        }
        const std::int32_t add = index_.floors[run.floor].add;
        const IndexScratch::TextUnits& units = Units();
        const auto keys = group.keys.begin();
        // A rule places its term where its core first fits: an end is tried there only, and once
        // every end of the run is tried, the places further on tell nothing.
        auto& tried = scratch_.endsTried;
        if (tried.size() < group.ends.size()) tried.resize(group.ends.size());
        std::uint32_t untried = run.end - run.begin;
        for (std::int32_t q = floor - add; q >= 0 && q + add < cutoff; q = units.after[static_cast<std::size_t>(q)]) {
            for (std::uint32_t l = run.lengthsAt; l < run.lengthsEnd; ++l) {
                const std::uint32_t length = group.lengths[l];
                if (q + static_cast<std::int32_t>(length) > n_) break;
                const std::uint32_t key = std::uint32_t{FoldChar(text_[q + length - 1], column_)} << 16 | length;
                const auto from = std::lower_bound(keys + run.keysAt, keys + run.keysEnd,
                                                   std::pair<std::uint32_t, std::uint32_t>{key, 0});
                for (auto at = from; at != keys + run.keysEnd && at->first == key; ++at) {
                    const WildcardGroup::End& end = group.ends[at->second];
                    if (tried[at->second] == scratch_.search || !CoreFits(index_.rules[end.rule].segment, q)) continue;
                    if (Reached(end)) return q + add;
                    tried[at->second] = scratch_.search;
                    if (--untried == 0) return cutoff;
                }
            }
        }
        return cutoff;
    }

    // Whether the end `target` is reached from the group's roots: tried from the node up, each
    // parent with the least threshold that leaves the node below it what that one needs (where
    // the segment between them first fits from there on). What one question finds about a node
    // answers later ones: the first way up found ends the search.
    bool Reached(const WildcardGroup::End& target) {
        auto& reach = scratch_.reach;
        if (reach.size() < index_.nodes.size()) reach.resize(index_.nodes.size());
        const std::uint32_t search = scratch_.search;
        auto& climb = scratch_.climb;
        climb.clear();
        const std::uint64_t* const within = within_;
        const std::vector<std::int32_t>& tops = scratch_.tops;
        // Whether what is known of `id` answers for `at`; else starts on it. Its runs not yet found
        // wanting are `first` to `last`. Asked at every step of the climb, so kept inline, which the
        // compiler alone no longer does once the test of the node's runs is in it.
        const auto known = [&](std::uint32_t id, std::uint32_t first, std::uint32_t last, std::uint32_t top,
                               std::int32_t room, std::uint64_t needs, std::int32_t at, bool& answer)
            __attribute__((always_inline)) {
            for (;;) {
                if (top != 0) {
                    answer = at <= tops[top - 1];
                    return true;
                }
                if (at + room > bound_ || (~within[at] & needs) != 0) {
                    answer = false;
                    return true;
                }
                // A node of one edge up leaves the climb no choice: it is passed through without a
                // frame (most patterns end in a chain of them: their head, their first segment).
                if (last - first != 1 || index_.keyed[last].begin - index_.keyed[first].begin != 1) break;
                const WildcardGroup::Parent& into = index_.parents[index_.keyed[first].begin];
                at = Need(into.exact, into.edge, at);
                if (at > n_) {
                    answer = false;
                    return true;
                }
                id = into.parent;
                first = into.keyed;
                last = into.keyedEnd;
                top = into.top;
                room = into.room;
                needs = into.needs;
            }
            // A node none of whose runs the text leaves units and room enough for is missed without
            // a climb, and without a look at what is known of it (most such nodes are met once).
            const std::uint32_t run = NextRun(first, last, at);
            if (run == last) {
                answer = false;
                return true;
            }
            IndexScratch::Reach& r = reach[id];
            if (r.search != search) r = {search, -1, n_ + 1};
            if (at <= r.reached || at >= r.missed) {
                answer = at <= r.reached;
                return true;
            }
            climb.push_back({id, index_.keyed[run].begin, index_.keyed[run + 1].begin, at, run + 1, last,
                             Passable(run + 1, last, at)});
            return false;
        };
        bool answer = false;
        const std::uint32_t link = target.link;
        const bool linked = link != 0;
        if (known(target.node, linked ? index_.linked[link - 1].keyed : 0, linked ? index_.linked[link].keyed : 0,
                  target.top, linked ? index_.linked[link - 1].room : 0, linked ? index_.linked[link - 1].needs : 0, 0,
                  answer)) {
            return answer;
        }
        while (!climb.empty()) {
            IndexScratch::Climb& top = climb.back();
            if (top.next == top.end) {
                while (top.passable == 0 && top.keyedEnd - top.keyed > 32) {
                    top.keyed += 32;
                    top.passable = Passable(top.keyed, top.keyedEnd, top.need);
                }
                if (top.passable != 0) {
                    const std::uint32_t run = top.keyed + static_cast<std::uint32_t>(__builtin_ctz(top.passable));
                    top.passable &= top.passable - 1;
                    top.next = index_.keyed[run].begin;
                    top.end = index_.keyed[run + 1].begin;
                    continue;
                }
            }
            if (top.next == top.end) {
                IndexScratch::Reach& r = reach[top.node];
                r.missed = std::min(r.missed, top.need);
                climb.pop_back();
                continue;
            }
            const WildcardGroup::Parent& into = index_.parents[top.next++];
            // A parent none of whose runs the text allows at this node's need allows none at the
            // higher need the edge leaves it either, so it is passed by before the edge's segment
            // is sought. Its one run, or its needs, the node's run has already tested.
            std::uint32_t first = into.keyed;
            if (into.keyedEnd - first > 1 && (first = NextRun(first, into.keyedEnd, top.need)) == into.keyedEnd) {
                top.next = std::max(top.next, into.runEnd);
                continue;
            }
            const std::int32_t above = Need(into.exact, into.edge, top.need);
            // A longer edge of the run needs more still; where the core fits nowhere, every edge
            // of the core does.
            if (above > n_) {
                top.next = above == Nowhere(n_) ? into.coreEnd : into.runEnd;
                continue;
            }
            if (!known(into.parent, first, into.keyedEnd, into.top, into.room, into.needs, above, answer)) continue;
            if (!answer) {
                climb.back().next = std::max(climb.back().next, into.runEnd);
                continue;
            }
            for (const IndexScratch::Climb& way : climb) {
                IndexScratch::Reach& r = reach[way.node];
                r.reached = std::max(r.reached, way.need);
            }
            return true;
        }
        return false;
    }

    // The first of a node's runs from `r` on, before `end`, whose edges the text leaves units and
    // room enough for at `need`, else `end`.
    std::uint32_t NextRun(std::uint32_t r, std::uint32_t end, std::int32_t need) const {
        const std::uint64_t lacks = ~within_[need];
        const std::int32_t room = bound_ - need;
        while (r < end && !Allows(index_.keyed[r], lacks, room)) ++r;
        return r;
    }

    // Whether the edges of a run can be taken where the text lacks the units `lacks` (as
    // TextUnits::later) and leaves `room` units below the bound.
    static bool Allows(const WildcardGroup::Keyed& run, std::uint64_t lacks, std::int32_t room) {
        return ((run.units & lacks) == 0) & (run.least <= room);
    }

    // Of a node's runs from `r` on, the first 32 before `end`, those whose edges the text leaves
    // units and room enough for at `need`: bit k for run r + k. Each is tested without a branch on
    // its outcome, which no predictor foresees.
    std::uint32_t Passable(std::uint32_t r, std::uint32_t end, std::int32_t need) const {
        const std::uint64_t lacks = ~within_[need];
        const std::int32_t room = bound_ - need;
        const WildcardGroup::Keyed* runs = index_.keyed.data() + r;
        const std::uint32_t count = std::min<std::uint32_t>(end - r, 32);
        std::uint32_t passable = 0;
        for (std::uint32_t k = 0; k < count; ++k) {
            passable |= static_cast<std::uint32_t>(Allows(runs[k], lacks, room)) << k;
        }
        return passable;
    }

    // The least threshold of a node (`exact` when that is its only index) that leaves `edge`'s
    // node a threshold of `need` or more; past the text when none does, Nowhere when the edge's
    // core fits nowhere from there on. A node whose threshold is its only index is a root, at the
    // text's length. Asked at each step of the climb, from two places: kept inline, which the
    // compiler alone does not do.
    [[gnu::always_inline]] std::int32_t Need(bool exact, const PatternNode::Edge& edge, std::int32_t need) {
        if (exact) return Threshold(edge, n_, true) >= need ? n_ : n_ + 1;
        switch (edge.step) {
        case PatternNode::Step::Segment: {
            const auto lead = static_cast<std::int32_t>(edge.at);
            const std::int32_t from = std::max(need, 0) + lead;
            if (edge.first != 0 && (from >= n_ || !(Units().later[from] & UnitBit(edge.first)))) return Nowhere(n_);
            const std::int32_t fit = FirstFit(edge.label, from);
            return fit > n_ ? Nowhere(n_) : fit - lead + static_cast<std::int32_t>(edge.length);
        }
        case PatternNode::Step::Head:
            return need <= 0 ? static_cast<std::int32_t>(edge.label) : n_ + 1;
        case PatternNode::Step::Unit:
            return need <= 0 && FoldChar(text_[edge.at], column_) == edge.label ? 0 : n_ + 1;
        }
        return n_ + 1;
    }

    // Whether no term under `node` can give an answer better than `cutoff`.
    bool CannotBeat(const PatternNode& node, std::int32_t cutoff) const { return node.floor >= cutoff; }

    // The least position the alternatives of floor `id` can have, None when none can hold.
    std::int32_t Floor(std::uint32_t id) {
        auto& [stamp, floor] = scratch_.floors[id];
        if (stamp == scratch_.file) return floor;
        stamp = scratch_.file;
        const PositionRule& rule = index_.floors[id];
        floor = rule.add;
        if (rule.from == PositionRule::From::End) floor = n_ - rule.add;
        if (rule.from == PositionRule::From::Fit) {
            const std::int32_t first = FirstOccurrence(static_cast<char16_t>(rule.segment), rule.offset);
            floor = first < 0 ? None : first + rule.add;
        }
        return floor;
    }

    // The answer for `node` when its threshold is none: none of its terms holds.
    std::int32_t NoneHolds(const PatternNode& node) const { return node.floor; }

    std::int32_t Search(std::uint32_t root, std::int32_t cutoff) {
        std::int32_t answer;
        if (Enter(root, n_, cutoff, 0, answer)) return answer;
        auto& stack = scratch_.stack;
        for (;;) {
            IndexScratch::Frame& frame = stack.back();
            const PatternNode& node = index_.nodes[frame.node];
            if (frame.next < node.edges.size()) {
                // Answers rise with the threshold, and are known for the higher thresholds once
                // the lower are: the edges of a segment's longer forms, which leave a lower
                // threshold, come last.
                const PatternNode::Edge& edge = node.edges[node.edges.size() - 1 - frame.next++];
                const std::int32_t below = Below(std::min(frame.cutoff, frame.best), edge.units);
                const PatternNode& child = index_.nodes[edge.to];
                if (CannotBeat(child, below)) continue;
                const std::int32_t threshold = Threshold(edge, frame.threshold, node.exact);
                if (threshold < 0) {
                    frame.best = Better(frame.best, NoneHolds(child), edge.units);
                } else if (Enter(edge.to, threshold, below, edge.units, answer)) {
                    IndexScratch::Frame& same = stack.back();
                    same.best = Better(same.best, answer, edge.units);
                }
                continue;
            }
            Remember(frame.node, frame.threshold, {frame.best, frame.cutoff});
            answer = frame.best;
            const std::uint32_t units = frame.units;
            stack.pop_back();
            if (stack.empty()) return answer;
            stack.back().best = Better(stack.back().best, answer, units);
        }
    }

    // Starts on `node` at `threshold`; true with `answer` when that is known without going down.
    bool Enter(std::uint32_t id, std::int32_t threshold, std::int32_t cutoff, std::uint32_t units,
               std::int32_t& answer) {
        const PatternNode& node = index_.nodes[id];
        if (CannotBeat(node, cutoff)) {
            answer = cutoff;
            return true;
        }
        // An answer found before counts when it was exact (better than the cutoff it was looked
        // for under) or looked for under a cutoff no worse than this one.
        const IndexScratch::Answers& known = scratch_.answers[id];
        if (known.stamp == scratch_.file) {
            const IndexScratch::Answer* before = nullptr;
            if (known.threshold == threshold) {
                before = &known.answer;
            } else if (known.tableAt != 0) {
                before = &scratch_.answerTables[known.tableAt - 1 + static_cast<std::size_t>(threshold)];
            }
            if (before && (before->value < before->cutoff || cutoff <= before->cutoff)) {
                answer = before->value;
                return true;
            }
            // More terms hold at a higher threshold, so the answer at a lower threshold bounds
            // this one from below. An And node that held for all its terms holds higher up.
            if (known.boundAt <= threshold) {
                if (known.bound >= cutoff) {
                    answer = cutoff;
                    return true;
                }
                if (!orNot_ && known.bound >= 0) {
                    answer = known.bound;
                    return true;
                }
            }
        }
        // A negated alternative that holds gives nothing.
        const std::int32_t best = !node.end || orNot_ ? None : Position(node.rule);
        scratch_.stack.push_back({id, threshold, cutoff, best, 0, units});
        return false;
    }

    void Remember(std::uint32_t id, std::int32_t threshold, IndexScratch::Answer answer) {
        IndexScratch::Answers& known = scratch_.answers[id];
        const std::int32_t bound = std::min(answer.value, answer.cutoff);  // the answer is no better
        if (known.stamp != scratch_.file) {
            known = {scratch_.file, threshold, answer, 0, threshold, bound};
            return;
        }
        if (known.boundAt == threshold) {
            known.bound = std::max(known.bound, bound);
        } else if (threshold < known.boundAt) {
            known.boundAt = threshold;
            known.bound = bound;
        }
        if (known.threshold == threshold) {
            known.answer = answer;
            return;
        }
        auto& tables = scratch_.answerTables;
        if (known.tableAt == 0) {
            known.tableAt = static_cast<std::uint32_t>(tables.size() + 1);
            tables.resize(tables.size() + static_cast<std::size_t>(n_) + 1, {0, INT32_MIN});
        }
        tables[known.tableAt - 1 + static_cast<std::size_t>(threshold)] = answer;
    }

    // The threshold past the edge from a node at `threshold`, or -1 when there is none.
    std::int32_t Threshold(const PatternNode::Edge& edge, std::int32_t threshold, bool exact) {
        switch (edge.step) {
        case PatternNode::Step::Segment: {
            // The segment fits at p where its core fits at p + lead: the threshold leaves the room.
            const std::int32_t p = threshold - static_cast<std::int32_t>(edge.length);
            if (p < 0) return -1;
            const auto lead = static_cast<std::int32_t>(edge.at);
            if (exact) return CoreFits(edge.label, p + lead) ? p : -1;
            const std::int32_t fit = LastFit(edge.label, p + lead);
            return fit >= lead ? fit - lead : -1;
        }
        case PatternNode::Step::Head: {
            const auto length = static_cast<std::int32_t>(edge.label);
            return (exact ? threshold == length : threshold >= length) ? 0 : -1;
        }
        case PatternNode::Step::Unit:
            return FoldChar(text_[edge.at], column_) == edge.label ? 0 : -1;
        }
        return -1;
    }

    bool CoreFits(std::uint32_t id, std::int32_t at) const {
        const auto& [term, core] = index_.segments[id];
        const char16_t* pattern = terms_[term].pattern;
        return at + static_cast<std::int32_t>(core.length) <= n_ && SegmentMatches(text_ + at, pattern, core, column_);
    }

    // Where the units of the text stand (IndexScratch::TextUnits), once per file. Asked for at
    // every step of a search, so what is known is answered without a call, and from the search's
    // own pointer once it has looked.
    const IndexScratch::TextUnits& Units() {
        if (units_ == nullptr) {
            units_ = &scratch_.units[column_];
            if (units_->stamp != scratch_.file) Place(*units_);
        }
        return *units_;
    }
    void Place(IndexScratch::TextUnits& units) {
        units.stamp = scratch_.file;
        if (units.places.empty()) units.places.assign(0x10000, {0, -1, -1, 0});
        const auto n = static_cast<std::size_t>(n_);
        units.before.resize(n);
        units.after.resize(n);
        units.later.resize(n + 1);
        units.later[n] = 0;
        units.bits.resize(n);
        // From the end, so that each place meets the one after it that holds its unit.
        for (std::size_t q = n; q-- > 0;) {
            const char16_t unit = FoldChar(text_[q], column_);
            units.bits[q] = UnitBit(unit);
            units.later[q] = units.later[q + 1] | units.bits[q];
            units.before[q] = -1;
            IndexScratch::TextUnits::Places& places = units.places[unit];
            const auto at = static_cast<std::int32_t>(q);
            if (places.stamp != scratch_.file) {
                places = {scratch_.file, at, at, 1};
                units.after[q] = -1;
                continue;
            }
            ++places.count;
            units.after[q] = places.first;
            units.before[static_cast<std::size_t>(places.first)] = at;
            places.first = at;
        }
    }

    // The last index at or before `p` where core `id` fits, or -1: only the places of its first or
    // its last unit are tried, of whichever the text holds fewer. What the latest question found
    // answers every later one from there up to where it began; a core of more units asked for
    // elsewhere too gets a table of the answers for every index.
    std::int32_t LastFit(std::uint32_t id, std::int32_t p) {
        const IndexScratch::Fit& fit = scratch_.lastFits[id];
        if (fit.stamp == scratch_.file && fit.fit <= p && p <= fit.from) return fit.fit;
        return SeekLastFit(id, p);
    }
    // Out of line, as SeekFirstFit.
    [[gnu::noinline]] std::int32_t SeekLastFit(std::uint32_t id, std::int32_t p) {
        const auto& [term, core] = index_.segments[id];
        if (core.length == 0) return p;
        IndexScratch::Fit& fit = scratch_.lastFits[id];
        const IndexScratch::TextUnits& units = Units();
        if (core.length == 1) {
            // The last place of its unit: a walk over the places, shorter than a table.
            const IndexScratch::TextUnits::Places& places = units.places[terms_[term].pattern[core.start]];
            std::int32_t q = places.stamp == scratch_.file ? places.last : -1;
            while (q > p) q = units.before[q];
            fit = {scratch_.file, p, q, 0};
            return q;
        }
        auto& tables = scratch_.tables;
        if (fit.stamp == scratch_.file && fit.tableAt != 0)
            return tables[fit.tableAt - 1 + static_cast<std::size_t>(p)];
        const char16_t* pattern = terms_[term].pattern;
        const auto count = [&](char16_t unit) {
            return units.places[unit].stamp == scratch_.file ? units.places[unit].count : 0;
        };
        char16_t unit = pattern[core.start];
        std::int32_t back = 0;  // from where that unit stands to where the core starts
        if (count(pattern[core.start + core.length - 1]) < count(unit)) {
            unit = pattern[core.start + core.length - 1];
            back = static_cast<std::int32_t>(core.length) - 1;
        }
        const std::int32_t last = count(unit) > 0 ? units.places[unit].last : -1;
        if (fit.stamp != scratch_.file) {
            std::int32_t r = last;
            while (r > p + back) r = units.before[r];
            while (r >= back && !CoreFits(id, r - back)) r = units.before[r];
            const std::int32_t q = r >= back ? r - back : -1;
            fit = {scratch_.file, p, q, 0};
            return q;
        }
        fit.tableAt = static_cast<std::uint32_t>(tables.size() + 1);
        tables.resize(tables.size() + static_cast<std::size_t>(n_), -1);
        std::int32_t* table = tables.data() + fit.tableAt - 1;
        // From each fit, found from the end, up to the one after it.
        std::int32_t end = n_;
        for (std::int32_t r = last; r >= back; r = units.before[r]) {
            const std::int32_t q = r - back;
            if (!CoreFits(id, q)) continue;
            std::fill(table + q, table + end, q);
            end = q;
        }
        return table[p];
    }

    // The first place from `from` on where the text holds `unit`, or -1.
    std::int32_t FirstOccurrence(char16_t unit, std::uint32_t from) {
        const IndexScratch::TextUnits& units = Units();
        if (units.places[unit].stamp != scratch_.file) return -1;
        std::int32_t q = units.places[unit].first;
        while (q >= 0 && q < static_cast<std::int32_t>(from)) q = units.after[q];
        return q;
    }

    // The first index from `from` on where core `id` fits, or past the text.
    // What one question finds answers every later one from where it began up to the fit.
    std::int32_t FirstFit(std::uint32_t id, std::int32_t from) {
        const IndexScratch::FoundFirst& found = scratch_.firstFits[id];
        if (found.stamp == scratch_.file && found.from <= from && (from <= found.fit || found.fit > n_))
            return found.fit;
        return SeekFirstFit(id, from);
    }
    // Out of line, so that FirstFit, which mostly answers from what is known, is small enough to
    // be inlined in the climb.
    [[gnu::noinline]] std::int32_t SeekFirstFit(std::uint32_t id, std::int32_t from) {
        const auto& [term, core] = index_.segments[id];
        if (core.length == 0) return from;
        auto& [stamp, began, fit] = scratch_.firstFits[id];
        const bool known = stamp == scratch_.file && began <= from;
        // Past a fit, the next places of its first unit follow it.
        const auto& after = scratch_.units[column_].after;
        std::int32_t q =
            known ? fit : FirstOccurrence(terms_[term].pattern[core.start], static_cast<std::uint32_t>(from));
        while (q >= 0 && (q < from || (core.length > 1 && !CoreFits(id, q)))) q = after[q];
        stamp = scratch_.file;
        began = from;
        fit = q >= 0 ? q : n_ + 1;
        return fit;
    }

    std::int32_t Position(std::uint32_t id) {
        auto& [stamp, position] = scratch_.rulePositions[id];
        if (stamp == scratch_.file) return position;
        const PositionRule& rule = index_.rules[id];
        stamp = scratch_.file;
        position = rule.add;
        if (rule.from == PositionRule::From::End) position = n_ - rule.add;
        if (rule.from == PositionRule::From::Fit)
            position += FirstFit(rule.segment, static_cast<std::int32_t>(rule.offset));
        return position;
    }

    const std::vector<FilterTerm>& terms_;
    const TermIndex& index_;
    IndexScratch& scratch_;
    const char16_t* text_;
    std::int32_t n_;
    int column_;
    bool orNot_ = false;
    // Of the group searched by its ends (WildcardGroup::top): the bound, and the units between
    // each index and it (IndexScratch::within, or TextUnits::later when it is the text's end).
    std::int32_t bound_ = 0;
    const std::uint64_t* within_ = nullptr;
    IndexScratch::TextUnits* units_ = nullptr;  // once placed for the file
};

}  // namespace

bool MatchIndexed(const FileEntry& file, const std::vector<FilterTerm>& terms, const TermIndex& index,
                  IndexScratch& scratch, bool hasAlternatives, std::int32_t& position) {
    const std::uint32_t stamp = ++scratch.file;
    if (scratch.groupMet.size() < index.groups.size()) {
        scratch.groupMet.assign(index.groups.size(), 0);
        scratch.groupFound.assign(index.groups.size(), 0);
        scratch.groupLeast.resize(index.groups.size());
    }
    if (scratch.lastFits.size() < index.segments.size()) scratch.lastFits.resize(index.segments.size());
    if (scratch.firstFits.size() < index.segments.size()) scratch.firstFits.resize(index.segments.size());
    if (scratch.rulePositions.size() < index.rules.size()) scratch.rulePositions.resize(index.rules.size());
    if (scratch.floors.size() < index.floors.size()) scratch.floors.resize(index.floors.size());
    if (scratch.answers.size() < index.nodes.size()) scratch.answers.resize(index.nodes.size());
    scratch.tables.clear();
    scratch.answerTables.clear();
    FieldLengths lengths(file);
    position = -1;
    TermTally tally;
    std::uint32_t andMatched = 0;
    // The pattern of plain term `i` found at `at`; false when that alone makes the file fail. A
    // negated term found does not hold (the text's length is then of no account); the negated
    // alternatives that hold are looked for below.
    const auto matched = [&](std::uint32_t i, std::int32_t at) {
        const FilterTerm& term = terms[i];
        scratch.matchedIn[i] = stamp;
        if (term.required && !term.negated) ++andMatched;
        return tally.Add(term, TermOutcome(term, at, 0));
    };
    // The groups keyed at a node found in a text of `n` units, first at `s`: those the text is
    // long enough for.
    const auto found = [&](const TermTree::Node& node, std::size_t n, std::size_t s) {
        for (const std::uint32_t g : node.groups) {
            const WildcardGroup& group = index.groups[g];
            if (group.shortest > n) continue;
            scratch.groupFound[g] = stamp;
            scratch.groupLeast[g] = group.keyLead == NoLead ? INT32_MIN : static_cast<std::int32_t>(s) - group.keyLead;
            scratch.candidates.push_back(g);
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
            // What a run met for the first time tells. Out of line: the pass meets most runs again.
            const auto meetFirst = [&](const TermTree::Node& node, std::size_t s) __attribute__((noinline)) {
                for (const std::uint32_t i : node.ends) {
                    if (!matched(i, static_cast<std::int32_t>(s))) return Step::Fail;
                }
                if (!node.groups.empty()) {
                    scratch.groupMet[node.groups[0]] = stamp;
                    found(node, lengths.Of(column), s);
                }
                return ++runsMet == tree.runNodes ? Step::Done : Step::More;
            };
            const auto meet = [&](const TermTree::Node& node, std::size_t s) __attribute__((always_inline)) {
                if (node.ends.empty() && node.groups.empty()) return Step::More;
                // A run is met first at its leftmost occurrence; later meetings change nothing.
                const bool first = node.ends.empty() ? scratch.groupMet[node.groups[0]] != stamp
                                                     : scratch.matchedIn[node.ends[0]] != stamp;
                return first ? meetFirst(node, s) : Step::More;
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
        // Anchored keys do not bound their groups' positions (NoLead): where they stand is of no account.
        const auto meetAnchored = [&](const TermTree::Node& node) { found(node, n, 0); };
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

    // The groups whose key occurs are searched (the terms of the others cannot hold).
    const auto search = [&](std::uint32_t g, std::int32_t cutoff) {
        const int column = index.groups[g].column;
        GraphSearch graphs(terms, index, scratch, lengths.Text(column), lengths.Of(column), column);
        return graphs.Group(g, cutoff);
    };
    // Required terms first: one that fails ends the test.
    for (const std::uint32_t g : scratch.candidates) {
        const WildcardGroup& group = index.groups[g];
        if (!group.required) continue;
        const std::int32_t answer = search(g, None);
        if (group.negated) {
            if (answer == 0) return false;
            continue;
        }
        if (answer < 0) return false;
        andMatched += group.andTerms;
        tally.Holds(true, answer);
    }
    if (andMatched < index.distinctAnd) return false;

    // The negated terms that were not found hold. Of the negated alternatives only the longest
    // that holds counts: the plain ones longest first until one was not found, then the groups,
    // each searched only for a longer one.
    for (int column = 0; column < ColumnCount; ++column) {
        const TermTree& tree = index.trees[column];
        if (tree.longestAndNot > 0) tally.Holds(true, LatestStart(lengths.Of(column), tree.longestAndNot));
        std::int32_t longest = 0;
        for (const std::uint32_t i : tree.orNotByLength) {
            if (scratch.matchedIn[i] == stamp) continue;
            longest = static_cast<std::int32_t>(terms[i].length);
            break;
        }
        for (const std::uint32_t g : tree.orNotGroups) {
            const WildcardGroup& group = index.groups[g];
            if (scratch.groupFound[g] != stamp) {
                longest = std::max(longest, static_cast<std::int32_t>(group.longest));
            } else {
                const std::int32_t cutoff = longest > 0 ? -longest : None;
                const std::int32_t answer = search(g, cutoff);
                if (answer < cutoff) longest = -answer;
            }
        }
        if (longest > 0) tally.Holds(false, LatestStart(lengths.Of(column), static_cast<std::uint32_t>(longest)));
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

    // The alternatives last: once one holds, only those that could lower the position are
    // looked for.
    for (const std::uint32_t g : scratch.candidates) {
        const WildcardGroup& group = index.groups[g];
        if (group.required || group.negated) continue;
        const std::int32_t cutoff = tally.alternativeHeld ? tally.position : None;
        if (scratch.groupLeast[g] >= cutoff) continue;
        const std::int32_t answer = search(g, cutoff);
        if (answer < cutoff) tally.Holds(false, answer);
    }
    position = tally.position;
    return tally.Passes(hasAlternatives);
}

}  // namespace sprig
