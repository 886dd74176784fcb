#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "filter/Filter.h"
#include "filter/MatchRanges.h"
#include "filter/Query.h"
#include "support/CatalogueBuilder.h"
#include "support/LiteralFilter.h"

namespace sprig {
namespace {

// A term's kind as the query language's prefixes name it, read from its flags.
enum class Kind { And, AndNot, Or, OrNot };

Kind KindOf(const FilterTerm& term) {
    if (term.required) return term.negated ? Kind::AndNot : Kind::And;
    return term.negated ? Kind::OrNot : Kind::Or;
}

struct Term {
    std::u16string pattern;
    int column;
    Kind kind;
    bool operator==(const Term& o) const { return pattern == o.pattern && column == o.column && kind == o.kind; }
};

std::ostream& operator<<(std::ostream& out, const Term& term) {
    out << '"';
    for (char16_t c : term.pattern) out << (c < 128 ? static_cast<char>(c) : '?');
    return out << "\" column " << term.column << " kind " << static_cast<int>(term.kind);
}

std::vector<Term> Parse(std::u16string_view text) {
    ParsedFilter filter;
    ParseFilter(text, filter);
    std::vector<Term> terms;
    for (const FilterTerm& t : filter.terms) {
        EXPECT_EQ(std::u16string(t.pattern).size(), t.length);
        terms.push_back({t.pattern, t.column, KindOf(t)});
    }
    return terms;
}

constexpr int Name = ColumnFileName, Path = ColumnFilePath, Proj = ColumnProjectName, ProjPath = ColumnProjectPath;
constexpr Kind And = Kind::And, AndNot = Kind::AndNot, Or = Kind::Or, OrNot = Kind::OrNot;

TEST(ParseFilter, WhiteSpaceAloneGivesNoTerms) {
    ParsedFilter filter;
    ParseFilter(u"", filter);
    EXPECT_EQ(filter.buffer, nullptr);
    EXPECT_TRUE(filter.terms.empty());
    EXPECT_TRUE(Parse(u" \t\r\n  ").empty());
}

TEST(ParseFilter, PrefixesChooseFieldAndKind) {
    using V = std::vector<Term>;
    EXPECT_EQ(Parse(u"foo bar"), (V{{u"foo", Name, And}, {u"bar", Name, And}}));
    EXPECT_EQ(Parse(u"|foo &bar"), (V{{u"foo", Name, Or}, {u"bar", Name, And}}));
    EXPECT_EQ(Parse(u"-test !x |-y -|z"),
              (V{{u"test", Name, AndNot}, {u"x", Name, AndNot}, {u"y", Name, OrNot}, {u"z", Name, OrNot}}));
    EXPECT_EQ(Parse(u"/src/ \\a"), (V{{u"src\\", Path, And}, {u"a", Path, And}}));
    EXPECT_EQ(Parse(u":core /:x :\\y"), (V{{u"core", Proj, And}, {u"x", ProjPath, And}, {u"y", ProjPath, And}}));
}

TEST(ParseFilter, RepeatedPrefixesBecomeTextOrAreDropped) {
    using V = std::vector<Term>;
    EXPECT_EQ(Parse(u"&&x"), (V{{u"&x", Name, And}}));
    EXPECT_EQ(Parse(u"|&x"), (V{{u"&x", Name, Or}}));
    EXPECT_EQ(Parse(u"--x"), (V{{u"-x", Name, AndNot}}));
    EXPECT_EQ(Parse(u"//x"), (V{{u"x", Path, And}}));
    EXPECT_EQ(Parse(u"::x"), (V{{u"x", Proj, And}}));
}

TEST(ParseFilter, PrefixCharactersInsideATermArePlainText) {
    using V = std::vector<Term>;
    EXPECT_EQ(Parse(u"a|b a-b a:b a\"b"),
              (V{{u"a|b", Name, And}, {u"a-b", Name, And}, {u"a:b", Name, And}, {u"a\"b", Name, And}}));
}

TEST(ParseFilter, PrefixFollowedByWhiteSpaceIsDropped) {
    EXPECT_EQ(Parse(u"! x"), (std::vector<Term>{{u"x", Name, And}}));
    EXPECT_EQ(Parse(u"/: | x"), (std::vector<Term>{{u"x", Name, And}}));
}

TEST(ParseFilter, Quotes) {
    using V = std::vector<Term>;
    EXPECT_EQ(Parse(u"\"my file\""), (V{{u"my file", Name, And}}));
    EXPECT_EQ(Parse(u"-/\"my file\" x"), (V{{u"my file", Path, AndNot}, {u"x", Name, And}}));
    // An empty pair drops the prefixes before it.
    EXPECT_EQ(Parse(u"-\"\"x"), (V{{u"x", Name, And}}));
    EXPECT_TRUE(Parse(u"\"\"").empty());
    // Unclosed quotes run to the end, keeping white space.
    EXPECT_EQ(Parse(u"\"a b "), (V{{u"a b ", Name, And}}));
    // Inside quotes prefix characters are text.
    EXPECT_EQ(Parse(u"\"-x\""), (V{{u"-x", Name, And}}));
    // A quote closes a quoted term and the next unit starts afresh.
    EXPECT_EQ(Parse(u"\"a\"b"), (V{{u"a", Name, And}, {u"b", Name, And}}));
}

TEST(ParseFilter, OnlyFourUnitsSeparate) {
    using V = std::vector<Term>;
    EXPECT_EQ(Parse(u"a\u00A0b"), (V{{u"a\u00A0b", Name, And}}));
    EXPECT_EQ(Parse(u"a\u3000b\vc"), (V{{u"a\u3000b\vc", Name, And}}));
    EXPECT_EQ(Parse(u"a\tb\nc\rd"), (V{{u"a", Name, And}, {u"b", Name, And}, {u"c", Name, And}, {u"d", Name, And}}));
}

TEST(ParseFilter, FoldsPatternsOncePerField) {
    using V = std::vector<Term>;
    EXPECT_EQ(Parse(u"Main/X /A/B :P/Q"), (V{{u"main/x", Name, And}, {u"a\\b", Path, And}, {u"p/q", Proj, And}}));
    EXPECT_EQ(Parse(u"\u00C9"), (V{{u"\u00C9", Name, And}}));  // only ASCII folds
}

TEST(ParseFilter, MarksWildcardsAndReplacesThePreviousParse) {
    ParsedFilter filter;
    ParseFilter(u"*.h x a?", filter);
    ASSERT_EQ(filter.terms.size(), 3u);
    EXPECT_TRUE(filter.terms[0].hasWildcard);
    EXPECT_FALSE(filter.terms[1].hasWildcard);
    EXPECT_TRUE(filter.terms[2].hasWildcard);
    ParseFilter(u"y", filter);
    ASSERT_EQ(filter.terms.size(), 1u);
    EXPECT_EQ(std::u16string(filter.terms[0].pattern), u"y");
}

TEST(ParseFilter, NotesWhetherTheQueryHasAlternatives) {
    ParsedFilter filter;
    ParseFilter(u"a -b |c |!d /e :f /:g", filter);
    EXPECT_TRUE(filter.hasAlternatives);
    ParseFilter(u"a -b /e :f /:g &h", filter);
    EXPECT_FALSE(filter.hasAlternatives);
    ParseFilter(u"/:|-x", filter);
    EXPECT_TRUE(filter.hasAlternatives);
    ParseFilter(u"", filter);
    EXPECT_FALSE(filter.hasAlternatives);
}

// The terms at the ends of a tree's nodes, in node order.
std::vector<std::uint32_t> Ends(const TermTree& tree) {
    std::vector<std::uint32_t> ends;
    for (const TermTree::Node& node : tree.nodes) ends.insert(ends.end(), node.ends.begin(), node.ends.end());
    return ends;
}

// The wildcard terms keyed at a node, of every kind, in query order.
std::vector<std::uint32_t> Keys(const TermIndex& index, const TermTree::Node& node) {
    std::vector<std::uint32_t> keys;
    for (const std::uint32_t g : node.groups) {
        keys.insert(keys.end(), index.groups[g].terms.begin(), index.groups[g].terms.end());
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

TEST(ParseFilter, KeepsEachDistinctTermOnce) {
    ParsedFilter filter;
    // Equal text, field and kind make a repeat; any difference makes another term.
    ParseFilter(u"|a b |a -c b /b |A -c ab", filter);
    ASSERT_EQ(filter.terms.size(), 9u);
    const TermIndex& index = filter.index;
    EXPECT_EQ(Ends(index.trees[0]), (std::vector<std::uint32_t>{0, 8, 1, 3}));  // |a, ab, b, -c
    EXPECT_EQ(Ends(index.trees[1]), (std::vector<std::uint32_t>{5}));
    EXPECT_TRUE(index.trees[2].nodes.empty());
    EXPECT_EQ(index.distinctAnd, 3u);
    EXPECT_EQ(index.trees[0].longestAndNot, 1u);

    // A wildcard term is keyed by a run at a fixed distance from an end of the text where it has
    // one (the longer), else by its longest run anywhere; one without any looks at the text's
    // length only.
    ParseFilter(u"|*a *a |*a ? |-x?ab |*a? |*b* x?*", filter);
    const TermIndex& keyed = filter.index;
    ASSERT_EQ(keyed.tails[0].size(), 2u);
    EXPECT_EQ(keyed.tails[0][0].offset, 0u);
    ASSERT_EQ(keyed.tails[0][0].tree.nodes.size(), 2u);
    EXPECT_EQ(Keys(keyed, keyed.tails[0][0].tree.nodes[1]), (std::vector<std::uint32_t>{0, 1}));  // *a
    EXPECT_EQ(keyed.tails[0][1].offset, 1u);
    EXPECT_EQ(Keys(keyed, keyed.tails[0][1].tree.nodes[1]), (std::vector<std::uint32_t>{5}));  // *a?
    ASSERT_EQ(keyed.heads[0].size(), 2u);
    EXPECT_EQ(Keys(keyed, keyed.heads[0][0].tree.nodes[1]), (std::vector<std::uint32_t>{7}));  // x?*
    EXPECT_EQ(keyed.heads[0][1].offset, 2u);
    ASSERT_EQ(keyed.heads[0][1].tree.nodes.size(), 3u);
    EXPECT_EQ(Keys(keyed, keyed.heads[0][1].tree.nodes[2]), (std::vector<std::uint32_t>{4}));  // x?ab: ab, the longer
    ASSERT_EQ(keyed.trees[0].nodes.size(), 2u);
    EXPECT_EQ(Keys(keyed, keyed.trees[0].nodes[1]), (std::vector<std::uint32_t>{6}));
    EXPECT_EQ(keyed.lengthOnly[0], (std::vector<std::uint32_t>{3}));
    EXPECT_TRUE(keyed.trees[0].orNotByLength.empty());
    ASSERT_EQ(keyed.trees[0].orNotGroups.size(), 1u);
    EXPECT_EQ(keyed.groups[keyed.trees[0].orNotGroups[0]].terms, (std::vector<std::uint32_t>{4}));
    ParseFilter(u"", filter);
    EXPECT_TRUE(filter.index.trees[0].nodes.empty());
}

// One file, tested against queries.
class MatchFilterTest : public ::testing::Test {
protected:
    MatchFilterTest() : build_(catalogue_) {}

    const FileEntry& File(std::u16string_view path, std::u16string_view project = u"Core",
                          std::u16string_view projectPath = u"Tools\\Core") {
        return build_.File(path, build_.Project(project), build_.Path(projectPath));
    }

    // The match position, or -2 when the file does not pass.
    int Position(const FileEntry& file, std::u16string_view query) {
        ParseFilter(query, filter_);
        std::int32_t position = 0;
        return FilterMatcher(filter_).Matches(file, position) ? position : -2;
    }

    // Whether `matcher`, made for filter_, decides `file` as the literal procedure does.
    ::testing::AssertionResult AgreesWithThePlainRule(FilterMatcher& matcher, const FileEntry& file) {
        const std::optional<std::int32_t> expected = testing::LiteralMatchFilter(file, filter_.terms);
        std::int32_t position = 0;
        const int got = matcher.Matches(file, position) ? position : -2;
        if (got == expected.value_or(-2)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "position " << got << ", expected " << expected.value_or(-2) << " on "
                                             << std::string(file.path, file.path + TextLength(file.path));
    }

    Catalogue catalogue_;
    testing::CatalogueBuilder build_;
    ParsedFilter filter_;
};

TEST_F(MatchFilterTest, NoTermsPassEverythingWithPositionMinusOne) {
    EXPECT_EQ(Position(File(u"C:\\a.cpp"), u""), -1);
    EXPECT_EQ(Position(File(u"C:\\a.cpp"), u"  \t"), -1);
}

TEST_F(MatchFilterTest, SubstringIgnoresAsciiCaseOnly) {
    EXPECT_EQ(Position(File(u"C:\\src\\main.cpp"), u"Main"), 0);
    EXPECT_EQ(Position(File(u"C:\\src\\DOMAIN.H"), u"Main"), 2);
    EXPECT_EQ(Position(File(u"C:\\src\\\u00E9t\u00E9.txt"), u"\u00C9t"), -2);
    EXPECT_EQ(Position(File(u"C:\\src\\\u00C9t\u00E9.txt"), u"\u00C9t"), 0);
    // The leftmost occurrence, counted from the start of the name.
    EXPECT_EQ(Position(File(u"C:\\abab\\xabab"), u"ab"), 1);
    EXPECT_EQ(Position(File(u"C:\\src\\ab"), u"abc"), -2);
}

TEST_F(MatchFilterTest, RequiredAndAlternativeTerms) {
    const FileEntry& foobar = File(u"C:\\foobar.cpp");
    const FileEntry& foo = File(u"C:\\foo.cpp");
    const FileEntry& bar = File(u"C:\\bar.cpp");
    const FileEntry& neither = File(u"C:\\baz.cpp");
    EXPECT_EQ(Position(foobar, u"foo bar"), 0);
    EXPECT_EQ(Position(foo, u"foo bar"), -2);
    EXPECT_EQ(Position(foo, u"|foo |bar"), 0);
    EXPECT_EQ(Position(bar, u"|foo |bar"), 0);
    EXPECT_EQ(Position(neither, u"|foo |bar"), -2);
    // A lone alternative term is as binding as a required one.
    EXPECT_EQ(Position(foobar, u"foo |bar"), 0);
    EXPECT_EQ(Position(foo, u"foo |bar"), -2);
    // a and b, and c or d.
    EXPECT_EQ(Position(File(u"abc"), u"a b |c |d"), 0);
    EXPECT_EQ(Position(File(u"bda"), u"a b |c |d"), 0);
    EXPECT_EQ(Position(File(u"ab"), u"a b |c |d"), -2);
    EXPECT_EQ(Position(File(u"acd"), u"a b |c |d"), -2);
    // The smallest position among the terms that hold.
    EXPECT_EQ(Position(File(u"xxfooyybar"), u"bar foo"), 2);
    EXPECT_EQ(Position(File(u"xxfooyybar"), u"bar |foo |zzz"), 2);
}

TEST_F(MatchFilterTest, NegatedTerms) {
    EXPECT_EQ(Position(File(u"C:\\test\\main.cpp"), u"-test"), 8 - 4);
    EXPECT_EQ(Position(File(u"C:\\test\\main.cpp"), u"!test"), 4);
    EXPECT_EQ(Position(File(u"C:\\mytest.cpp"), u"-test"), -2);
    // A pattern longer than the name holds, at position 0.
    EXPECT_EQ(Position(File(u"C:\\a.h"), u"-longer_than_name"), 0);
    // Wildcard characters count in the length.
    EXPECT_EQ(Position(File(u"C:\\abc.cpp"), u"-*.h"), 7 - 3);
    EXPECT_EQ(Position(File(u"C:\\abc.h"), u"-*.h"), -2);
    // Alternative negations: either one holding is enough.
    EXPECT_EQ(Position(File(u"C:\\abc.h"), u"|-abc |-xyz"), 5 - 3);
    EXPECT_EQ(Position(File(u"C:\\abc.h"), u"|-abc |!.h"), -2);
}

TEST_F(MatchFilterTest, Wildcards) {
    EXPECT_EQ(Position(File(u"C:\\x.h"), u"*.h"), 1);
    EXPECT_EQ(Position(File(u"C:\\x.hpp"), u"*.h"), -2);
    EXPECT_EQ(Position(File(u"C:\\x.h~"), u"*.h"), -2);
    EXPECT_EQ(Position(File(u"C:\\x.h"), u".h"), 1);
    EXPECT_EQ(Position(File(u"C:\\x.hpp"), u".h"), 1);
    EXPECT_EQ(Position(File(u"C:\\x.h~"), u".h"), 1);
    EXPECT_EQ(Position(File(u"C:\\a.h"), u"?.h"), 1);
    EXPECT_EQ(Position(File(u"C:\\ab.h"), u"?.h"), -2);
    EXPECT_EQ(Position(File(u"C:\\abc"), u"a*"), 0);
    EXPECT_EQ(Position(File(u"C:\\bac"), u"a*"), -2);
    EXPECT_EQ(Position(File(u"C:\\bac"), u"*"), 0);
    EXPECT_EQ(Position(File(u"C:\\bac"), u"**"), 0);
    EXPECT_EQ(Position(File(u"C:\\"), u"*"), 0);
}

TEST_F(MatchFilterTest, Fields) {
    const FileEntry& file = File(u"C:/src\\a.cpp", u"CoreLib", u"Tools\\CoreLib\\Source");
    EXPECT_EQ(Position(file, u"/src/"), 3);
    EXPECT_EQ(Position(file, u"\\SRC\\"), 3);
    EXPECT_EQ(Position(file, u"/\"\\src\""), 2);  // a pattern that begins with a slash meets either one
    EXPECT_EQ(Position(file, u"src/"), -2);       // a name holds no slash
    EXPECT_EQ(Position(file, u":core"), 0);
    EXPECT_EQ(Position(file, u":source"), -2);
    EXPECT_EQ(Position(file, u"/:core"), 6);
    EXPECT_EQ(Position(file, u":/core"), 6);
    EXPECT_EQ(Position(file, u"/:lib/source"), 10);
    EXPECT_EQ(Position(file, u"/C:*.CPP"), 0);
    // In name and project-name terms a slash is only a slash.
    EXPECT_EQ(Position(File(u"x", u"a/b", u"p"), u":a\\b"), -2);
    EXPECT_EQ(Position(File(u"x", u"a/b", u"p"), u":a/b"), 0);
}

// Each term tested by the literal procedure and combined by the rule written plainly, in query
// order, against random queries with repeated, negated, overlapping and alternative terms in
// every field.
TEST_F(MatchFilterTest, AgreesWithThePlainRule) {
    // Plain terms, wildcard terms keyed by a run of literals, and terms of "?" and "*" alone; units
    // past ASCII too.
    const std::u16string pieces[] = {u"a",   u"b",     u"ab",      u"ba",     u"aba",  u"|a",   u"|b",   u"|ab",
                                     u"-a",  u"-ab",   u"!x",      u"|-b",    u"|-ba", u"/x\\", u"/\\a", u":c",
                                     u":C",  u"/:t",   u"|:cc",    u"|x",     u"a*",   u"?b",   u"*ab*", u"|*b?",
                                     u"-*a", u"|-a*b", u"/*\\?*",  u"?",      u"|??*", u"-???", u"|-*?", u"*",
                                     u"/*",  u"|:?*?", u"\u00E9b", u"|\u00E9"};
    const FileEntry* files[] = {&File(u"C:\\x\\ab.a"),
                                &File(u"C:\\x\\b"),
                                &File(u"ba", u"cc", u"t"),
                                &File(u"C:\\q"),
                                &File(u"C:\\y\\abab", u"C", u"t\\u"),
                                &File(u"C:\\y\\bbbb"),
                                &File(u"C:\\x\\\u00E9b.a")};
    std::mt19937 random(15);
    for (int round = 0; round < 4000; ++round) {
        std::u16string query;
        for (auto count = random() % 7; count > 0; --count) query += pieces[random() % std::size(pieces)] + u" ";
        // One parse serves every file, as in a refresh, so that what the matcher keeps from one
        // file to the next is tried too.
        ParseFilter(query, filter_);
        FilterMatcher matcher(filter_);
        for (const FileEntry* file : files) {
            ASSERT_TRUE(AgreesWithThePlainRule(matcher, *file)) << std::string(query.begin(), query.end());
        }
    }
}

// The searches of a file's groups are counted, and what a search learns is marked with its count;
// a refresh of many long queries can count past the largest count. When the count comes round,
// the marks of earlier searches must not pass for the new one's.
TEST_F(MatchFilterTest, SearchMarksStartAfreshWhenTheirCountComesRound) {
    ParseFilter(u"|*a*b* |*c*d* |*e*f* |*g*h* |*i*j*", filter_);
    const FileEntry& file = File(u"C:\\x\\ab");
    IndexScratch scratch(filter_.terms.size());
    scratch.search = std::numeric_limits<std::uint32_t>::max();
    // Left by a search that counted 1: every node missed, every end tried.
    scratch.reach.assign(filter_.index.nodes.size(), {1, -1, 0});
    scratch.endsTried.assign(filter_.index.groups.size() * filter_.terms.size(), 1);
    std::int32_t position = -2;
    EXPECT_TRUE(MatchIndexed(file, filter_.terms, filter_.index, scratch, filter_.hasAlternatives, position));
    EXPECT_EQ(position, 0);
}

// Queries of many wildcard terms that share their literals and segments, in every kind and in a
// name and a path column, against random texts: the keys at either end of the text and anywhere,
// the shared segment searches, the shortest-first keys, the negated alternatives matched until
// one holds and the alternatives passed over once they cannot lower the position must all give
// what each term tested alone gives.
TEST_F(MatchFilterTest, ManyWildcardTermsAgreeWithThePlainRule) {
    std::mt19937 random(26);
    const auto text = [&](std::size_t longest) {
        std::u16string units(random() % (longest + 1), u'a');
        for (char16_t& unit : units) unit = u"abAB/\\"[random() % 6];
        return units;
    };
    const auto pattern = [&] {
        std::u16string units;
        int stars = 0;
        for (std::size_t length = 1 + random() % 8; units.size() < length;) {
            char16_t unit = u"ab??**/"[random() % 7];
            if (unit == u'*' && ++stars > 3) unit = u'b';  // keeps the literal procedure quick
            units += unit;
        }
        if (units.find_first_of(u"*?") == std::u16string::npos) units += u'*';
        return units;
    };
    const std::u16string kinds[] = {u"", u"-", u"|", u"|-", u"/", u"-/", u"|/", u"|-/"};
    for (int round = 0; round < 1500; ++round) {
        std::u16string query;
        // Mostly one kind and one column, so that many terms compete for the same decision.
        const std::u16string& common = kinds[random() % std::size(kinds)];
        for (auto count = 5 + random() % 10; count > 0; --count) {
            query += (random() % 4 ? common : kinds[random() % std::size(kinds)]) + pattern() + u" ";
        }
        ParseFilter(query, filter_);
        FilterMatcher matcher(filter_);
        for (int f = 0; f < 8; ++f) {
            const FileEntry& file = File(u"C:\\" + text(6) + u"\\" + text(10));
            ASSERT_TRUE(AgreesWithThePlainRule(matcher, file)) << std::string(query.begin(), query.end());
        }
    }

    // Families: every combination of a few segments in each place, so that the terms share their
    // keys, their ends and their beginnings, and many of them meet in one node; a few terms of
    // other kinds and columns among them.
    const auto segment = [&](bool literal) {
        std::u16string units;
        for (std::size_t length = 1 + random() % 4; units.size() < length;) units += u"ab?/"[random() % 4];
        if (literal && units.find_first_not_of(u'?') == std::u16string::npos) units[random() % units.size()] = u'a';
        return units;
    };
    for (int round = 0; round < 5000; ++round) {
        // Slot 0 is S0 (perhaps empty), the others come after stars; a slot's choices differ
        // mostly in their "?" and in the stars before them. In every third round the first slot
        // after S0 has many short choices, whose first literal units the terms' positions start
        // from, and the next holds every term's longest run: many terms of one key meet in a node.
        std::vector<std::vector<std::u16string>> slots(2 + random() % 3);
        if (round % 3 == 0) {
            slots[0] = {std::u16string(random() % 2, u'?')};
            for (auto choices = 8 + random() % 56; choices > 0; --choices) {
                std::u16string choice = u"*" + std::u16string(random() % 2, u'?') + u"ab/"[random() % 3];
                for (auto more = random() % 3; more > 0; --more)
                    choice += std::u16string(1 + random() % 2, u'?') + u"ab/"[random() % 3];
                if (random() % 2) choice += u'?';
                slots[1].push_back(choice);
            }
            slots.insert(slots.begin() + 2, {u"*a/"});
        }
        for (std::size_t k = 0; k < slots.size(); ++k) {
            if (!slots[k].empty()) continue;
            const std::u16string base = segment(true);
            for (auto choices = 1 + random() % 3; choices > 0; --choices) {
                std::u16string choice = random() % 3 ? base : segment(random() % 2);
                if (random() % 2) choice.insert(random() % 2 ? 0 : choice.size(), random() % 2 + 1, u'?');
                if (k == 0 && random() % 3 == 0) choice.assign(random() % 3, u'?');  // no literal before a star
                if (k > 0) choice.insert(0, random() % 4 ? u"*" : u"**");
                slots[k].push_back(choice);
            }
        }
        // Alternatives and AndNot terms mostly in the rounds of many choices: their searches climb
        // from the terms' ends through nodes of many edges.
        const std::size_t climbed[] = {1, 2, 5, 6};  // "-", "|", "-/", "|/"
        const std::u16string& common =
            kinds[round % 3 == 0 && random() % 4 ? climbed[random() % 4] : random() % std::size(kinds)];
        std::u16string query;
        std::vector<std::size_t> pick(slots.size(), 0);
        std::size_t terms = 0;
        const int ends = static_cast<int>(random() % 4);  // the same for all, in the rounds of many choices
        for (bool more = true; more; ++terms) {
            std::u16string term;
            for (std::size_t k = 0; k < slots.size(); ++k) term += slots[k][pick[k]];
            const int end = round % 3 == 0 ? ends : static_cast<int>(random() % 4);
            if (end == 1) term += u'*';
            if (end == 2) term += u"**";
            if (term.find_first_of(u"*?") == std::u16string::npos) term += u'?';
            query += (random() % 8 ? common : kinds[random() % std::size(kinds)]) + term + u" ";
            more = false;
            for (std::size_t k = slots.size(); k-- > 0 && !more;) {
                more = ++pick[k] < slots[k].size();
                if (!more) pick[k] = 0;
            }
        }
        // Other terms, plain ones among them, whose positions the family's alternatives compete with.
        for (int count = 1 + static_cast<int>(random() % 3); count > 0 || terms < 5; --count, ++terms) {
            std::u16string other = pattern();
            if (random() % 2)
                other.erase(std::remove_if(
                                other.begin(), other.end(),
                                [](char16_t unit) {
                    return unit == u'*' || unit == u'?' || unit == u'/';  // a leading "/" would be a prefix
                                }),
                            other.end());
            query += kinds[random() % std::size(kinds)] + (other.empty() ? u"b" : other) + u" ";
        }
        ParseFilter(query, filter_);
        ASSERT_GT(filter_.terms.size(), 4u);  // tested through the index
        FilterMatcher matcher(filter_);
        for (int f = 0; f < 12; ++f) {
            const FileEntry& file = File(u"C:\\" + text(8) + u"\\" + text(14));
            ASSERT_TRUE(AgreesWithThePlainRule(matcher, file)) << std::string(query.begin(), query.end());
        }
    }

    // Forty cores that agree at their ends and differ inside: the text holds their ends around
    // a unit that only one of them has, or none has.
    for (const std::u16string kind : {u"|/", u"-/"}) {
        std::u16string query;
        for (char16_t unit = u'd'; unit < u'd' + 40; ++unit) query += kind + u"*a?" + unit + u"?c* ";
        ParseFilter(query, filter_);
        FilterMatcher matcher(filter_);
        for (const char16_t* path : {u"C:\\x\\aqmqc.txt", u"C:\\x\\aq!qc.txt", u"C:\\x\\aq\u00e9qc.txt"})
            EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(path))) << std::string(kind.begin(), kind.end());
    }

    // Segments that lead to one rest of pattern, with "?" before their cores or not: the one met
    // first from the end does not give the highest place that rest can be placed before.
    for (const std::u16string kind : {u"|/", u"-/"}) {
        std::u16string query;
        for (const char16_t* segment : {u"a", u"??b", u"?d", u"??e", u"f", u"g", u"h", u"?i"})
            query += kind + u"*z*" + segment + u"* ";
        ParseFilter(query, filter_);
        FilterMatcher matcher(filter_);
        for (const char16_t* path : {u"C:\\qzab", u"C:\\qzba", u"C:\\qz?ab"})
            EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(path))) << std::string(kind.begin(), kind.end());
    }

