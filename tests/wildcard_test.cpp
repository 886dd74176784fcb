// The fast wildcard matcher against the literal procedure.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "filter/Filter.h"
#include "support/LiteralWildcard.h"

namespace sprig {
namespace {

using testing::LiteralMatchWildcard;

std::int32_t Fast(const std::u16string& text, const std::u16string& pattern, int field = ColumnFileName) {
    return MatchWildcard(text.c_str(), pattern.c_str(), field);
}

// Every string of length 0..maxLength over the alphabet.
std::vector<std::u16string> AllStrings(std::u16string_view alphabet, std::size_t maxLength) {
    std::vector<std::u16string> all{u""};
    for (std::size_t from = 0, length = 1; length <= maxLength; ++length) {
        const std::size_t to = all.size();
        for (std::size_t i = from; i < to; ++i)
            for (char16_t c : alphabet) all.push_back(all[i] + c);
        from = to;
    }
    return all;
}

TEST(MatchWildcard, AgreesWithTheLiteralProcedureOnEverySmallCase) {
    // Texts hold a capital to exercise folding; patterns are folded, as the parser leaves them.
    const auto texts = AllStrings(u"aBc", 5);
    const auto patterns = AllStrings(u"ab*?", 6);
    std::size_t mismatches = 0;
    for (const auto& pattern : patterns) {
        for (const auto& text : texts) {
            const std::int32_t expected = LiteralMatchWildcard(text.c_str(), pattern.c_str(), ColumnFileName);
            const std::int32_t actual = MatchWildcard(text.c_str(), pattern.c_str(), ColumnFileName);
            if (expected != actual && ++mismatches <= 10) {
                ADD_FAILURE() << "text " << std::string(text.begin(), text.end()) << " pattern "
                              << std::string(pattern.begin(), pattern.end()) << ": literal " << expected << ", fast "
                              << actual;
            }
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST(MatchWildcard, AgreesWithTheLiteralProcedureOnRandomCases) {
    std::mt19937 random(20261208);
    const std::u16string textUnits = u"abAB/\\.";
    const std::u16string patternUnits = u"ab*?\\.";
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        std::u16string text(random() % 40, u' ');
        for (auto& c : text) c = textUnits[random() % textUnits.size()];
        std::u16string pattern;
        int stars = 0;
        for (std::size_t length = random() % 14; pattern.size() < length;) {
            char16_t c = patternUnits[random() % patternUnits.size()];
            if (c == u'*' && ++stars > 4) c = u'a';  // keeps the literal procedure quick
            pattern += c;
        }
        const int field = round % 2 ? ColumnFilePath : ColumnFileName;
        const std::int32_t expected = LiteralMatchWildcard(text.c_str(), pattern.c_str(), field);
        ASSERT_EQ(MatchWildcard(text.c_str(), pattern.c_str(), field), expected)
            << std::string(text.begin(), text.end()) << " / " << std::string(pattern.begin(), pattern.end());
        matched += expected >= 0;
    }
    EXPECT_GT(matched, 500);  // the cases must not be mostly misses
}

TEST(MatchWildcard, PositionRules) {
    // The first text unit matched by a literal, wherever the stars fall.
    EXPECT_EQ(Fast(u"xa", u"*a*"), 1);
    EXPECT_EQ(Fast(u"xyab", u"??ab"), 2);
    EXPECT_EQ(Fast(u"xyab", u"x*b"), 0);
    // A trailing star answers 0 even after a literal was matched past the start; behind a
    // leading star that 0 counts from where the successful try began.
    EXPECT_EQ(Fast(u"xab", u"?ab*"), 0);
    EXPECT_EQ(Fast(u"xxab", u"*?ab*"), 1);
    // Without literals the position is 0.
    EXPECT_EQ(Fast(u"ab", u"??"), 0);
    // A star in the middle never takes the empty rest of the text.
    EXPECT_EQ(Fast(u"ab", u"ab*"), 0);
    EXPECT_EQ(Fast(u"ab", u"ab*?"), -1);
    EXPECT_EQ(Fast(u"", u""), 0);
    EXPECT_EQ(Fast(u"a", u""), -1);
    EXPECT_EQ(Fast(u"", u"?"), -1);
}

TEST(MatchWildcard, PathFieldsTakeEitherSlash) {
    EXPECT_EQ(Fast(u"C:/src/a.cpp", u"c:\\*\\a.cpp", ColumnFilePath), 0);
    EXPECT_EQ(Fast(u"C:/src/a.cpp", u"c:\\*\\a.cpp", ColumnFileName), -1);
}

TEST(MatchWildcard, BacktrackingWorstCasesFinish) {
    const std::u16string run(20000, u'a');
    EXPECT_EQ(Fast(run, u"*a*a*a*a*a*a*a*a*b"), -1);
    EXPECT_EQ(Fast(run + u"b", u"*a*a*a*a*a*a*a*a*b"), 0);

    // A pattern of 32 767 units, 16 383 stars among them: no recursion, so no deep stack.
    std::u16string stars;
    while (stars.size() < 32766) stars += u"*a";
    stars += u"*";
    ASSERT_EQ(stars.size(), 32767u);
    EXPECT_EQ(Fast(run, stars), 0);
    EXPECT_EQ(Fast(std::u16string(16000, u'a'), stars), -1);

    std::u16string literal(16383, u'a');
    EXPECT_EQ(Fast(std::u16string(40000, u'a'), literal + u"*" + literal), 0);
}

}  // namespace
}  // namespace sprig
