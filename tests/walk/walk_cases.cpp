// The solution walk over models built in code. The same cases run natively and, through COM
// dispatch, under Wine (see WalkRoad.h).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "catalogue/SolutionWalker.h"
#include "walk/ExpectCatalogue.h"
#include "walk/WalkRoad.h"

namespace sprig::testing {
namespace {

using model::Fault;
using model::Member;
using model::SolutionModel;

constexpr char16_t CppKind[] = u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";

Catalogue Walk(SolutionModel& model) {
    Catalogue catalogue;
    EXPECT_EQ(WalkModel(model, catalogue), 0) << "host references outlived the walk";
    return catalogue;
}

TEST(Walk, EmptySolutionGivesEmptyCatalogue) {
    SolutionModel model;
    ExpectCatalogue(Walk(model), {});

    // Projects and folders without files leave nothing either.
    model::Project& empty = model.AddProject(u"Empty", CppKind);
    model.AddFolder(*model.AddFolder(*empty.items, u"Outer").children, u"Inner");
    ExpectCatalogue(Walk(model), {});
}

TEST(Walk, WalkClearsWhatWasThere) {
    SolutionModel model;
    model.AddFile(*model.AddProject(u"App", CppKind).items, u"a.cpp", u"C:\\s\\a.cpp");
    Catalogue catalogue;
    WalkModel(model, catalogue);
    EXPECT_EQ(WalkModel(model, catalogue), 0);
    ExpectCatalogue(catalogue, {{u"App"}, {u"App"}, {{u"C:\\s\\a.cpp", 0, 0}}});
}

TEST(Walk, SolutionFolderSubProjectAndFolderComposeThePath) {
    // Tools is a solution folder whose item leads to App; App's folder Source holds a file.
    SolutionModel model;
    model::Project& tools = model.AddProject(u"Tools", model::SolutionFolderKind);
    model::Project& app = model.NewProject(u"App", CppKind);
    model.AddSubProject(*tools.items, app);
    model::Item& source = model.AddFolder(*app.items, u"Source", model::VirtualFolderKind);
    model.AddFile(*source.children, u"main.cpp", u"C:\\s\\App\\main.cpp");
    model.AddFile(*app.items, u"App.rc", u"C:\\s\\App\\App.rc");
    ExpectCatalogue(Walk(model), {{u"App"},
                                  {u"Tools\\App\\Source", u"Tools\\App"},
                                  {{u"C:\\s\\App\\main.cpp", 0, 0}, {u"C:\\s\\App\\App.rc", 0, 1}}});
}

TEST(Walk, FilesOfOneLevelShareOneStringAndSiblingFoldersGetTheirOwn) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"App", CppKind);
    model.AddFile(*app.items, u"a.cpp", u"a.cpp");
    model::Item& first = model.AddFolder(*app.items, u"Src");
    model.AddFile(*first.children, u"b.cpp", u"b.cpp");
    model.AddFile(*app.items, u"c.cpp", u"c.cpp");
    model::Item& second = model.AddFolder(*app.items, u"Src");
    model.AddFile(*second.children, u"d.cpp", u"d.cpp");
    model.AddFile(*second.children, u"e.cpp", u"e.cpp");
    ExpectCatalogue(Walk(model),
                    {{u"App"},
                     {u"App", u"App\\Src", u"App\\Src"},
                     {{u"a.cpp", 0, 0}, {u"b.cpp", 0, 1}, {u"c.cpp", 0, 0}, {u"d.cpp", 0, 2}, {u"e.cpp", 0, 2}}});
}

TEST(Walk, EqualNamesAndSharedFilesAreNeverMerged) {
    SolutionModel model;
    model::Project& first = model.AddProject(u"Core", CppKind);
    model.AddProject(u"NoFiles", CppKind);
    model::Project& second = model.AddProject(u"Core", CppKind);
    model.AddFile(*first.items, u"shared.h", u"C:\\s\\shared.h");
    model.AddFile(*second.items, u"shared.h", u"C:\\s\\shared.h");
    ExpectCatalogue(Walk(model),
                    {{u"Core", u"Core"}, {u"Core", u"Core"}, {{u"C:\\s\\shared.h", 0, 0}, {u"C:\\s\\shared.h", 1, 1}}});
}