    // Alternatives taken by where they stand: the nearer one's way up needs one unit more than
    // the farther one's found, which does not give it.
    ParseFilter(u"|/?*ab*z |/?*c???*z |/?*d*z |/qqqq |/qqqr", filter_);
    FilterMatcher nearer(filter_);
    EXPECT_TRUE(AgreesWithThePlainRule(nearer, File(u"C:\\acabz")));

    // One segment's core between one rest of pattern and two others, in a longer form before one
    // of them: the longer form leaves too little room where the shorter does not.
    for (const char16_t* query :
         {u"|/*aa*x??*b* |/*aa*x*c* |/q1 |/q2 |/q3", u"|/*aa*x*b* |/*aa*x??*c* |/q1 |/q2 |/q3"}) {
        ParseFilter(query, filter_);
        FilterMatcher matcher(filter_);
        for (const char16_t* path : {u"C:\\aaxc", u"C:\\aaxb"})
            EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(path)));
    }

    // Two nodes above one core, the text leaving too little room for the one taken first or for
    // the one taken last.
    for (const char16_t* query : {u"|/*kkkk*aa*x*bbb* |/*kkkk*q*bbb* |/*kkkk*aa*x*c* |/q1 |/q2",
                                  u"|/*kkkk*aa*x*c* |/*kkkk*aa*x*bbb* |/*kkkk*q*bbb* |/q1 |/q2"}) {
        ParseFilter(query, filter_);
        FilterMatcher matcher(filter_);
        EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(u"C:\\kkkkaaxc")));
    }

    // Every node of a group within the levels worked out from the roots, one pattern ending above
    // the last of them: the other's not holding there leaves it holding.
    ParseFilter(u"|*a*b*p |*o*p |q1 |q2 |q3", filter_);
    {
        FilterMatcher matcher(filter_);
        EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(u"C:\\xo?yp")));
    }

    // A key that stands after the core its rule places bounds nothing: a term holds before the
    // key's first place, nearer than one already found.
    ParseFilter(u"|*cd* |*ab*xyz* |q1 |q2 |q3", filter_);
    {
        FilterMatcher matcher(filter_);
        EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(u"C:\\ab_cd_ab_xyz")));
    }

    // Terms alike in two columns, the one searched first giving the worse position: what places
    // them, or bounds where they can be, is worked out in each column's own text.
    for (const char16_t* query : {u"|/*ab |:*ab |/*cd |:*ef |/*gh", u"|/*a?b* |:*a?b* |/zzz |:*ef* |/*gh*"}) {
        ParseFilter(query, filter_);
        FilterMatcher matcher(filter_);
        EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(u"C:\\zzzzzzzzzzzzzzzzab", u"xab")));
        EXPECT_TRUE(AgreesWithThePlainRule(matcher, File(u"C:\\zzzzzzzzzzzazb", u"xayb")));
    }
}

