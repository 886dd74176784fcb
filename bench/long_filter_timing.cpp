// Times whole refreshes (parse, filter, sort, choose the row) under the longest filters the box
// takes, 32 767 units, and other long ones. Google Benchmark is not built for Windows here, so the
// program times the refreshes itself, natively and in the Windows build under Wine, and prints the
// fastest of a few runs.
//   long_filter_timing [files [runs [text [threads]]]]   (default 100000 files, 3 runs; only the
//   cases whose name holds `text`, when given and not empty; the files tested on `threads` threads
//   side by side, as the dialog does on a machine of that many processors, 1 when not given)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SyntheticCatalogue.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"
#include "tests/support/Threads.h"

namespace {

constexpr std::size_t Longest = 32767;

// `piece` repeated while it fits in `units`.
std::u16string Repeat(std::u16string_view piece, std::size_t units) {
    std::u16string text;
    while (text.size() + piece.size() <= units) text += piece;
    return text;
}

// Terms of `prefix`, one unit and `suffix` each, separated by spaces, as many as fit in `units`;
// the unit runs through `distinct` values from `first`.
std::u16string Terms(std::u16string_view prefix, char16_t first, std::size_t distinct, std::size_t units,
                     std::u16string_view suffix = u"") {
    std::u16string text;
    for (std::size_t i = 0; text.size() + prefix.size() + suffix.size() + 2 <= units; ++i) {
        text += prefix;
        text += static_cast<char16_t>(first + i % distinct);
        text += suffix;
        text += u' ';
    }
    return text;
}

// Alternative terms of one, two, three ... question marks, as many as fit in `units`.
std::u16string LengthTerms(std::size_t units) {
    std::u16string text;
    for (std::size_t n = 1; text.size() + n + 2 <= units; ++n) text += u"|" + std::u16string(n, u'?') + u" ";
    return text;
}

// Wildcard terms `prefix` *u?..?*u?..?*u?..?`tail`, the three runs of "?" a, b and c long for
// a, b, c = 0, 1, 2 ... below `limit`, as many as fit in `units`: distinct terms that share their
// literals, so that a text holding the literal holds the key of every one of them.
std::u16string Family(std::u16string_view prefix, char16_t unit, std::u16string_view tail, std::size_t limit,
                      std::size_t units = Longest) {
    std::u16string text;
    for (std::size_t a = 0; a < limit; ++a) {
        for (std::size_t b = 0; b < limit; ++b) {
            for (std::size_t c = 0; c < limit; ++c) {
                std::u16string term(prefix);
                for (const std::size_t run : {a, b, c})
                    term += u"*" + std::u16string(1, unit) + std::u16string(run, u'?');
                term += tail;
                if (text.size() + term.size() + 1 > units) return text;
                text += term + u" ";
            }
        }
    }
    return text;
}

// Wildcard terms made by `term` from a, b, c = 0, 1, 2 ... below `limit`, as many as fit in `units`.
template <class Make>
std::u16string Product(std::size_t limit, Make&& term, std::size_t units = Longest) {
    std::u16string text;
    for (std::size_t a = 0; a < limit; ++a) {
        for (std::size_t b = 0; b < limit; ++b) {
            for (std::size_t c = 0; c < limit; ++c) {
                const std::u16string made = term(a, b, c);
                if (text.size() + made.size() + 1 > units) return text;
                text += made + u" ";
            }
        }
    }
    return text;
}

std::u16string Marks(std::size_t count) { return std::u16string(count, u'?'); }
std::u16string Letter(std::size_t i) { return std::u16string(1, static_cast<char16_t>(u'a' + i % 26)); }

// Terms of `shape` in which A, B and C stand for the letters a, b, c of Product, D for the letter
// b + c and E for a + b + c: distinct cores between keys that every text holds.
std::u16string Distinct(std::u16string_view shape) {
    return Product(26, [shape](std::size_t a, std::size_t b, std::size_t c) {
        const std::size_t letters[] = {a, b, c, b + c, a + b + c};
        std::u16string term;
        for (const char16_t unit : shape)
            term += unit >= u'A' && unit <= u'E' ? Letter(letters[unit - u'A']) : std::u16string(1, unit);
        return term;
    });
}

struct Case {
    const char* name;
    std::u16string query;
};

}  // namespace