TEST(Walk, KindIsComparedWholeIgnoringCase) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"App", CppKind);
    model.AddFile(*app.items, u"lower", u"lower.cpp").kind = u"{6bb5f8ee-4483-11d3-8bcf-00c04f8ec28c}";
    model.AddFile(*app.items, u"longer", u"longer.cpp").kind = u"{6BB5F8EE-4483-11D3-8BCF-00C04F8EC28C}x";
    model.AddFile(*app.items, u"shorter", u"shorter.cpp").kind = u"{6BB5F8EE-4483-11D3-8BCF-00C04F8EC28C";
    model.AddFile(*app.items, u"folder kind", u"folder.cpp").kind = model::PhysicalFolderKind;
    ExpectCatalogue(Walk(model), {{u"App"}, {u"App"}, {{u"lower.cpp", 0, 0}}});
}

// Solution folders' items give their names at index 1 only: the walk asks 1 when 0 gives
// nothing, and asks an item that answers 0 nothing more.
TEST(Walk, AFileThatRefusesIndexZeroIsAskedForIndexOne) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"App", CppKind);
    model::Item& plain = model.AddFile(*app.items, u"a.cpp", u"C:\\s\\a.cpp");
    model::Project& items = model.AddProject(u"Solution Items", model::SolutionFolderKind);
    model::Item& first = model.AddFile(*items.items, u"b.txt", u"C:\\s\\b.txt");
    first.fileNameIndex = 1;
    model::Item& neither = model.AddFile(*items.items, u"c.txt", u"C:\\s\\c.txt");
    neither.fileNameIndex = 2;
    ExpectCatalogue(
        Walk(model),
        {{u"App", u"Solution Items"}, {u"App", u"Solution Items"}, {{u"C:\\s\\a.cpp", 0, 0}, {u"C:\\s\\b.txt", 1, 1}}});
    EXPECT_EQ(plain.CallsOf(Member::FileNames), 1u);
    EXPECT_EQ(first.CallsOf(Member::FileNames), 2u);
    EXPECT_EQ(neither.CallsOf(Member::FileNames), 2u);
}

TEST(Walk, ItemWithChildrenIsAFolderEvenWithASubProject) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"App", CppKind);
    model::Project& other = model.NewProject(u"Other", CppKind);
    model.AddFile(*other.items, u"other.cpp", u"other.cpp");
    model::Item& both = model.AddFolder(*app.items, u"Both");
    both.subProject = &other;
    model.AddFile(*both.children, u"inner.cpp", u"inner.cpp");
    ExpectCatalogue(Walk(model), {{u"App"}, {u"App\\Both"}, {{u"inner.cpp", 0, 0}}});
}

TEST(Walk, NestedItemsOfAFileAreNotVisited) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"App", u"{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}");
    model::Item& form = model.AddFile(*app.items, u"Form1.cs", u"C:\\s\\Form1.cs");
    model.AddFile(model.Children(form), u"Form1.Designer.cs", u"C:\\s\\Form1.Designer.cs");
    model.AddFile(*app.items, u"Program.cs", u"C:\\s\\Program.cs");
    ExpectCatalogue(Walk(model), {{u"App"}, {u"App"}, {{u"C:\\s\\Form1.cs", 0, 0}, {u"C:\\s\\Program.cs", 0, 0}}});
}

TEST(Walk, SubProjectPathUsesProjectNameNotItemName) {
    SolutionModel model;
    model::Project& host = model.AddProject(u"Host", CppKind);
    model::Item& plugins = model.AddFolder(*host.items, u"Plugins");
    model::Project& plug = model.NewProject(u"Plug", CppKind);
    model.AddSubProject(*plugins.children, plug).name = u"ItemName";
    model.AddFile(*plug.items, u"plug.cpp", u"plug.cpp");
    model.AddFile(*plugins.children, u"list.txt", u"list.txt");
    ExpectCatalogue(
        Walk(model),
        {{u"Plug", u"Host"}, {u"Host\\Plugins\\Plug", u"Host\\Plugins"}, {{u"plug.cpp", 0, 0}, {u"list.txt", 1, 1}}});
}

