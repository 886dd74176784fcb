// The terms of one query arranged for testing many files, so that a refresh costs about the same
// however many terms the query holds.
//
// A term that holds for a file mostly holds because a run of its literal units occurs in the
// column's text. The runs of all terms of a column go into one tree of their texts, and one pass
// over a file's text, trying the tree from each unit, finds every run that occurs there and the
// first place it does:
//  - a term without wildcards is its own run, and the pass decides it: found or not, and where;
//  - a wildcard term with literal units is keyed by one run; only the terms whose key was found are
//    tested, the others cannot hold (or, negated, hold without a test). A run that stands
//    at a fixed distance from the start or the end of the text (before any star, or after the
//    last one) is the key where there is one: its tree is tried at that one place of each text,
//    and few texts hold it there. Other terms are keyed by their longest run, found anywhere;
//  - the wildcard terms of one key and one kind (a group) are tested together, so that the cost
//    follows what they have in common, not how many they are. A pattern S0 * S1 * ... * Sk [*]
//    holds (Wildcard.cpp) where S0 fits at 0 and the rest can be placed from len(S0) on. The
//    indexes t from which a rest "Si * ... * Sk [*]" can be placed (Si at some p >= t) are every t
//    up to a threshold, one number per text: for Sk before a trailing star, the last place where
//    it fits; for Sk that ends the text, n - len(Sk) when it fits there, else none; for Si before
//    a rest whose threshold is x, the last place p where Si fits with p + len(Si) <= x. So a
//    group's patterns are laid out from their ends as a graph (PatternNode): a node stands for a
//    rest of pattern, reached with the text's threshold for it; an edge puts a segment in front,
//    one search for its last fit whichever terms go through it; then the length of S0 is held
//    against the threshold and S0's literal units against the text where they stand. Nodes whose
//    ways down to the terms' ends are alike are one node, so terms that combine a few segments in
//    every way make a graph of a few nodes. A node answers once for a text and a threshold, and a
//    node whose threshold is none answers for all its terms at once: none holds.
//    What a node answers depends on the kind: for And terms their smallest position, or that one
//    fails; for negated alternatives the longest that does not hold. More terms hold at a higher
//    threshold, so the answer at one threshold bounds those at the others.
//    A term that holds is at the first literal unit of S0, or at a place fixed by its pattern and
//    the text's length, or where the first segment with a literal unit first fits after the
//    "?"-only ones before it: one search shared by every term alike there (the term's rule).
//    Alternatives, of which only the nearest that holds counts, are taken the other way: by their
//    rules, the nearest place first, and each tested from its end up to the group's roots, each
//    node with the least threshold that leaves the one below enough (where the segment between
//    them first fits from there on); the first that holds ends the search, so that a file costs
//    about what its nearest alternatives do, not what all of them do. AndNot terms, of which one
//    that holds is enough, are tested so too, from their one end. The thresholds of the few nodes
//    nearest the roots are worked out from the roots before the climbs, which stop there; every
//    way up passes through the last level of them, whose highest threshold bounds the nodes below.
//    A node that the bound leaves too little room, or whose segments up to that level start with
//    a unit the text does not hold between the need and the bound, is passed by at once, and so
//    are the edges into a node whose cores start with such a unit, and those from a node above it
//    that the text leaves no edge further up from, even at that need.
//    The rules whose first literal unit is the same are met in order by one walk over that unit's
//    places in the text. A group whose key stands in the cores its terms' rules place gives no
//    position nearer than the key's first place less its distance into those cores: once a
//    nearer position is known, the group is not searched.
//    The "?" at the ends of a segment only ask for room, so segments that differ there share their
//    searches too, and a search tries only the places where the text holds the segment's first or
//    last literal unit, whichever it holds fewer of: its cost follows the text, not the number of
//    segments sought;
//  - a wildcard term of "?" and "*" alone looks at the text's length only, so the outcome of all
//    such terms of a column is worked out once per length and remembered.
// Negated terms that hold report their latest start, which only their length decides: the longest
// one that holds gives the smallest position, so they are kept longest first.
// Each distinct term is tested once: a term equal to one before it (text, column, negation and
// requirement) holds exactly when that one does.
// Below, an And term is a required term that is not negated, an AndNot term a required negated
// one, an OrNot term a negated alternative.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalogue/FileEntry.h"
#include "filter/Term.h"

namespace sprig {

// The terms' runs of one column.
struct TermTree {
    struct Node {
        std::vector<std::pair<char16_t, std::uint32_t>> children;  // by unit, ascending; node indices
        std::vector<std::uint32_t> ends;                           // the terms without wildcards whose text ends here
        std::vector<std::uint32_t> groups;                         // the groups of the wildcard terms keyed here
    };
    std::vector<Node> nodes;  // nodes[0] is the root; empty without runs
    // One bit for each unit that some run starts with, so that a unit that starts none costs one
    // look-up.
    std::vector<std::uint64_t> starts;

