// Times whole refreshes (parse, filter, sort, choose the row) under the longest filters the box
// takes, 32 767 units, and other long ones. Google Benchmark is not built for Windows here, so the
// program times the refreshes itself, natively and in the Windows build under Wine, and prints the
// fastest of a few runs.
//   long_filter_timing [files [runs]]   (default 100000 files, 3 runs)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SyntheticCatalogue.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"

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

struct Case {
    const char* name;
    std::u16string query;
};

}  // namespace

int main(int argc, char** argv) {
    const std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
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
    };
    std::printf("%u files, fastest of %d runs\n", static_cast<unsigned>(files), runs);
    for (const Case& c : cases) {
        double fastest = 0;
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            sprig::RebuildResultList(catalogue, c.query, 0, sprig::ProcessSortOrder);
            const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
            if (run == 0 || ms.count() < fastest) fastest = ms.count();
        }
        std::printf("%-34s %6u units %10.1f ms  %u rows\n", c.name, static_cast<unsigned>(c.query.size()), fastest,
                    static_cast<unsigned>(catalogue.ResultList.size()));
    }
    return 0;
}