TEST(Walk, ItemWithNeitherChildrenNorSubProjectIsSkipped) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"App", CppKind);
    model::Item& odd = model.AddItem(*app.items);
    odd.name = u"Odd";
    odd.kind = model::SubProjectKind;
    model.AddFile(*app.items, u"a.cpp", u"a.cpp");
    ExpectCatalogue(Walk(model), {{u"App"}, {u"App"}, {{u"a.cpp", 0, 0}}});
}

// A chain of folders one level deeper than the walk goes, with a file at every level: every file
// down to the last level walked is kept, in walk order.
TEST(Walk, DeepNestingKeepsEveryFileDownToTheDepthBound) {
    SolutionModel model;
    model::ItemCollection* level = model.AddProject(u"P", CppKind).items;
    ExpectedCatalogue expected{{u"P"}, {}, {}};
    std::u16string path = u"P";
    for (int depth = 1; depth <= MaxWalkDepth + 1; ++depth) {
        const std::string digits = std::to_string(depth);
        const std::u16string file = u"f" + std::u16string(digits.begin(), digits.end());
        model.AddFile(*level, file, file);
        if (depth <= MaxWalkDepth) {
            expected.levels.push_back(path);
            expected.files.push_back({file, 0, expected.levels.size() - 1});
        }
        level = model.AddFolder(*level, u"d").children;
        path += u"\\d";
    }
    const Catalogue catalogue = Walk(model);
    ExpectCatalogue(catalogue, expected);
    // Folders mirroring a deep tree of directories reach several hundred levels.
    EXPECT_GE(catalogue.FileList.size(), 600u);
}

// A folder that lists itself. Seen by its identity, the loop ends at once; without identities
// the walk goes MaxWalkDepth levels down and no further.
TEST(Walk, FolderThatContainsItselfEnds) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"P", CppKind);
    model::Item& loop = model.AddFolder(*app.items, u"F");
    loop.children->Add(loop);
    model.AddFile(*loop.children, u"x", u"x");
    const Catalogue catalogue = Walk(model);
    if (RoadKeepsIdentities) {
        ExpectCatalogue(catalogue, {{u"P"}, {u"P\\F"}, {{u"x", 0, 0}}});
        return;
    }
    // Levels 2 to MaxWalkDepth each hold x; the deepest comes first.
    ASSERT_EQ(catalogue.FileList.size(), std::size_t{MaxWalkDepth - 1});
    std::u16string deepest = u"P";
    for (int level = 2; level <= MaxWalkDepth; ++level) deepest += u"\\F";
    EXPECT_EQ(std::u16string(catalogue.FileList.front().projectPath), deepest);
    EXPECT_EQ(std::u16string(catalogue.FileList.back().projectPath), u"P\\F");
    EXPECT_EQ(catalogue.ProjectList.size(), 1u);
    EXPECT_EQ(catalogue.ProjectPathPool.size(), std::size_t{MaxWalkDepth - 1});
}

TEST(Walk, ProjectThatIsItsOwnSubProjectEnds) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"P", CppKind);
    model.AddSubProject(*app.items, app);
    model.AddFile(*app.items, u"x", u"x");
    const Catalogue catalogue = Walk(model);
    if (RoadKeepsIdentities) {
        ExpectCatalogue(catalogue, {{u"P"}, {u"P"}, {{u"x", 0, 0}}});
        return;
    }
    // Every level is a project of its own, from level 1 to MaxWalkDepth.
    ASSERT_EQ(catalogue.FileList.size(), std::size_t{MaxWalkDepth});
    EXPECT_EQ(catalogue.ProjectList.size(), std::size_t{MaxWalkDepth});
    EXPECT_EQ(TextLength(catalogue.FileList.front().projectPath), std::size_t{MaxWalkDepth * 2 - 1});
    EXPECT_EQ(std::u16string(catalogue.FileList.back().projectPath), u"P");
    EXPECT_EQ(catalogue.FileList.back().projectName, catalogue.ProjectList.back().get());
}

