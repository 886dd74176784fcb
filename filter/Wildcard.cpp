// Whole-text wildcard matching with the positions of the recursive star-backtracking procedure,
// in O(text × pattern) time at worst, without recursion.
//
// The procedure walks text and pattern together. At a star it tries the rest of the pattern
// against every non-empty rest of the text, from the left, and takes the first that matches; the
// answer is the index of the first text unit matched by a literal (not "?") pattern unit, or, when
// no literal came before the star, the start of the successful try plus that try's own answer.
// A trailing star answers 0 outright. Tried literally this is exponential in the number of stars.
//
// Here the pattern is cut at its star runs into segments, once per parse (SplitWildcard):
//
//     S0 * S1 * ... * Sk [*]        (S0 may be empty; S1..Sk are not)
//
// Each segment takes as many text units as it has, so a text shorter than all of them together
// fails before any unit is compared; most names fail a long pattern that way. S0 must match at 0;
// without a trailing star Sk must end the text. A match places every segment at a text index,
// and the procedure's tries from the left find the placement that is least in the order of
// (t1, t2, ...). That is the greedy one: each of S1 .. Sk-1 at the first index, after the segment
// before it, where it matches. Placed further right, a segment leaves the ones after it less room,
// so when the greedy placement fails every placement does. The answer then reads off the
// placement: lit(i) is the index of the first literal in Si, and i the first segment that has one,
//
//     lit(0)            when S0 has a literal (the procedure remembers it before any star)
//     ti + lit(i)       for a later segment, except:
//     tk                when that segment is Sk followed by a star (a trailing star answers 0),
//                       and when no segment has a literal.
//
// Finding each segment's first fit from where the last one ended costs at most the text length
// times the segment's length, so the whole match costs at most the text length times the pattern
// length. The segments that stand at the ends (S0 at the start, Sk at the end when no star
// follows it) are compared before any search: most texts fail there. The term index tests many
// patterns at once from the same facts, read from the end (TermIndex.h).
#include <algorithm>

#include "filter/Term.h"

namespace sprig {

using Segment = WildcardPattern::Segment;

bool SegmentMatches(const char16_t* text, const char16_t* pattern, const Segment& segment, int column) {
    const char16_t* p = pattern + segment.start;
    for (std::uint32_t j = 0; j < segment.length; ++j) {
        if (p[j] != u'?' && FoldChar(text[j], column) != p[j]) return false;
    }
    return true;
}

namespace {

// The first index from `t` on where `segment` fits in the text, or `n` + 1 when none does.
std::size_t FirstFit(const char16_t* text, std::size_t n, const char16_t* pattern, const Segment& segment, int column,
                     std::size_t t) {
    for (; t + segment.length <= n; ++t) {
        if (SegmentMatches(text + t, pattern, segment, column)) return t;
    }
    return n + 1;
}

}  // namespace

WildcardPattern SplitWildcard(const char16_t* pattern) {
    WildcardPattern split;
    Segment current{0, 0, -1};
    std::uint32_t i = 0;
    for (; pattern[i] != u'\0'; ++i) {
        if (pattern[i] == u'*') {
            if (i == 0 || pattern[i - 1] != u'*') split.segments.push_back(current);
            current = Segment{i + 1, 0, -1};
            continue;
        }
        if (current.firstLiteral < 0 && pattern[i] != u'?') {
            current.firstLiteral = static_cast<std::int32_t>(current.length);
        }
        ++current.length;
        ++split.shortestText;
    }
    split.trailingStar = i > 0 && pattern[i - 1] == u'*';
    if (!split.trailingStar) split.segments.push_back(current);
    return split;
}

std::int32_t MatchWildcard(const char16_t* text, const char16_t* pattern, int column) {
    return MatchWildcard(text, TextLength(text), pattern, SplitWildcard(pattern), column);
}

std::int32_t MatchWildcard(const char16_t* text, std::size_t n, const char16_t* pattern, const WildcardPattern& split,
                           int column, std::vector<std::size_t>* placements) {
    if (split.shortestText > n) return -1;
    const auto& segments = split.segments;
    const std::size_t last = segments.size() - 1;
    const Segment& head = segments[0];
    if (!SegmentMatches(text, pattern, head, column)) return -1;
    if (placements) placements->assign(1, 0);
    if (last == 0) {  // no star but perhaps a trailing one
        if (split.trailingStar) return 0;
        return head.length == n ? std::max(head.firstLiteral, 0) : -1;
    }
    // A last segment that ends the text is compared before the ones between are looked for.
    if (!split.trailingStar && !SegmentMatches(text + n - segments[last].length, pattern, segments[last], column)) {
        return -1;
    }

    std::int32_t position = head.firstLiteral;
    std::size_t t = head.length;                          // where the text after the placed segments starts
    std::size_t rest = split.shortestText - head.length;  // units the segments still to place need
    std::size_t placed = 0;
    for (std::size_t i = 1; i <= last; ++i) {
        const Segment& segment = segments[i];
        if (i == last && !split.trailingStar) {
            placed = n - segment.length;  // the last segment ends the text; it was compared above
            if (placed < t) return -1;
        } else {
            placed = FirstFit(text, n, pattern, segment, column, t);
            if (placed + rest > n) return -1;
        }
        if (placements) placements->push_back(placed);
        if (position < 0 && segment.firstLiteral >= 0) {
            const bool answersZero = i == last && split.trailingStar;
            position = static_cast<std::int32_t>(placed) + (answersZero ? 0 : segment.firstLiteral);
        }
        t = placed + segment.length;
        rest -= segment.length;
    }
    return position >= 0 ? position : static_cast<std::int32_t>(placed);
}

}  // namespace sprig
