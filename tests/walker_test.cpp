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

// The model seen as a host that makes a new object at every call, whose identities say nothing.
class ViewWithoutIdentities final : public model::ModelSolutionView {
public:
    using ModelSolutionView::ModelSolutionView;
    const void* Identity(const HostObject&) override { return nullptr; }
};

// A folder that lists itself a thousand times multiplies the walk at every level. Its identity
// ends the walk at once; without one, the item allowance does, long before the path text runs out.
TEST(BuildCatalogue, TreeThatBranchesBackIntoItselfEnds) {
    model::SolutionModel model;
    model::Project& app = model.AddProject(u"P", u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}");
    model::Item& loop = model.AddFolder(*app.items, u"F");
    for (int i = 0; i < 1000; ++i) loop.children->Add(loop);
    model.AddFile(*loop.children, u"x", u"x");

    model::ModelSolutionView view(model);
    Catalogue catalogue;
    BuildCatalogue(view, catalogue);
    EXPECT_EQ(catalogue.FileList.size(), 1u);

    ViewWithoutIdentities blind(model);
    BuildCatalogue(blind, catalogue);
    // Each level walked takes 1001 item calls and records one file, except the levels still open
    // when the calls run out.
    EXPECT_LE(catalogue.FileList.size(), std::size_t{MaxWalkItems / 1001});
    EXPECT_GE(catalogue.FileList.size(), std::size_t{MaxWalkItems / 1001 - MaxWalkDepth});
    EXPECT_EQ(blind.LiveObjects(), 0);
}

// A folder with a long name that lists itself, seen without identities: before the depth bound
// is reached its paths would hold about 200 MB, and the allowance of path text ends it first.
TEST(BuildCatalogue, PathTextOfALoopEndsAtItsAllowance) {
    model::SolutionModel model;
    model::Project& app = model.AddProject(u"P", u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}");
    model::Item& loop = model.AddFolder(*app.items, std::u16string(200, u'F'));
    loop.children->Add(loop);
    model.AddFile(*loop.children, u"x", u"x");
    ViewWithoutIdentities view(model);
    Catalogue catalogue;
    BuildCatalogue(view, catalogue);

    std::int64_t pathText = 0;
    for (const OwnedText& text : catalogue.ProjectPathPool) pathText += std::int64_t(TextLength(text.get()));
    EXPECT_LE(pathText, MaxWalkPathText);
    // Level k's path holds 201 k units: the walk stops at the first level that does not fit.
    const auto levels = static_cast<std::int64_t>(catalogue.ProjectPathPool.size());
    EXPECT_LT(levels, MaxWalkDepth - 1);
    EXPECT_GT(pathText + 201 * (levels + 2), MaxWalkPathText);
    EXPECT_EQ(view.LiveObjects(), 0);
}

}  // namespace
}  // namespace sprig