// ParseQuery: ParseFilter, and a last bare name term "TEXT:DIGITS" read as TEXT and a line.
struct QueryParse {
    std::vector<Term> terms;
    std::int32_t line;
    bool operator==(const QueryParse& o) const { return terms == o.terms && line == o.line; }
};

std::ostream& operator<<(std::ostream& out, const QueryParse& parse) {
    for (const Term& term : parse.terms) out << term << "; ";
    return out << "line " << parse.line;
}

QueryParse ParseWithLine(std::u16string_view text) {
    ParsedFilter filter;
    QueryParse parse;
    parse.line = ParseQuery(text, filter);
    for (const FilterTerm& t : filter.terms) {
        EXPECT_EQ(std::u16string(t.pattern).size(), t.length);
        parse.terms.push_back({t.pattern, t.column, KindOf(t)});
    }
    return parse;
}

TEST(ParseQuery, ALastBareNameTermWithALineFiltersByTheName) {
    using V = std::vector<Term>;
    EXPECT_EQ(ParseWithLine(u"main.cpp:3"), (QueryParse{V{{u"main.cpp", Name, And}}, 3}));
    EXPECT_EQ(ParseWithLine(u"/src/ Main.Cpp:120  "),
              (QueryParse{V{{u"src\\", Path, And}, {u"main.cpp", Name, And}}, 120}));
    EXPECT_EQ(ParseWithLine(u"*.h:7"), (QueryParse{V{{u"*.h", Name, And}}, 7}));
    EXPECT_EQ(ParseWithLine(u"! a:2"), (QueryParse{V{{u"a", Name, And}}, 2}));  // the prefix was dropped
    // On the way to a line: the colon alone names none.
    EXPECT_EQ(ParseWithLine(u"main.cpp:"), (QueryParse{V{{u"main.cpp", Name, And}}, 0}));
    EXPECT_EQ(ParseWithLine(u"/src/ *.H: "), (QueryParse{V{{u"src\\", Path, And}, {u"*.h", Name, And}}, 0}));
    // Lines count from 1; a number past the largest 32-bit line asks for that line.
    EXPECT_EQ(ParseWithLine(u"a:0").line, 1);
    EXPECT_EQ(ParseWithLine(u"a:007").line, 7);
    EXPECT_EQ(ParseWithLine(u"a:2147483647").line, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseWithLine(u"a:99999999999999999999").line, std::numeric_limits<std::int32_t>::max());

    ParsedFilter filter;
    ParseQuery(u"x*:5", filter);
    ASSERT_EQ(filter.terms.size(), 1u);
    EXPECT_TRUE(filter.terms[0].hasWildcard);
}

