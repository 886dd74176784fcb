#include <gtest/gtest.h>

#include <string>

#include "catalogue/SolutionWalker.h"

namespace sprig {
namespace {

std::u16string Text(const PendingText& pending) { return pending.text ? pending.text : u"(null)"; }

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
    // A child made after the commit still reads the parent's text, under the same target.
    const PendingText child = ExtendPath(path, u"Deep");
    EXPECT_EQ(Text(child), u"App\\Src\\Deep");
    EXPECT_EQ(child.target, &pool);
    EXPECT_FALSE(child.committed());
}

}  // namespace
}  // namespace sprig
