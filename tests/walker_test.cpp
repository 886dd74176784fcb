#include <gtest/gtest.h>

#include <string>

#include "catalogue/SolutionWalker.h"

namespace sprig {
namespace {

std::u16string Text(const PendingText& pending) { return pending.text ? pending.text : u"(null)"; }

TEST(ExtendPath, JoinsWithOneBackslashAndKeepsTheTarget) {
    std::vector<OwnedText> pool;
    const PendingText root(pool);
    PendingText project = ExtendPath(root, u"Tools");
    EXPECT_EQ(Text(project), u"Tools");
    PendingText folder = ExtendPath(project, u"App");
    EXPECT_EQ(Text(folder), u"Tools\\App");
    EXPECT_EQ(Text(ExtendPath(folder, u"Source")), u"Tools\\App\\Source");
    EXPECT_EQ(folder.target, &pool);
    EXPECT_FALSE(folder.committed());
    EXPECT_TRUE(pool.empty());
}

TEST(ExtendPath, NoNameGivesNoTextAndCountsAsCommitted) {
    std::vector<OwnedText> pool;
    PendingText project(pool, CopyText(u"App"));
    PendingText unnamed = ExtendPath(project, u"");
    EXPECT_EQ(unnamed.text, nullptr);
    EXPECT_TRUE(unnamed.committed());
    EXPECT_EQ(CommitText(unnamed), nullptr);
    EXPECT_TRUE(pool.empty());
}

TEST(CommitText, HandsTheTextOverOnceAndGivesTheSameStringAfter) {
    std::vector<OwnedText> pool;
    PendingText path(pool, CopyText(u"App\\Src"));
    const char16_t* text = path.text;
    EXPECT_EQ(CommitText(path), text);
    EXPECT_TRUE(path.committed());
    EXPECT_EQ(CommitText(path), text);
    ASSERT_EQ(pool.size(), 1u);
    EXPECT_EQ(pool[0].get(), text);
    // A child made after the commit still reads the parent's text.
    EXPECT_EQ(Text(ExtendPath(path, u"Deep")), u"App\\Src\\Deep");
}

}  // namespace
}  // namespace sprig