TEST(ParseQuery, EveryOtherQueryParsesAsTheFilterAlone) {
    for (const std::u16string_view text : {u":core",
                                           u"/c:\\src\\",
                                           u"a:b:3",
                                           u"a:3:",
                                           u"a::3",
                                           u"a::",
                                           u":",
                                           u"main.cpp:x",
                                           u"main.cpp: x",
                                           u"-main.cpp:",
                                           u"\"main.cpp:\"",
                                           u"/main.cpp:",
                                           u"main.cpp:3x",
                                           u"main.cpp:\u0663",
                                           u"main.cpp:3 foo",
                                           u"-main.cpp:3",
                                           u"|main.cpp:3",
                                           u"&main.cpp:3",
                                           u"\"main.cpp:3\"",
                                           u"\"main.cpp:3",
                                           u"/main.cpp:3",
                                           u"//main.cpp:3",
                                           u":main.cpp:3",
                                           u"--main.cpp:3"}) {
        EXPECT_EQ(ParseWithLine(text), (QueryParse{Parse(text), 0})) << std::u16string(text).size();
    }
}

// Random queries over the characters that matter: each parses as the filter does, except that a
// last term of the form TEXT:DIGITS or TEXT: with white space or nothing before it loses ":DIGITS"
// or ":". Where the last term starts is found from the filter parser alone: the shortest head of
// the query that already yields as many terms.
TEST(ParseQuery, RandomQueriesAgreeWithTheFilterParser) {
    const std::u16string alphabet = u"aB.*?:09 \t\"-!&|/\\";
    std::mt19937 random(20);
    int withLine = 0;
    for (int round = 0; round < 100000; ++round) {
        std::u16string text(random() % 12, u' ');
        for (char16_t& unit : text) unit = alphabet[random() % alphabet.size()];
        // Half of them end in something like " name:12", sometimes with one more random unit.
        if (random() % 2) {
            const auto some = [&](std::u16string_view units, std::size_t most) {
                std::u16string part(random() % (most + 1), u' ');
                for (char16_t& unit : part) unit = units[random() % units.size()];
                return part;
            };
            text += some(u" \t", 1) + some(u"aB.*?", 3) + u":" + some(u"09", 3) + some(alphabet, 1);
        }
        const std::vector<Term> filter = Parse(text);
        const QueryParse query = ParseWithLine(text);
        const std::string shown(text.begin(), text.end());

        bool named = false;
        std::size_t colon = 0;
        if (!filter.empty()) {
            std::size_t start = 0;
            while (Parse(text.substr(0, start + 1)).size() < filter.size()) ++start;
            const std::u16string term = text.substr(start, filter.back().pattern.size());
            colon = term.find(u':');
            named = (start == 0 || text[start - 1] == u' ' || text[start - 1] == u'\t') &&
                    filter.back().column == Name && colon != std::u16string::npos && colon > 0 &&
                    term.find_first_not_of(u"0123456789", colon + 1) == std::u16string::npos;
        }
        if (!named) {
            ASSERT_EQ(query, (QueryParse{filter, 0})) << shown;
            continue;
        }
        ++withLine;
        std::vector<Term> expected = filter;
        const std::u16string digits = expected.back().pattern.substr(colon + 1);
        expected.back().pattern.resize(colon);
        // "TEXT:" names no line yet.
        const std::int64_t expectedLine =
            digits.empty() ? 0
                           : std::clamp<std::int64_t>(std::stoll(std::string(digits.begin(), digits.end())), 1,
                                                      std::numeric_limits<std::int32_t>::max());
        ASSERT_EQ(query, (QueryParse{expected, static_cast<std::int32_t>(expectedLine)})) << shown;
    }
    EXPECT_GT(withLine, 10000);
}