    bool Starts(char16_t unit) const { return (starts[unit >> 6] >> (unit & 63)) & 1; }
    // The root's child for each unit below 128, 0 for none: the units of most texts, whose runs are
    // then found without a search among the root's children.
    std::array<std::uint32_t, 128> asciiStarts{};
    std::uint32_t runNodes = 0;                // nodes where some term's run ends: once all are met, a pass may stop
    std::uint32_t plainAnd = 0;                // And terms without wildcards, each of which must be found
    std::uint32_t longestAndNot = 0;           // units of the longest keyed or plain AndNot term
    std::vector<std::uint32_t> orNotByLength;  // the plain OrNot terms, longest first
    std::vector<std::uint32_t> orNotGroups;    // the groups of the keyed OrNot terms
};

// Keys that stand `offset` units from the start of a text, or from its end.
struct AnchoredTree {
    std::uint32_t offset;
    TermTree tree;  // keys only; runs from the end are kept backwards
};

// One node of the graph of a group's patterns, read from their ends (above). A node is reached
// with a threshold: the last index from which the rest of pattern it stands for can be placed.
struct PatternNode {
    enum class Step : std::uint8_t {
        Segment,  // a segment of `length` units, `at` of them "?" before its core `label`, fitting last at
                  // or before the threshold less its length
        Head,     // `label` is the length of S0, which the threshold must reach
        Unit,     // `label` is a literal unit of S0, which the text must hold at `at`
    };
    struct Edge {
        Step step;
        char16_t first;  // a Segment's: the first unit of its core, 0 for a core of "?" alone
        std::uint32_t label, at, length;
        std::uint32_t to;
        std::uint32_t units;  // of the pattern, stars included, that the step stands for (OrNot groups only)
    };
    std::vector<Edge> edges;
    bool end = false;        // a term's pattern ends here: reached, it holds
    std::uint32_t rule = 0;  // then where that term's position lies (TermIndex::rules)
    bool exact = false;      // the threshold is the only index from which the rest can be placed
    // The best any term under the node can give (see MatchIndexed): a bound that lets a search
    // that cannot do better pass the node by.
    std::int32_t floor = 0;
};

// Where a wildcard term that holds has its position.
struct PositionRule {
    enum class From : std::uint8_t {
        Pattern,  // `add` itself
        End,      // the text's length less `add`
        Fit,      // where core `segment` first fits from `offset` on, plus `add`
    } from;
    std::uint32_t segment, offset;
    std::int32_t add;
};

// The wildcard terms of one key and one kind.
struct WildcardGroup {
    int column;
    bool required, negated;
    std::vector<std::uint32_t> terms;  // in query order
    std::uint32_t shortest = 0;        // units the shortest term needs of a text
    std::uint32_t longest = 0;         // units of the longest pattern
    std::uint32_t andTerms = 0;        // distinct And terms
    // Alternatives: how far before the leftmost place of their key their positions can stand at
    // most, when that place bounds them all; INT32_MAX when it does not, and for other kinds.
    std::int32_t keyLead = INT32_MAX;
    // The nodes where the patterns start from the end: one whose last segment ends the text (exact)
    // and one by the number of trailing stars; with those stars' units.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> roots;
    // Alternatives: the nodes where their patterns end, with the floors and rules there, by floor.
    struct End {
        std::int32_t floor;
        std::uint32_t rule, node;
        std::uint32_t link;  // 1 + the node's place in TermIndex::linked, or 0
        std::uint32_t top;   // 1 + the node's place in `top`, or 0
    };
    std::vector<End> ends;
    // The ends of one floor (ends[begin, end)). Those of Fit rules are placed where their cores
    // first fit, in order, by one walk over the places of the floor's unit: the keys of their
    // cores (`keys` from keysAt to keysEnd, ascending: last unit << 16 | length, and the end) and
    // their lengths (`lengths` from lengthsAt to lengthsEnd, ascending).
    struct Run {
        std::uint32_t floor, begin, end, keysAt, keysEnd, lengthsAt, lengthsEnd;
    };
    std::vector<Run> runs;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;
    std::vector<std::uint32_t> lengths;
    // The edges into each node of the group's graph, in TermIndex::parents (there, as in `keyed`
    // and `linked`, each group's entries follow the ones of the groups before it, and the places
    // they hold are places in those lists): an edge into a node from `parent`, a copy of the
    // edge, and 1 + the parent's place in `linked`, or 0 when no edge of the group comes into it.
    // The Segment edges of one core stand together, up to `coreEnd`: where the core fits nowhere,
    // none of them is taken. Among them, those from one parent that differ only in how long they
    // are stand together, shortest first, up to `runEnd`: where one needs more than the text or
    // the parent has, the longer ones do too. The parent's runs in `keyed` are copied in, so that
    // the climb reads one entry per edge.
    struct Parent {
        PatternNode::Edge edge;
        std::uint32_t parent, link, runEnd, coreEnd;
        std::uint32_t keyed, keyedEnd;  // the parent's runs (Linked; none without a link)
        std::int32_t room;              // the parent's (Linked), 0 for a node of `top`
        std::uint32_t top;              // 1 + the parent's place in `top`, or 0
        bool exact;                     // the parent is exact (PatternNode)
        std::uint64_t needs;            // the parent's (Linked), 0 for a node of `top`
    };
    // The Segment edges into one node from a parent that is not exact, whose cores start with a
    // literal unit, come last, by that unit's low 6 bits (as TextUnits::later). The runs of edges
    // in `parents` by that bit (the node's other edges first, as one run), each with what all its
    // edges need: the units that the text must hold from the need on (that bit, and the units all
    // their parents need), and units more than the need below the bound (their length and their
    // parent's room; NoBound for the other edges), and where the run begins; last of a group,
    // where its edges end. A run that needs more than the text has is passed by without a look.
    struct Keyed {
        std::uint64_t units;
        std::int32_t least;
        std::uint32_t begin;
    };
    // The nodes that edges come into, ascending by id: the first of their runs in `keyed`, which
    // end where the next node's begin (a last entry of the group marks the end), and what bounds
    // them below.
    struct Linked {
        std::uint32_t keyed;
        std::int32_t room;
        std::uint64_t needs;
    };
    // The nodes nearest the roots, the roots first and each node after its parents: those of the
    // first levels below the roots, a level holding the nodes whose shortest way from a root has
    // that many edges, as many levels as keep the edges among them few and every parent of theirs
    // among them (but not one level of several nodes alone, whose bound is rarely below the end
    // of the text). The thresholds a text gives them are worked out from the roots before a
    // climb (along `topEdges`, each from and to places in `top`, with its entry in
    // TermIndex::parents), and a climb that meets one of them has its answer there. Every way up
    // from a node below passes through one of the last level (`frontier`, places in `top`), so the
    // highest threshold of those bounds the nodes below: none is higher than the bound less its
    // room, the fewest units of the segments between it and the last level (Linked::room).
    struct TopEdge {
        std::uint32_t from, to, parent;
    };
    std::vector<std::uint32_t> top;
    std::vector<TopEdge> topEdges;
    std::vector<std::uint32_t> frontier;
    // A node's `needs` (Linked): a bit for each first unit of a core on every way from the node up
    // to the last level of `top`, by the unit's low 6 bits (as TextUnits::later): a node is reached
    // with a threshold only where the text holds them all between there and the bound.
};

// The index is read-only once built; what testing files keeps from one file to the next is an
// IndexScratch of whoever tests them.
struct TermIndex {
    TermTree trees[ColumnCount];                         // by column
    std::vector<AnchoredTree> heads[ColumnCount];        // by column, nearest the start first
    std::vector<AnchoredTree> tails[ColumnCount];        // by column, nearest the end first
    std::uint32_t distinctAnd = 0;                       // And terms in the trees, each of which must be matched
    std::vector<std::uint32_t> lengthOnly[ColumnCount];  // terms of "?" and "*" alone, by column
    std::vector<WildcardGroup> groups;
    std::vector<PatternNode> nodes;  // of all groups; equal nodes of a kind and column are one
    // By id, distinct in a column: the cores of segments, from their first literal unit to their
    // last, and the terms whose patterns hold them.
    std::vector<std::pair<std::uint32_t, WildcardPattern::Segment>> segments;
    std::vector<PositionRule> rules;  // distinct in a column, as a text's length or units decide them
    // Where the positions of alternatives are at the least, distinct in a column: as their rules, but a Fit
    // rule's `segment` is the first unit of the core, which stands where the core fits.
    std::vector<PositionRule> floors;
    // Of the groups searched by their ends (WildcardGroup::Parent, Keyed and Linked).
    std::vector<WildcardGroup::Parent> parents;
    std::vector<WildcardGroup::Keyed> keyed;
    std::vector<WildcardGroup::Linked> linked;
};

// What the terms of one column made only of "?" and "*" say about a text of one length.
struct LengthOutcome {
    bool fails = false;  // a required one does not hold
    TermTally held;      // those that hold
};

struct IndexScratch {
    // Room for the terms of a query of `termCount` terms.
    explicit IndexScratch(std::size_t termCount) : matchedIn(termCount, 0) {}

