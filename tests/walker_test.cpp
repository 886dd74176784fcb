#include <gtest/gtest.h>

#include <string>

#include "catalogue/SolutionWalker.h"
#include "solution/model/ModelSolutionView.h"

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

// A folder that lists itself twice doubles the walk at every level: the item allowance ends it.
TEST(BuildCatalogue, TreeThatBranchesBackIntoItselfEnds) {
    model::SolutionModel model;
    model::Project& app = model.AddProject(u"P", u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}");
    model::Item& loop = model.AddFolder(*app.items, u"F");
    loop.children->Add(loop);
    loop.children->Add(loop);
    model.AddFile(*loop.children, u"x", u"x");
    model::ModelSolutionView view(model);
    Catalogue catalogue;
    BuildCatalogue(view, catalogue);
    // Each folder visit takes three item calls and records one file.
    EXPECT_GT(catalogue.FileList.size(), std::size_t{MaxWalkItems / 4});
    EXPECT_LT(catalogue.FileList.size(), std::size_t{MaxWalkItems / 2});
    EXPECT_EQ(view.LiveObjects(), 0);
}

}  // namespace
}  // namespace sprig