// The ranges of one text that a query's terms matched.
std::vector<TextRange> Ranges(std::u16string_view query, const char16_t* text, int field = Name) {
    ParsedFilter filter;
    ParseQuery(query, filter);
    std::vector<TextRange> ranges{{99, 99}};  // replaced, not appended to
    MatchRanges(text, field, filter, ranges);
    return ranges;
}

}  // namespace

// Found by gtest's printer through the type's namespace.
std::ostream& operator<<(std::ostream& out, const TextRange& range) {
    return out << '[' << range.start << ',' << range.end << ')';
}

namespace {

using R = std::vector<TextRange>;

TEST(MatchRanges, EveryOccurrenceOfEveryPositiveTermOfTheField) {
    EXPECT_EQ(Ranges(u"main", u"domain_Main.cpp"), (R{{2, 6}, {7, 11}}));
    // Overlapping occurrences of one term, and overlapping and touching terms, join.
    EXPECT_EQ(Ranges(u"aa", u"aaaxaa"), (R{{0, 3}, {4, 6}}));
    EXPECT_EQ(Ranges(u"abc bcd", u"abcd.h"), (R{{0, 4}}));
    EXPECT_EQ(Ranges(u"ab cd", u"xabcd"), (R{{1, 5}}));
    EXPECT_EQ(Ranges(u"cd bcd", u"abcd.h"), (R{{1, 4}}));
    // Alternatives that hold mark, those that do not add nothing; negated terms never mark.
    EXPECT_EQ(Ranges(u"|zz |ma", u"main.cpp"), (R{{0, 2}}));
    EXPECT_EQ(Ranges(u"-test .cpp", u"main.cpp"), (R{{4, 8}}));
    EXPECT_EQ(Ranges(u"-main", u"main.cpp"), R{});
    EXPECT_EQ(Ranges(u"", u"main.cpp"), R{});
    // The line of "name:line" is no part of the name term.
    EXPECT_EQ(Ranges(u"main.cpp:3", u"main.cpp"), (R{{0, 8}}));
    EXPECT_EQ(Ranges(u"main.cpp:", u"main.cpp"), (R{{0, 8}}));
    EXPECT_EQ(Ranges(u"main", nullptr), R{});
}

TEST(MatchRanges, EachFieldTakesItsOwnTerms) {
    const char16_t* path = u"C:/Src\\main.cpp";
    EXPECT_EQ(Ranges(u"main /src\\ /c:", path, Path), (R{{0, 2}, {3, 7}}));
    EXPECT_EQ(Ranges(u"main", path, Path), R{});
    EXPECT_EQ(Ranges(u"/main", u"main.cpp", Name), R{});
    EXPECT_EQ(Ranges(u":core /:core", u"CoreLib", Proj), (R{{0, 4}}));
    EXPECT_EQ(Ranges(u":core /:lib/source", u"Tools\\CoreLib\\Source", ProjPath), (R{{10, 20}}));
    EXPECT_EQ(Ranges(u"/:a/b", u"a/b", Proj), R{});

    ParsedFilter filter;
    ParseFilter(u"a -/b :c |-/:d", filter);
    EXPECT_TRUE(HasPositiveTerm(filter.terms, Name));
    EXPECT_FALSE(HasPositiveTerm(filter.terms, Path));
    EXPECT_TRUE(HasPositiveTerm(filter.terms, Proj));
    EXPECT_FALSE(HasPositiveTerm(filter.terms, ProjPath));
}

TEST(MatchRanges, WildcardTermsMarkWhatTheirLiteralUnitsMatched) {
    EXPECT_EQ(Ranges(u"*.h", u"x.H"), (R{{1, 3}}));
    EXPECT_EQ(Ranges(u"?.cpp", u"a.cpp"), (R{{1, 5}}));
    EXPECT_EQ(Ranges(u"a?c", u"abc"), (R{{0, 1}, {2, 3}}));
    // Each star takes as little as it can; the last piece ends the text.
    EXPECT_EQ(Ranges(u"a*b*c", u"aXbYbc"), (R{{0, 1}, {2, 3}, {5, 6}}));
    EXPECT_EQ(Ranges(u"*ab*", u"xabab"), (R{{1, 3}}));
    EXPECT_EQ(Ranges(u"*ab", u"xabab"), (R{{3, 5}}));
    EXPECT_EQ(Ranges(u"/*/SRC/*", u"C:\\src\\a", Path), (R{{2, 7}}));
    EXPECT_EQ(Ranges(u"* **", u"abc"), R{});
    EXPECT_EQ(Ranges(u"*.h", u"x.hpp"), R{});
    // With a plain term over the same units.
    EXPECT_EQ(Ranges(u"*.h x.", u"x.h"), (R{{0, 3}}));
}

// Over every short pattern and text of a small alphabet: a wildcard term marks units only when it
// matches, then exactly as many as it has literal units, all inside the text; and where the
// matcher's position is the place of the first literal (no star ends the pattern), the marks
// start there.
TEST(MatchRanges, WildcardMarksAgreeWithTheMatcher) {
    const std::u16string patternUnits = u"ab?*", textUnits = u"abA";
    ParsedFilter filter;
    std::vector<TextRange> ranges;
    int matched = 0;
    for (int patternCode = 0; patternCode < 4 * 4 * 4 * 4 * 4; ++patternCode) {
        std::u16string pattern;
        for (int code = patternCode; code > 0; code /= 4) pattern += patternUnits[code % 4];
        if (pattern.find_first_of(u"?*") == std::u16string::npos) continue;
        ParseFilter(pattern, filter);
        const auto literals =
            std::count_if(pattern.begin(), pattern.end(), [](char16_t u) { return u == 'a' || u == 'b'; });
        for (int textCode = 0; textCode < 3 * 3 * 3 * 3 * 3 * 3; ++textCode) {
            std::u16string text;
            for (int code = textCode; code > 0; code /= 3) text += textUnits[code % 3];
            MatchRanges(text.c_str(), Name, filter, ranges);
            const std::int32_t position = MatchWildcard(text.c_str(), filter.terms[0].pattern, Name);
            std::size_t marked = 0;
            for (const TextRange& range : ranges) {
                marked += range.end - range.start;
                ASSERT_LE(range.end, text.size());
            }
            if (position < 0) {
                ASSERT_TRUE(ranges.empty());
                continue;
            }
            ++matched;
            ASSERT_EQ(marked, static_cast<std::size_t>(literals));
            if (literals > 0 && pattern.back() != u'*') {
                ASSERT_EQ(ranges[0].start, static_cast<std::uint32_t>(position));
            }
        }
    }
    EXPECT_GT(matched, 1000);
}

}  // namespace
}  // namespace sprig