// A folder with a long name that lists itself twice: without identities, the allowance of path
// text ends the walk long before its item calls run out.
TEST(Walk, LongFolderThatBranchesBackIntoItselfEnds) {
    SolutionModel model;
    model::Project& app = model.AddProject(u"P", CppKind);
    const std::u16string name(4000, u'F');
    model::Item& loop = model.AddFolder(*app.items, name);
    loop.children->Add(loop);
    loop.children->Add(loop);
    model.AddFile(*loop.children, u"x", u"x");
    const Catalogue catalogue = Walk(model);
    if (RoadKeepsIdentities) {
        ExpectCatalogue(catalogue, {{u"P"}, {u"P\\" + name}, {{u"x", 0, 0}}});
        return;
    }
    std::int64_t pathText = 0;
    for (const OwnedText& text : catalogue.ProjectPathPool) pathText += std::int64_t(TextLength(text.get()));
    EXPECT_LE(pathText, MaxWalkPathText);
    // Every level holds x, and the levels that were walked hold all the path text there was.
    EXPECT_EQ(catalogue.FileList.size(), catalogue.ProjectPathPool.size());
    EXPECT_GT(pathText, MaxWalkPathText / 2);
    EXPECT_EQ(std::u16string(catalogue.FileList.back().projectPath), u"P\\" + name);
}

// A solution that uses every operation of the walk:
//   App:   a.cpp, Source\b.cpp
//   Tools: readme.txt, Lib (sub-project): lib.cpp
//   Web:   w.cs
struct Sample {
    SolutionModel model;
    model::Project& app = model.AddProject(u"App", CppKind);
    model::Item& a = model.AddFile(*app.items, u"a.cpp", u"C:\\s\\a.cpp");
    model::Item& source = model.AddFolder(*app.items, u"Source", model::VirtualFolderKind);
    model::Item& b = model.AddFile(*source.children, u"b.cpp", u"C:\\s\\b.cpp");
    model::Project& tools = model.AddProject(u"Tools", model::SolutionFolderKind);
    model::Item& readme = model.AddFile(*tools.items, u"readme.txt", u"C:\\s\\readme.txt");
    model::Project& lib = model.NewProject(u"Lib", CppKind);
    model::Item& libItem = model.AddSubProject(*tools.items, lib);
    model::Item& libFile = model.AddFile(*lib.items, u"lib.cpp", u"C:\\s\\lib.cpp");
    model::Project& web = model.AddProject(u"Web", CppKind);
    model::Item& w = model.AddFile(*web.items, u"w.cs", u"C:\\s\\w.cs");
};

const ExpectedFile A{u"C:\\s\\a.cpp", 0, 0};

// Also: a file directly in a top-level project has the project's name as its path.
TEST(Walk, SampleSolutionInWalkOrder) {
    Sample sample;
    ExpectCatalogue(Walk(sample.model), {{u"App", u"Tools", u"Lib", u"Web"},
                                         {u"App", u"App\\Source", u"Tools", u"Tools\\Lib", u"Web"},
                                         {A,
                                          {u"C:\\s\\b.cpp", 0, 1},
                                          {u"C:\\s\\readme.txt", 1, 2},
                                          {u"C:\\s\\lib.cpp", 2, 3},
                                          {u"C:\\s\\w.cs", 3, 4}}});
}

// One operation of the walk made to fail or give nothing, and the part of the sample that is left.
struct FaultCase {
    const char* name;
    std::function<model::Fault&(Sample&)> fault;
    ExpectedCatalogue expected;
};

const ExpectedCatalogue Nothing{};
const ExpectedCatalogue WithoutTools{
    {u"App", u"Web"}, {u"App", u"App\\Source", u"Web"}, {A, {u"C:\\s\\b.cpp", 0, 1}, {u"C:\\s\\w.cs", 1, 2}}};
const ExpectedCatalogue WithoutSource{
    {u"App", u"Tools", u"Lib", u"Web"},
    {u"App", u"Tools", u"Tools\\Lib", u"Web"},
    {A, {u"C:\\s\\readme.txt", 1, 1}, {u"C:\\s\\lib.cpp", 2, 2}, {u"C:\\s\\w.cs", 3, 3}}};