int main(int argc, char** argv) {
    const std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string only = argc > 3 ? argv[3] : "";
    const std::size_t threadCount = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 1;
    sprig::testing::SliceThreads pool(threadCount);
    sprig::JobRunner* threads = threadCount > 1 ? &pool : nullptr;
    sprig::Catalogue catalogue;
    sprig::bench::FillSyntheticCatalogue(catalogue, files);

    const Case cases[] = {
        {"empty (every row, sorted)", u""},
        {"*?*?... (32767 units)", Repeat(u"*?", Longest - 1) + u"*"},
        {"*? x 500", Repeat(u"*?", 1000)},
        {"? x 1000", Repeat(u"?", 1000)},
        {"a x 32767", Repeat(u"a", Longest)},
        {"path *?*?... as long as a path", u"/" + Repeat(u"*?", 60) + u"*"},
        {"|a |b ... a-z (10922 terms)", Terms(u"|", u'a', 26, Longest)},
        {"|x ... distinct (10922 terms)", Terms(u"|", u'\u4E00', 20000, Longest)},
        {"-x ... distinct (10922 terms)", Terms(u"-", u'\u4E00', 20000, Longest)},
        {"x ... a-z required (16383 terms)", Terms(u"", u'a', 26, Longest)},
        {"|x* ... distinct (8191 terms)", Terms(u"|", u'\u4E00', 20000, Longest, u"*")},
        {"|*x* ... distinct (6553 terms)", Terms(u"|*", u'\u4E00', 20000, Longest, u"*")},
        {"-*x ... distinct (6553 terms)", Terms(u"-*", u'\u4E00', 20000, Longest)},
        {"|? |?? |??? ... (255 terms)", LengthTerms(Longest)},
        {"|?x?... distinct (5460 terms)", Terms(u"|?", u'a', 20000, Longest, u"?")},
        {"|/*o?*o?*o?*z 6x6x6 (216 terms)", Family(u"|/", u'o', u"*z", 6, 4000)},
        {"|/*o?*o?*o?*z (32767 units)", Family(u"|/", u'o', u"*z", 12)},
        {"|/*o?*o?*o?*p (32767 units)", Family(u"|/", u'o', u"*p", 12)},
        {"|/*o?*o?*o?* (32767 units)", Family(u"|/", u'o', u"*", 12)},
        {"|/*w?*w?*w?* (32767 units)", Family(u"|/", u'w', u"*", 12)},
        {"|/*o?*o?*o?*p? (32767 units)", Family(u"|/", u'o', u"*p?", 12)},
        {"-/*o?*o?*o?*z (32767 units)", Family(u"-/", u'o', u"*z", 12)},
        {"-/*o?*o?*o?*p (32767 units)", Family(u"-/", u'o', u"*p", 12)},
        {"|-/*o?*o?*o?*p (32767 units)", Family(u"|-/", u'o', u"*p", 12)},
        {"/*o?*o?*o?*p required (32767 units)", Family(u"/", u'o', u"*p", 12)},
        {"/*o?*o?*o?* required (32767 units)", Family(u"/", u'o', u"*", 12)},
        {"|*o?*o?*o?*z name (32767 units)", Family(u"|", u'o', u"*z", 12)},
        {"|*e?*e?*e?* name (32767 units)", Family(u"|", u'e', u"*", 12)},
        {"*e?*e?*e?* name required (32767 units)", Family(u"", u'e', u"*", 12)},
        // Terms that differ where the texts are read first: their heads, and distinct segments
        // between keys that all texts share.
        {"|/?*o?*o?*o? heads (32767 units)",
         Product(16, [](std::size_t a, std::size_t b,
                        std::size_t c) { return u"|/" + Marks(a) + u"*o" + Marks(b) + u"*o" + Marks(c) + u"*o"; })},
        {"|/c?*o?*r?*p heads (32767 units)",
         Product(16, [](std::size_t a, std::size_t b,
                        std::size_t c) { return u"|/c" + Marks(a) + u"*o" + Marks(b) + u"*r" + Marks(c) + u"*p"; })},
        {"|/*x?y*z*p distinct (32767 units)", Distinct(u"|/*A?B*C*p")},
        {"-/*x?y*z*p distinct (32767 units)", Distinct(u"-/*A?B*C*p")},
        {"|-/*x?y*z*p distinct (32767 units)", Distinct(u"|-/*A?B*C*p")},
        {"|/*ox?y*p distinct, one first unit (32767 units)", Distinct(u"|/*oA?B*C*p")},
        {"/*ox?y*p required distinct (32767 units)", Distinct(u"/*oA?B*C*p")},
        // The same with the distinct cores where the search from the end meets them first, with
        // one segment more, with two distinct cores in each term, with a trailing star, and on
        // the name: the slowest found.
        {"|/*z?y*x*p distinct, many cores first (32767 units)", Distinct(u"|/*C?B*A*p")},
        {"|/*z??y*x*p distinct, many cores first (32767 units)", Distinct(u"|/*C??B*A*p")},
        {"|/*x?y*z*w*p distinct, four segments (32767 units)", Distinct(u"|/*A?B*C*D*p")},
        {"|/*x?y*z?w*p distinct pairs (32767 units)", Distinct(u"|/*A?B*C?E*p")},
        {"|/*x?y*z*p* distinct, trailing star (32767 units)", Distinct(u"|/*A?B*C*p*")},
        {"|*x?y*z name distinct (32767 units)", Distinct(u"|*A?B*C")},
        {"|*x*y?*z name distinct (32767 units)", Distinct(u"|*A*B?*C")},
        // Four and five segments, with a trailing star, and first cores of three letters: the
        // worst shapes found so far.
        {"|/*x?y*z*w*p* distinct, four segments, trailing star (32767 units)", Distinct(u"|/*A?B*C*D*p*")},
        {"|/*x?y*z*v*w*p* distinct, five segments, trailing star (32767 units)", Distinct(u"|/*A?B*C*E*D*p*")},
        {"|/*x?y*z*w*v*p distinct, five segments (32767 units)", Distinct(u"|/*A?B*C*D*E*p")},
        {"|/*z?y*x*w*p distinct, many cores first, four segments (32767 units)", Distinct(u"|/*C?B*A*D*p")},
        {"|/*v?y*z*w*p distinct, first cores of three letters (32767 units)", Distinct(u"|/*E?B*C*D*p")},
        {"|/*x?y*z*w?v*p distinct pairs, four segments (32767 units)", Distinct(u"|/*A?B*C*D?E*p")},
        {"|*x*y*z*w* name distinct, stars only (32767 units)", Distinct(u"|*A*B*C*D*")},
        {"|*x*y*z*w*v* name distinct, five segments, stars only (32767 units)", Distinct(u"|*A*B*C*D*E*")},
        {"|/*x*y*z*w* distinct, stars only (32767 units)", Distinct(u"|/*A*B*C*D*")},
        // Stars only: as AndNot terms, with a sixth segment, and with the cores every term has
        // last or in between, so that the terms are keyed by many letters and a file meets many
        // groups: the worst found now.
        {"-*x*y*z*w*v* name distinct, AndNot, five segments, stars only (32767 units)", Distinct(u"-*A*B*C*D*E*")},
        {"|/*x*y*z*w*v*p* distinct, six segments, stars only (32767 units)", Distinct(u"|/*A*B*C*D*E*p*")},
        {"|*v*w*z*y*x* name distinct, stars only, reversed (32767 units)", Distinct(u"|*E*D*C*B*A*")},
        {"|/*v*w*z*y*x* distinct, stars only, reversed (32767 units)", Distinct(u"|/*E*D*C*B*A*")},
        {"|/*v*w*z*y*x*p* distinct, stars only, reversed, trailing p (32767 units)", Distinct(u"|/*E*D*C*B*A*p*")},
        {"|*v*z*w*x*y* name distinct, stars only, mixed (32767 units)", Distinct(u"|*E*C*D*A*B*")},
        {"|*z*v*w*x*y* name distinct, stars only, mixed, keyed by z (32767 units)", Distinct(u"|*C*E*D*A*B*")},
        {"|/*v*z*w*x*y*p* distinct, stars only, mixed, trailing p (32767 units)", Distinct(u"|/*E*C*D*A*B*p*")},
        // Seven segments on the path, whose texts hold most letters: the climbs go deep before
        // they fail.
        {"|/*v*z*w*x*y*v*w* distinct, stars only, mixed, seven segments (32767 units)", Distinct(u"|/*E*C*D*A*B*E*D*")},
        // Eight and nine: fewer texts hold a term, and the groups climbed before one that holds,
        // or all of them, are climbed to their ends.
        {"|/*v*z*w*x*y*v*w*z* distinct, stars only, mixed, eight segments (32767 units)",
         Distinct(u"|/*E*C*D*A*B*E*D*C*")},
        {"|/*v*z*w*x*y*v*w*x*y* distinct, stars only, mixed, nine segments (32767 units)",
         Distinct(u"|/*E*C*D*A*B*E*D*A*B*")},
        // The same as AndNot terms: one that holds fails the file, most texts hold none, and every
        // group is climbed to its end.
        {"-/*v*z*w*x*y*v*w*x*y* distinct, AndNot, stars only, mixed, nine segments (32767 units)",
         Distinct(u"-/*E*C*D*A*B*E*D*A*B*")},
    };
    std::printf("%u files, fastest of %d runs, %u thread(s)\n", static_cast<unsigned>(files), runs,
                static_cast<unsigned>(threadCount));
    for (const Case& c : cases) {
        if (std::string(c.name).find(only) == std::string::npos) continue;
        double fastest = 0;
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            sprig::RebuildResultList(catalogue, c.query, 0, sprig::ProcessSortOrder, threads);
            const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
            if (run == 0 || ms.count() < fastest) fastest = ms.count();
        }
        std::printf("%-40s %6u units %10.1f ms  %u rows\n", c.name, static_cast<unsigned>(c.query.size()), fastest,
                    static_cast<unsigned>(catalogue.ResultList.size()));
    }
    return 0;
}
