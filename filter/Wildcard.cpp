// Whole-text wildcard matching with the positions of the recursive star-backtracking procedure,
// in O(text × pattern) time, without recursion.
//
// The procedure walks text and pattern together. At a star it tries the rest of the pattern
// against every non-empty rest of the text, from the left, and takes the first that matches; the
// answer is the index of the first text unit matched by a literal (not "?") pattern unit, or, when
// no literal came before the star, the start of the successful try plus that try's own answer.
// A trailing star answers 0 outright. Tried literally this is exponential in the number of stars.
//
// Here the pattern is cut at its star runs into segments:
//
//     S0 * S1 * ... * Sk [*]        (S0 may be empty; S1..Sk are not)
//
// A segment matches at a text index by itself (same length, "?" takes any unit), and its
// first-literal index is a property of the segment alone. So the answer of "the rest of the
// pattern from segment i, tried at text index t" depends only on (i, t): V(i, t). It is computed
// for every t from the last segment back to the first, with Next(i, x), the least t >= x at which
// segment i's try succeeds, so each star costs one look-up instead of a loop of tries:
//
//     V(i, t) = -1                                   unless Si matches at t
//     V(k, t) = 0                                    with a trailing star
//     V(k, t) = lit(k) or 0   if t + |Sk| == n       without one (the whole text must be used)
//     V(i, t) = -1            if t + |Si| == n       (a star never takes the empty rest)
//             = lit(i)        if Next(i+1, t + |Si|) exists and Si has a literal
//             = j - t + V(i+1, j)   with j = Next(i+1, t + |Si|)
//
// The answer is V(0, 0). Work is bounded by the text length times the pattern length.
#include <algorithm>

#include "filter/Filter.h"

namespace sprig {
namespace {

using Segment = WildcardScratch::Segment;

bool SegmentMatches(const char16_t* text, const char16_t* pattern, const Segment& segment, TermField field) {
    const char16_t* p = pattern + segment.start;
    for (std::uint32_t j = 0; j < segment.length; ++j) {
        if (p[j] != u'?' && FoldChar(text[j], field) != p[j]) return false;
    }
    return true;
}

// Splits the pattern at its star runs; answers whether a star run ends it.
bool SplitSegments(const char16_t* pattern, std::vector<Segment>& segments) {
    segments.clear();
    Segment current{0, 0, -1};
    std::uint32_t i = 0;
    for (; pattern[i] != u'\0'; ++i) {
        if (pattern[i] == u'*') {
            if (i == 0 || pattern[i - 1] != u'*') segments.push_back(current);
            current = Segment{i + 1, 0, -1};
            continue;
        }
        if (current.firstLiteral < 0 && pattern[i] != u'?') {
            current.firstLiteral = static_cast<std::int32_t>(current.length);
        }
        ++current.length;
    }
    const bool trailingStar = i > 0 && pattern[i - 1] == u'*';
    if (!trailingStar) segments.push_back(current);
    return trailingStar;
}

}  // namespace

std::int32_t MatchWildcard(const char16_t* text, const char16_t* pattern, TermField field, WildcardScratch& scratch) {
    auto& segments = scratch.segments;
    const bool trailingStar = SplitSegments(pattern, segments);
    const std::size_t n = TextLength(text);
    const std::size_t last = segments.size() - 1;
    const Segment& head = segments[0];

    if (last == 0) {  // at most one star, and only at the end
        if (head.length > n || !SegmentMatches(text, pattern, head, field)) return -1;
        if (trailingStar) return 0;
        if (head.length != n) return -1;
        return std::max(head.firstLiteral, 0);
    }

    std::size_t total = 0;
    for (const Segment& s : segments) total += s.length;
    if (total > n || !SegmentMatches(text, pattern, head, field)) return -1;

    auto& value = scratch.value;
    auto& nextIndex = scratch.nextIndex;
    auto& nextValue = scratch.nextValue;
    if (value.size() < n) {
        value.resize(n);
        nextIndex.resize(n);
        nextValue.resize(n);
    }

    // From the last segment back to segment 1. Segment i can only be tried where the segments
    // before it fit in front and those from it on behind: t in [lo, hi]. The tries of segment
    // i - 1 ask for Next(i, x) only with x in that same range, so Next is kept for it alone.
    // Segments after a star are never empty, so hi stays below n.
    std::size_t suffix = 0;
    for (std::size_t i = last; i >= 1; --i) {
        const Segment& seg = segments[i];
        suffix += seg.length;
        const std::size_t lo = total - suffix;
        const std::size_t hi = n - suffix;
        // Without a trailing star the last segment must end the text: only hi can succeed.
        const std::size_t from = i == last && !trailingStar ? hi : lo;
        for (std::size_t t = from; t <= hi; ++t) {
            value[t] = -1;
            if (!SegmentMatches(text + t, pattern, seg, field)) continue;
            const std::size_t end = t + seg.length;
            if (i == last) {
                if (trailingStar)
                    value[t] = 0;
                else if (end == n)
                    value[t] = std::max(seg.firstLiteral, 0);
            } else if (end < n && nextIndex[end] >= 0) {
                value[t] = seg.firstLiteral >= 0 ? seg.firstLiteral
                                                 : static_cast<std::int32_t>(nextIndex[end] - t) + nextValue[end];
            }
        }
        std::int32_t index = -1, val = -1;
        for (std::size_t x = hi + 1; x-- > lo;) {
            if (x >= from && value[x] >= 0) {
                index = static_cast<std::int32_t>(x);
                val = value[x];
            }
            nextIndex[x] = index;
            nextValue[x] = val;
        }
        if (nextIndex[lo] < 0) return -1;  // no try of this segment succeeds: nothing before it can
    }

    return head.firstLiteral >= 0 ? head.firstLiteral : nextIndex[head.length] + nextValue[head.length];
}

}  // namespace sprig