const ExpectedCatalogue WithoutA{
    {u"App", u"Tools", u"Lib", u"Web"},
    {u"App\\Source", u"Tools", u"Tools\\Lib", u"Web"},
    {{u"C:\\s\\b.cpp", 0, 0}, {u"C:\\s\\readme.txt", 1, 1}, {u"C:\\s\\lib.cpp", 2, 2}, {u"C:\\s\\w.cs", 3, 3}}};
const ExpectedCatalogue WithoutLib{{u"App", u"Tools", u"Web"},
                                   {u"App", u"App\\Source", u"Tools", u"Web"},
                                   {A, {u"C:\\s\\b.cpp", 0, 1}, {u"C:\\s\\readme.txt", 1, 2}, {u"C:\\s\\w.cs", 2, 3}}};
const ExpectedCatalogue WithoutApp{{u"Tools", u"Lib", u"Web"},
                                   {u"Tools", u"Tools\\Lib", u"Web"},
                                   {{u"C:\\s\\readme.txt", 0, 0}, {u"C:\\s\\lib.cpp", 1, 1}, {u"C:\\s\\w.cs", 2, 2}}};

const FaultCase FaultCases[] = {
    {"RootSolution", [](Sample& s) -> Fault& { return s.model.root.FaultOf(Member::Solution); }, Nothing},
    {"SolutionProjects", [](Sample& s) -> Fault& { return s.model.solution.FaultOf(Member::Projects); }, Nothing},
    {"ProjectsCount", [](Sample& s) -> Fault& { return s.model.projects.FaultOf(Member::Count); }, Nothing},
    {"ProjectsItem", [](Sample& s) -> Fault& { return s.model.projects.entries[1].fault; }, WithoutTools},
    {"ProjectName", [](Sample& s) -> Fault& { return s.tools.FaultOf(Member::Name); }, WithoutTools},
    {"ProjectItems", [](Sample& s) -> Fault& { return s.tools.FaultOf(Member::ProjectItems); }, WithoutTools},
    {"ItemsCount", [](Sample& s) -> Fault& { return s.app.items->FaultOf(Member::Count); }, WithoutApp},
    {"ItemsItem", [](Sample& s) -> Fault& { return s.app.items->entries[1].fault; }, WithoutSource},
    {"ItemKind", [](Sample& s) -> Fault& { return s.a.FaultOf(Member::Kind); }, WithoutA},
    {"ItemFileNames", [](Sample& s) -> Fault& { return s.a.FaultOf(Member::FileNames); }, WithoutA},
    {"ItemProjectItems", [](Sample& s) -> Fault& { return s.source.FaultOf(Member::ProjectItems); }, WithoutSource},
    {"ItemName", [](Sample& s) -> Fault& { return s.source.FaultOf(Member::Name); }, WithoutSource},
    {"ItemSubProject", [](Sample& s) -> Fault& { return s.libItem.FaultOf(Member::SubProject); }, WithoutLib},
    {"SubProjectName", [](Sample& s) -> Fault& { return s.lib.FaultOf(Member::Name); }, WithoutLib},
    {"FolderItemsCount", [](Sample& s) -> Fault& { return s.source.children->FaultOf(Member::Count); }, WithoutSource},
};

void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.name; }

class WalkFault : public ::testing::TestWithParam<std::tuple<FaultCase, Fault>> {};

TEST_P(WalkFault, LeavesOutExactlyWhatDependsOnTheCall) {
    const auto& [fault, kind] = GetParam();
    Sample sample;
    fault.fault(sample) = kind;
    ExpectCatalogue(Walk(sample.model), fault.expected);
}

INSTANTIATE_TEST_SUITE_P(EveryCall, WalkFault,
                         ::testing::Combine(::testing::ValuesIn(FaultCases),
                                            ::testing::Values(Fault::Fail, Fault::Nothing)),
                         [](const auto& info) {
    return std::string(std::get<0>(info.param).name) +
           (std::get<1>(info.param) == Fault::Fail ? "Fails" : "GivesNothing");
});

}  // namespace
}  // namespace sprig::testing
