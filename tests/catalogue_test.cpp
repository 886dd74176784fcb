#include <gtest/gtest.h>

#include <string>

#include "catalogue/Catalogue.h"
#include "support/CatalogueBuilder.h"

namespace sprig {
namespace {

using namespace std::string_view_literals;

std::u16string Name(const FileEntry& file) { return ColumnText(file, ColumnFileName); }

TEST(MakeFileEntry, NameStartsAfterTheLaterSeparatorOfEitherKind) {
    EXPECT_EQ(Name(MakeFileEntry(u"C:\\dir/sub\\name.txt", u"", u"")), u"name.txt");
    EXPECT_EQ(Name(MakeFileEntry(u"C:\\dir\\sub/name.txt", u"", u"")), u"name.txt");
    EXPECT_EQ(MakeFileEntry(u"C:\\dir\\sub/name.txt", u"", u"").nameOffset, 11);
}

TEST(MakeFileEntry, PathWithoutSeparatorIsItsOwnName) {
    FileEntry entry = MakeFileEntry(u"readme.txt", u"", u"");
    EXPECT_EQ(entry.nameOffset, 0);
    EXPECT_EQ(Name(entry), u"readme.txt");
}

TEST(MakeFileEntry, TrailingSeparatorGivesEmptyName) {
    EXPECT_EQ(Name(MakeFileEntry(u"C:\\dir\\", u"", u"")), u"");
    EXPECT_EQ(Name(MakeFileEntry(u"", u"", u"")), u"");
}

TEST(MakeFileEntry, APathEndsAtItsFirstNul) {
    Catalogue catalogue;
    const FileEntry& file = AddFile(catalogue, u"C:\\dir\\name.txt\0\\later.txt"sv, u"", u"");
    EXPECT_EQ(std::u16string(file.path), u"C:\\dir\\name.txt");
    EXPECT_EQ(Name(file), u"name.txt");
}

TEST(MakeFileEntry, NameBeyondSixteenBitOffsetFallsBackToWholePath) {
    // The separator at 65535 puts the name at 65536, which the offset cannot hold.
    std::u16string path(65535, u'd');
    path += u"\\name.txt";
    FileEntry entry = MakeFileEntry(path.c_str(), u"", u"");
    EXPECT_EQ(entry.nameOffset, 0);
    EXPECT_EQ(Name(entry), path);

    // One unit shorter still fits exactly.
    std::u16string fits(65534, u'd');
    fits += u"\\name.txt";
    FileEntry fitting = MakeFileEntry(fits.c_str(), u"", u"");
    EXPECT_EQ(fitting.nameOffset, 65535);
    EXPECT_EQ(Name(fitting), u"name.txt");
}

TEST(ColumnText, MapsTheFourColumnsAndNothingElse) {
    Catalogue catalogue;
    testing::CatalogueBuilder build(catalogue);
    const char16_t* project = build.Project(u"App");
    const char16_t* path = build.Path(u"Tools\\App\\Source");
    const FileEntry& file = build.File(u"C:\\src\\main.cpp", project, path);
    EXPECT_EQ(std::u16string(ColumnText(file, 0)), u"main.cpp");
    EXPECT_EQ(std::u16string(ColumnText(file, 1)), u"C:\\src\\main.cpp");
    EXPECT_EQ(ColumnText(file, 2), project);
    EXPECT_EQ(ColumnText(file, 3), path);
    EXPECT_EQ(ColumnText(file, 4), nullptr);
    EXPECT_EQ(ColumnText(file, -1), nullptr);
}

TEST(Catalogue, EntriesStayInPlaceWhileTheListGrows) {
    Catalogue catalogue;
    testing::CatalogueBuilder build(catalogue);
    const char16_t* project = build.Project(u"P");
    const char16_t* path = build.Path(u"P");
    const FileEntry* first = &build.File(u"a", project, path);
    const char16_t* firstPath = first->path;
    // Paths of every length, some longer than a block of the text store, share its blocks.
    const auto pathOf = [](int i) { return std::u16string(i % 5000 == 1 ? 40000 + i % 7 : i % 300, u'a' + i % 26); };
    for (int i = 1; i <= 100000; ++i) build.File(pathOf(i), project, path);
    EXPECT_EQ(first, &catalogue.FileList.front());
    EXPECT_EQ(firstPath, catalogue.FileList.front().path);
    EXPECT_EQ(std::u16string(firstPath), u"a");
    for (int i = 1; i <= 100000; ++i) ASSERT_EQ(catalogue.FileList[i].path, pathOf(i)) << i;
}

TEST(Catalogue, ClearEmptiesAllFourContainers) {
    Catalogue catalogue;
    testing::CatalogueBuilder build(catalogue);
    const char16_t* project = build.Project(u"P");
    const FileEntry& file = build.File(u"a", project, build.Path(u"P"));
    catalogue.ResultList.push_back(ResultRow{&file, -1});
    ClearCatalogue(catalogue);
    EXPECT_TRUE(catalogue.ProjectList.empty());
    EXPECT_TRUE(catalogue.ProjectPathPool.empty());
    EXPECT_TRUE(catalogue.FileList.empty());
    EXPECT_TRUE(catalogue.ResultList.empty());
}

TEST(SortProjectList, IgnoresAsciiCaseAndKeepsEveryFileOnItsOwnString) {
    Catalogue catalogue;
    testing::CatalogueBuilder build(catalogue);
    const char16_t* beta = build.Project(u"beta");
    const char16_t* alpha = build.Project(u"Alpha");
    const char16_t* under = build.Project(u"_tools");
    const FileEntry& inBeta = build.File(u"b.cpp", beta, build.Path(u"beta"));
    const FileEntry& inAlpha = build.File(u"a.cpp", alpha, build.Path(u"Alpha"));

    SortProjectList(catalogue);

    // "_" folds below every letter, since capitals compare as small letters.
    ASSERT_EQ(catalogue.ProjectList.size(), 3u);
    EXPECT_EQ(catalogue.ProjectList[0].get(), under);
    EXPECT_EQ(catalogue.ProjectList[1].get(), alpha);
    EXPECT_EQ(catalogue.ProjectList[2].get(), beta);
    EXPECT_EQ(inBeta.projectName, beta);
    EXPECT_EQ(std::u16string(inAlpha.projectName), u"Alpha");
}

TEST(SortProjectList, SameNamesStayDistinctEntries) {
    Catalogue catalogue;
    testing::CatalogueBuilder build(catalogue);
    const char16_t* first = build.Project(u"Core");
    const char16_t* second = build.Project(u"Core");
    SortProjectList(catalogue);
    ASSERT_EQ(catalogue.ProjectList.size(), 2u);
    EXPECT_NE(catalogue.ProjectList[0].get(), catalogue.ProjectList[1].get());
    EXPECT_TRUE((catalogue.ProjectList[0].get() == first && catalogue.ProjectList[1].get() == second) ||
                (catalogue.ProjectList[0].get() == second && catalogue.ProjectList[1].get() == first));
}

TEST(CompareIgnoringAsciiCase, FoldsOnlyAsciiCapitals) {
    EXPECT_EQ(CompareIgnoringAsciiCase(u"Readme.txt", u"README.TXT"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(u"_a.cpp", u"a.cpp"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(u"1.cpp", u"_a.cpp"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(u"ab", u"abc"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(u"\u00C9", u"\u00E9"), 0);  // É is not folded onto é
    // Units above 0x7FFF compare as unsigned numbers.
    EXPECT_GT(CompareIgnoringAsciiCase(u"\uFFFF", u"a"), 0);
}

TEST(CopyTextCut, CutsAndAlwaysTerminates) {
    char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
    CopyTextCut(u"abcdef", buffer, 4);
    EXPECT_EQ(std::u16string(buffer), u"abc");
    CopyTextCut(u"abcdef", buffer, 1);
    EXPECT_EQ(buffer[0], u'\0');
    buffer[0] = u'x';
    CopyTextCut(u"abcdef", buffer, 0);  // no room: nothing written
    EXPECT_EQ(buffer[0], u'x');
    CopyTextCut(nullptr, buffer, 4);
    EXPECT_EQ(buffer[0], u'\0');
}

}  // namespace
}  // namespace sprig
