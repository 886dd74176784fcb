// The terms of one query arranged for testing many files, so that a refresh costs about the same
// however many terms the query holds.
//
// A term that holds for a file mostly holds because a run of its literal units occurs in the
// column's text. The runs of all terms of a column go into one tree of their texts, and one pass
// over a file's text, trying the tree from each unit, finds every run that occurs there and the
// first place it does:
//  - a term without wildcards is its own run, and the pass decides it: found or not, and where;
//  - a wildcard term with literal units is keyed by one run; only the terms whose key was found are
//    matched in full, the others cannot hold (or, negated, hold without a test). A run that stands
//    at a fixed distance from the start or the end of the text (before any star, or after the
//    last one) is the key where there is one: its tree is tried at that one place of each text,
//    and few texts hold it there. Other terms are keyed by their longest run, found anywhere;
//  - the terms of one key are kept shortest first, so that a text too short for the rest of them
//    looks at none of those;
//  - what every matched term needs is shared: each distinct segment (Wildcard.cpp) of a column is
//    looked for in a text once from where the matches reach it (SegmentFits). Required terms are
//    matched first, and a failing one ends the test. A negated alternative is matched only until
//    one holds, longest first; an alternative is matched only while it could still lower the
//    position of a file whose alternatives already hold, by the earliest place its first literal
//    unit could match;
//  - a wildcard term of "?" and "*" alone looks at the text's length only, so the outcome of all
//    such terms of a column is worked out once per length and remembered.
// Negated terms that hold report their latest start, which only their length decides: the longest
// one that holds gives the smallest position, so they are kept longest first.
// Each distinct term is tested once: a term equal to one before it (text, column, negation and
// requirement) holds exactly when that one does.
// Below, an And term is a required term that is not negated, an AndNot term a required negated
// one, an OrNot term a negated alternative.
#pragma once

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
        std::vector<std::uint32_t> keys;                           // the wildcard terms whose key ends here
    };
    std::vector<Node> nodes;  // nodes[0] is the root; empty without runs
    // One bit for each unit that some run starts with, so that a unit that starts none costs one
    // look-up.
    std::vector<std::uint64_t> starts;

    bool Starts(char16_t unit) const { return (starts[unit >> 6] >> (unit & 63)) & 1; }
    std::uint32_t runNodes = 0;                // nodes where some term's run ends: once all are met, a pass may stop
    std::uint32_t plainAnd = 0;                // And terms without wildcards, each of which must be found
    std::uint32_t longestAndNot = 0;           // units of the longest keyed or plain AndNot term
    std::vector<std::uint32_t> orNotByLength;  // the keyed and plain OrNot terms, longest first
};

// Keys that stand `offset` units from the start of a text, or from its end.
struct AnchoredTree {
    std::uint32_t offset;
    TermTree tree;  // keys only; runs from the end are kept backwards
};

// Where an alternative wildcard term's match can start at the earliest: `floor` units into the
// text, or where `unit` first occurs from `from` on, less `back`.
struct PositionBound {
    std::int32_t floor = 0;
    std::int32_t unit = -1;  // the id of the first literal unit among the query's (TermIndex::firstUnits), or -1
    std::uint32_t from = 0, back = 0;
};

// The index is read-only once built; what testing files keeps from one file to the next is an
// IndexScratch of whoever tests them.
struct TermIndex {
    TermTree trees[ColumnCount];                         // by column
    std::vector<AnchoredTree> heads[ColumnCount];        // by column, nearest the start first
    std::vector<AnchoredTree> tails[ColumnCount];        // by column, nearest the end first
    std::uint32_t distinctAnd = 0;                       // And terms in the trees, each of which must be matched
    std::vector<std::uint32_t> lengthOnly[ColumnCount];  // terms of "?" and "*" alone, by column
    std::vector<std::vector<std::uint32_t>> segmentIds;  // by term: its segments' ids, distinct within the query
    std::uint32_t segmentCount = 0;
    std::vector<PositionBound> bounds;                 // by term: for the keyed alternatives
    std::vector<std::pair<int, char16_t>> firstUnits;  // column and unit of each id of the bounds
};

// What the terms of one column made only of "?" and "*" say about a text of one length.
struct LengthOutcome {
    bool fails = false;  // a required one does not hold
    TermTally held;      // those that hold
};

struct IndexScratch {
    // Room for the terms of a query of `termCount` terms.
    explicit IndexScratch(std::size_t termCount) : matchedIn(termCount, 0), keyFoundIn(termCount, 0) {}

    // Per file: the terms matched and the keys found in it, marked with the file's number so
    // that nothing is cleared between files; and the keyed terms to match in full.
    std::uint32_t file = 0;
    std::vector<std::uint32_t> matchedIn, keyFoundIn;
    std::vector<std::uint32_t> candidates;
    // The searches for segments in the file's texts (by segment id), and where the first literal
    // units of the alternatives' bounds first occur (by their id), marked likewise.
    std::vector<std::uint32_t> fitStamp, fitFrom, fit, fitTableAt, fitTables;
    std::vector<std::uint32_t> unitStamp;
    std::vector<std::int32_t> unitAt;
    // The outcome of each column's terms of "?" and "*" alone, by text length, once known.
    std::unordered_map<std::size_t, LengthOutcome> byLength[ColumnCount];
};

TermIndex BuildTermIndex(const std::vector<FilterTerm>& terms);

// Whether the file passes the terms (see Term.h), and its position.
bool MatchIndexed(const FileEntry& file, const std::vector<FilterTerm>& terms, const TermIndex& index,
                  IndexScratch& scratch, bool hasAlternatives, std::int32_t& position);

}  // namespace sprig