    // Per file: the plain terms matched and the groups whose key was met and found (the text
    // being long enough), marked with the file's number so that nothing is cleared between
    // files; and the groups found.
    std::uint32_t file = 0;
    std::vector<std::uint32_t> matchedIn, groupMet, groupFound;
    std::vector<std::int32_t> groupLeast;  // the least position a found group can give
    std::vector<std::uint32_t> candidates;
    // Where each unit stands in each column's text, marked likewise: the first and the last
    // place of a unit and how many, and from each place the one before and the one after that holds the same
    // unit (-1 for none), so that a search for a segment tries only the places of one of its units.
    struct TextUnits {
        std::uint32_t stamp = 0;
        std::vector<std::int32_t> before, after;
        // For each index, a bit for each unit at or after it, by the unit's low 6 bits: most
        // segments that cannot fit past an index are known at once.
        std::vector<std::uint64_t> later;
        std::vector<std::uint64_t> bits;  // the bit of the unit at each index (as `later`)
        struct Places {
            std::uint32_t stamp;
            std::int32_t first, last, count;
        };
        std::vector<Places> places;  // by unit, once the column is searched
    };
    TextUnits units[ColumnCount];
    // The last fit of each core at or before the index its first search began at, then, asked
    // for elsewhere, a table of them in `tables`, marked likewise.
    struct Fit {
        std::uint32_t stamp = 0;
        std::int32_t from, fit;
        std::uint32_t tableAt;  // 1 + where the table starts in `tables`, or 0
    };
    std::vector<Fit> lastFits;
    // The first fit of each core from the index its latest search began at, marked likewise.
    struct FoundFirst {
        std::uint32_t stamp = 0;
        std::int32_t from, fit;
    };
    std::vector<FoundFirst> firstFits;
    std::vector<std::int32_t> tables;
    // Each rule's position and each floor's, marked likewise.
    std::vector<std::pair<std::uint32_t, std::int32_t>> rulePositions, floors;  // stamp, position
    // What each node answered for the file: for one threshold, then for all in `answerTables`.
    struct Answer {
        std::int32_t value, cutoff;
    };
    struct Answers {
        std::uint32_t stamp = 0;
        std::int32_t threshold;
        Answer answer;
        std::uint32_t tableAt;
        // The lowest (rising answers) or highest threshold answered, and what its answer is at
        // least.
        std::int32_t boundAt, bound;
    };
    std::vector<Answers> answers;
    std::vector<Answer> answerTables;
    // The nodes being searched, the first at the bottom.
    struct Frame {
        std::uint32_t node;
        std::int32_t threshold, cutoff, best;
        std::uint32_t next, units;
    };
    std::vector<Frame> stack;
    // Alternatives and AndNot terms searched by their ends: what is known of the highest
    // threshold each node is reached with from the group's roots, marked with the search: at
    // least `reached`, below `missed`; the way up being tried, its last node on top; the floors
    // in order.
    struct Reach {
        std::uint32_t search = 0;
        std::int32_t reached, missed;
    };
    std::vector<Reach> reach;
    std::uint32_t search = 0;
    struct Climb {
        std::uint32_t node, next, end;
        std::int32_t need;
        // The node's runs not yet taken (TermIndex::keyed): of the 32 from `keyed` on, those in
        // `passable` (bit k for keyed + k), none of the others passing; then, untested, those from
        // keyed + 32 up to `keyedEnd`.
        std::uint32_t keyed, keyedEnd, passable;
    };
    std::vector<Climb> climb;
    // The thresholds of the group's `top` nodes, and for each index up to the bound a bit for
    // each unit between it and the bound (as TextUnits::later), once the bound is below the end.
    std::vector<std::int32_t> tops;
    std::vector<std::uint64_t> within;
    std::vector<std::pair<std::int32_t, std::uint32_t>> floorOrder;
    std::vector<std::uint32_t> endsTried;  // a group's ends tried in the search, marked with it
    // The outcome of each column's terms of "?" and "*" alone, by text length, once known.
    std::unordered_map<std::size_t, LengthOutcome> byLength[ColumnCount];
};

TermIndex BuildTermIndex(const std::vector<FilterTerm>& terms);

// Whether the file passes the terms (see Term.h), and its position.
bool MatchIndexed(const FileEntry& file, const std::vector<FilterTerm>& terms, const TermIndex& index,
                  IndexScratch& scratch, bool hasAlternatives, std::int32_t& position);

}  // namespace sprig
