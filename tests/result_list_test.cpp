#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filter/ResultList.h"
#include "filter/SortOrder.h"
#include "support/CatalogueBuilder.h"

namespace sprig {
namespace {

// The sort order is process-wide: every test starts from the order of a fresh process.
class ResultListTest : public ::testing::Test {
protected:
    void SetUp() override { ProcessSortOrder = SortOrder{}; }
    void TearDown() override { ProcessSortOrder = SortOrder{}; }

    std::vector<std::u16string> Paths() const {
        std::vector<std::u16string> paths;
        for (const ResultRow& row : catalogue.ResultList) paths.emplace_back(row.file->path.get());
        return paths;
    }

    std::u16string Title() const { return ResultTitle(catalogue).text; }

    Catalogue catalogue;
    testing::CatalogueBuilder add{catalogue};
};

using Keys = std::vector<std::int32_t>;
Keys KeysOf(const SortOrder& order) { return Keys(std::begin(order.keys), std::end(order.keys)); }

TEST(ApplyColumnClick, PrimaryFlipsOthersMoveToTheFrontKeepingTheDirection) {
    SortOrder order;
    ApplyColumnClick(order, ColumnFileName);
    EXPECT_EQ(KeysOf(order), (Keys{0, 1, 2, 3}));
    EXPECT_TRUE(order.descending);
    ApplyColumnClick(order, ColumnFilePath);
    EXPECT_EQ(KeysOf(order), (Keys{1, 0, 2, 3}));
    EXPECT_TRUE(order.descending);
    ApplyColumnClick(order, ColumnFilePath);
    EXPECT_EQ(KeysOf(order), (Keys{1, 0, 2, 3}));
    EXPECT_FALSE(order.descending);

    // Only the ids before the clicked one move back.
    ApplyColumnClick(order, ColumnProjectName);
    EXPECT_EQ(KeysOf(order), (Keys{2, 1, 0, 3}));
    ApplyColumnClick(order, ColumnProjectPath);
    EXPECT_EQ(KeysOf(order), (Keys{3, 2, 1, 0}));
    EXPECT_FALSE(order.descending);

    for (const int unknown : {-1, 4, 202}) ApplyColumnClick(order, unknown);
    EXPECT_EQ(KeysOf(order), (Keys{3, 2, 1, 0}));
    EXPECT_FALSE(order.descending);
}

TEST_F(ResultListTest, CompareRowsFoldsOnlyAsciiCapitals) {
    const char16_t* p = add.Project(u"P");
    const char16_t* pp = add.Path(u"P");
    const auto compare = [&](std::u16string_view a, std::u16string_view b) {
        const ResultRow ra{&add.File(a, p, pp), -1}, rb{&add.File(b, p, pp), -1};
        return CompareRows(&ra, &rb);
    };
    EXPECT_EQ(compare(u"C:\\Readme.txt", u"C:\\README.TXT"), 0);
    EXPECT_LT(compare(u"C:\\_a.cpp", u"C:\\a.cpp"), 0);
    EXPECT_LT(compare(u"C:\\a", u"C:\\a.cpp"), 0);                // the text that ends first
    EXPECT_GT(compare(u"C:\\\u00E4.cpp", u"C:\\\u00C4.cpp"), 0);  // not folded: compared as units
    EXPECT_GT(compare(u"C:\\\u00C4.cpp", u"C:\\z.cpp"), 0);
}

TEST_F(ResultListTest, LaterKeysBreakTiesAndDescendingReversesThemAll) {
    const char16_t* alpha = add.Project(u"alpha");
    const char16_t* beta = add.Project(u"beta");
    const char16_t* one = add.Path(u"alpha\\one");
    const char16_t* two = add.Path(u"alpha\\two");
    const ResultRow shortPath{&add.File(u"C:\\b\\x.h", alpha, one), -1};
    const ResultRow longPath{&add.File(u"C:\\b\\c\\x.h", alpha, one), -1};
    const ResultRow inBeta{&add.File(u"C:\\b\\x.h", beta, one), -1};
    const ResultRow inTwo{&add.File(u"C:\\b\\x.h", alpha, two), -1};

    EXPECT_GT(CompareRows(&shortPath, &longPath), 0);  // same name: the path decides
    EXPECT_LT(CompareRows(&shortPath, &inBeta), 0);    // same path too: the project name
    EXPECT_LT(CompareRows(&shortPath, &inTwo), 0);     // same project name: the project path
    EXPECT_EQ(CompareRows(&shortPath, &shortPath), 0);

    ProcessSortOrder.descending = true;
    EXPECT_LT(CompareRows(&shortPath, &longPath), 0);
    EXPECT_GT(CompareRows(&shortPath, &inBeta), 0);
    EXPECT_GT(CompareRows(&shortPath, &inTwo), 0);

    ProcessSortOrder = SortOrder{};
    ApplyColumnClick(ProcessSortOrder, ColumnProjectPath);
    EXPECT_GT(CompareRows(&inTwo, &longPath), 0);
    EXPECT_LT(CompareRows(&shortPath, &inTwo), 0);
}

TEST_F(ResultListTest, EmptyFilterListsEverythingSortedAndSelectsTheFirstRow) {
    const char16_t* p = add.Project(u"P");
    const char16_t* pp = add.Path(u"P");
    for (int i = 339; i >= 0; --i)
        add.File(u"C:\\f\\" + std::u16string(1, u'a' + i % 26) + std::u16string(i / 26 + 1, u'x'), p, pp);

    EXPECT_EQ(RebuildResultList(catalogue, u"", 0), 0);
    ASSERT_EQ(catalogue.ResultList.size(), 340u);
    for (std::size_t i = 1; i < catalogue.ResultList.size(); ++i) {
        EXPECT_LT(CompareRows(&catalogue.ResultList[i - 1], &catalogue.ResultList[i]), 0) << i;
    }
    for (const ResultRow& row : catalogue.ResultList) EXPECT_EQ(row.position, -1);
    EXPECT_EQ(Title(), u"Open File(s) in Solution (340 of 340)");

    EXPECT_EQ(RebuildResultList(catalogue, u"nothing-like-this", 0), -1);
    EXPECT_TRUE(catalogue.ResultList.empty());
    EXPECT_EQ(Title(), u"Open File(s) in Solution (0 of 340)");
}

TEST_F(ResultListTest, EmptySolutionGivesNoRowsAndTheBareTitle) {
    EXPECT_EQ(RebuildResultList(catalogue, u"", 0), -1);
    EXPECT_EQ(RebuildResultList(catalogue, u"main", 1), -1);
    EXPECT_TRUE(catalogue.ResultList.empty());
    EXPECT_EQ(Title(), u"Open File(s) in Solution");
}

TEST_F(ResultListTest, SelectsTheFirstRowWithTheSmallestPosition) {
    const char16_t* p = add.Project(u"P");
    const char16_t* pp = add.Path(u"P");
    add.File(u"C:\\src\\main.cpp", p, pp);
    add.File(u"C:\\src\\domain.cpp", p, pp);
    add.File(u"C:\\src\\readme.txt", p, pp);

    EXPECT_EQ(RebuildResultList(catalogue, u"main", 0), 1);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\src\\domain.cpp", u"C:\\src\\main.cpp"}));
    EXPECT_EQ(catalogue.ResultList[0].position, 2);
    EXPECT_EQ(catalogue.ResultList[1].position, 0);
    // A line after the last name term leaves the rows and the choice as the name alone gives them.
    EXPECT_EQ(RebuildResultList(catalogue, u"main:12", 0), 1);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\src\\domain.cpp", u"C:\\src\\main.cpp"}));

    // Ties go to the earlier row in display order, whichever way the rows are sorted.
    add.File(u"C:\\lib\\main.cpp", p, pp);
    EXPECT_EQ(RebuildResultList(catalogue, u"main", 0), 1);
    EXPECT_EQ(catalogue.ResultList[1].file->path.get(), std::u16string(u"C:\\lib\\main.cpp"));
    ProcessSortOrder.descending = true;
    EXPECT_EQ(RebuildResultList(catalogue, u"main", 0), 0);
    EXPECT_EQ(catalogue.ResultList[0].file->path.get(), std::u16string(u"C:\\src\\main.cpp"));
}

TEST_F(ResultListTest, ProjectChoiceGoesByIdentityAndKeepsTheTotal) {
    const char16_t* first = add.Project(u"core");
    const char16_t* second = add.Project(u"core");
    const char16_t* other = add.Project(u"app");
    const char16_t* pp = add.Path(u"x");
    add.File(u"C:\\one\\a.cpp", first, pp);
    add.File(u"C:\\two\\b.cpp", second, pp);
    add.File(u"C:\\two\\c.cpp", second, pp);
    add.File(u"C:\\app\\d.cpp", other, pp);
    EXPECT_EQ(ChosenProject(catalogue, 1), first);
    EXPECT_EQ(ChosenProject(catalogue, 2), second);

    RebuildResultList(catalogue, u"", 1);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\one\\a.cpp"}));
    RebuildResultList(catalogue, u"", 2);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\two\\b.cpp", u"C:\\two\\c.cpp"}));
    EXPECT_EQ(Title(), u"Open File(s) in Solution (2 of 4)");
    RebuildResultList(catalogue, u"c.", 2);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\two\\c.cpp"}));
    EXPECT_EQ(Title(), u"Open File(s) in Solution (1 of 4)");

    // "<All Projects>", no selection and indices past the last project restrict nothing.
    for (const std::ptrdiff_t index : {0, -1, 4, 1000}) {
        EXPECT_EQ(ChosenProject(catalogue, index), nullptr);
        RebuildResultList(catalogue, u"", index);
        EXPECT_EQ(catalogue.ResultList.size(), 4u) << index;
    }
}

TEST_F(ResultListTest, EachRefreshReplacesTheRowsWithinReservedStorage) {
    const char16_t* p = add.Project(u"P");
    const char16_t* pp = add.Path(u"P");
    for (int i = 0; i < 50; ++i) add.File(u"C:\\f" + std::u16string(i + 1, u'z') + u".h", p, pp);

    RebuildResultList(catalogue, u"zzzzz", 0);
    EXPECT_EQ(catalogue.ResultList.size(), 46u);
    EXPECT_GE(catalogue.ResultList.capacity(), catalogue.FileList.size());
    RebuildResultList(catalogue, u"*zzzzzzzzzz.h", 0);
    EXPECT_EQ(catalogue.ResultList.size(), 41u);
    for (const ResultRow& row : catalogue.ResultList) EXPECT_GE(TextLength(row.file->path.get()), 13u);
}

}  // namespace
}  // namespace sprig
