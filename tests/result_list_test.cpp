#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "dialog/core/ResultTitle.h"
#include "filter/Filter.h"
#include "filter/JobRunner.h"
#include "filter/Query.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"
#include "support/CatalogueBuilder.h"
#include "support/LiteralFilter.h"
#include "support/Threads.h"

namespace sprig {
namespace {

// The sort order is process-wide: every test starts from the order of a fresh process.
class ResultListTest : public ::testing::Test {
protected:
    void SetUp() override { ProcessSortOrder = SortOrder{}; }
    void TearDown() override { ProcessSortOrder = SortOrder{}; }

    std::vector<std::u16string> Paths() const {
        std::vector<std::u16string> paths;
        for (const ResultRow& row : catalogue.ResultList) paths.emplace_back(row.file->path);
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

    EXPECT_EQ(RebuildResultList(catalogue, u"", 0, ProcessSortOrder), 0);
    ASSERT_EQ(catalogue.ResultList.size(), 340u);
    for (std::size_t i = 1; i < catalogue.ResultList.size(); ++i) {
        EXPECT_LT(CompareRows(&catalogue.ResultList[i - 1], &catalogue.ResultList[i]), 0) << i;
    }
    for (const ResultRow& row : catalogue.ResultList) EXPECT_EQ(row.position, -1);
    EXPECT_EQ(Title(), u"Open File(s) in Solution (340 of 340)");

    EXPECT_EQ(RebuildResultList(catalogue, u"nothing-like-this", 0, ProcessSortOrder), -1);
    EXPECT_TRUE(catalogue.ResultList.empty());
    EXPECT_EQ(Title(), u"Open File(s) in Solution (0 of 340)");
}

TEST_F(ResultListTest, EmptySolutionGivesNoRowsAndTheBareTitle) {
    EXPECT_EQ(RebuildResultList(catalogue, u"", 0, ProcessSortOrder), -1);
    EXPECT_EQ(RebuildResultList(catalogue, u"main", 1, ProcessSortOrder), -1);
    EXPECT_TRUE(catalogue.ResultList.empty());
    EXPECT_EQ(Title(), u"Open File(s) in Solution");
}

TEST_F(ResultListTest, SelectsTheFirstRowWithTheSmallestPosition) {
    const char16_t* p = add.Project(u"P");
    const char16_t* pp = add.Path(u"P");
    add.File(u"C:\\src\\main.cpp", p, pp);
    add.File(u"C:\\src\\domain.cpp", p, pp);
    add.File(u"C:\\src\\readme.txt", p, pp);

    EXPECT_EQ(RebuildResultList(catalogue, u"main", 0, ProcessSortOrder), 1);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\src\\domain.cpp", u"C:\\src\\main.cpp"}));
    EXPECT_EQ(catalogue.ResultList[0].position, 2);
    EXPECT_EQ(catalogue.ResultList[1].position, 0);
    // A line after the last name term leaves the rows and the choice as the name alone gives them.
    EXPECT_EQ(RebuildResultList(catalogue, u"main:12", 0, ProcessSortOrder), 1);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\src\\domain.cpp", u"C:\\src\\main.cpp"}));
    // So does the colon typed before the line.
    EXPECT_EQ(RebuildResultList(catalogue, u"main:", 0, ProcessSortOrder), 1);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\src\\domain.cpp", u"C:\\src\\main.cpp"}));

    // Ties go to the earlier row in display order, whichever way the rows are sorted.
    add.File(u"C:\\lib\\main.cpp", p, pp);
    EXPECT_EQ(RebuildResultList(catalogue, u"main", 0, ProcessSortOrder), 1);
    EXPECT_EQ(catalogue.ResultList[1].file->path, std::u16string(u"C:\\lib\\main.cpp"));
    ProcessSortOrder.descending = true;
    EXPECT_EQ(RebuildResultList(catalogue, u"main", 0, ProcessSortOrder), 0);
    EXPECT_EQ(catalogue.ResultList[0].file->path, std::u16string(u"C:\\src\\main.cpp"));
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

    RebuildResultList(catalogue, u"", 1, ProcessSortOrder);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\one\\a.cpp"}));
    RebuildResultList(catalogue, u"", 2, ProcessSortOrder);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\two\\b.cpp", u"C:\\two\\c.cpp"}));
    EXPECT_EQ(Title(), u"Open File(s) in Solution (2 of 4)");
    RebuildResultList(catalogue, u"c.", 2, ProcessSortOrder);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\two\\c.cpp"}));
    EXPECT_EQ(Title(), u"Open File(s) in Solution (1 of 4)");

    // "<All Projects>", no selection and indices past the last project restrict nothing.
    for (const std::ptrdiff_t index : {0, -1, 4, 1000}) {
        EXPECT_EQ(ChosenProject(catalogue, index), nullptr);
        RebuildResultList(catalogue, u"", index, ProcessSortOrder);
        EXPECT_EQ(catalogue.ResultList.size(), 4u) << index;
    }
}

TEST_F(ResultListTest, EachRefreshReplacesTheRowsWithinReservedStorage) {
    const char16_t* p = add.Project(u"P");
    const char16_t* pp = add.Path(u"P");
    for (int i = 0; i < 50; ++i) add.File(u"C:\\f" + std::u16string(i + 1, u'z') + u".h", p, pp);

    RebuildResultList(catalogue, u"zzzzz", 0, ProcessSortOrder);
    EXPECT_EQ(catalogue.ResultList.size(), 46u);
    EXPECT_GE(catalogue.ResultList.capacity(), catalogue.FileList.size());
    RebuildResultList(catalogue, u"*zzzzzzzzzz.h", 0, ProcessSortOrder);
    EXPECT_EQ(catalogue.ResultList.size(), 41u);
    for (const ResultRow& row : catalogue.ResultList) EXPECT_GE(TextLength(row.file->path), 13u);
}

// The refresh done literally: parse, filter every file in catalogue order, qsort, choose the row.
std::ptrdiff_t ReferenceRefresh(const Catalogue& catalogue, std::u16string_view query, std::ptrdiff_t projectBoxIndex,
                                std::vector<ResultRow>& rows) {
    const char16_t* project = ChosenProject(catalogue, projectBoxIndex);
    ParsedFilter filter;
    ParseQuery(query, filter);
    rows.clear();
    for (const FileEntry& file : catalogue.FileList) {
        if (project && file.projectName != project) continue;
        if (const auto position = testing::LiteralMatchFilter(file, filter.terms)) {
            rows.push_back(ResultRow{&file, *position});
        }
    }
    if (rows.size() >= 2) std::qsort(rows.data(), rows.size(), sizeof(ResultRow), CompareRows);
    // The first of the rows with the smallest position.
    std::ptrdiff_t best = -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (best < 0 || rows[i].position < rows[static_cast<std::size_t>(best)].position)
            best = static_cast<std::ptrdiff_t>(i);
    }
    return best;
}

// The rows must be the reference's, in its order, except that rows alike on all four keys (a
// run of the reference's rows that compare 0) may stand in any order among themselves.
::testing::AssertionResult SameRows(const std::vector<ResultRow>& expected, const std::vector<ResultRow>& actual) {
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure() << actual.size() << " rows instead of " << expected.size();
    }
    using Row = std::pair<const FileEntry*, std::int32_t>;
    for (std::size_t start = 0, end; start < expected.size(); start = end) {
        for (end = start + 1; end < expected.size() && CompareRows(&expected[start], &expected[end]) == 0;) ++end;
        std::vector<Row> want, got;
        for (std::size_t i = start; i < end; ++i) {
            want.emplace_back(expected[i].file, expected[i].position);
            got.emplace_back(actual[i].file, actual[i].position);
        }
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        if (want != got) return ::testing::AssertionFailure() << "rows " << start << " to " << end - 1 << " differ";
    }
    return ::testing::AssertionSuccess();
}

// A catalogue made to tie: few letters, both cases and both slashes, repeated names and paths,
// files listed twice, projects of the same name.
void FillRandomCatalogue(testing::CatalogueBuilder& add, std::mt19937& random) {
    // Letters from both ends of the range of units, a wide letter against its neighbours.
    static const char16_t letters[] = u"aA\u0100\u00ff\u0101bB_.\\/x\u00e4\u00c4\uFF21";
    // Some catalogues draw on two to five letters only, so that long runs of rows tie on several
    // keys; some paths share a long beginning.
    const bool few = random() % 2 == 0;
    const std::size_t variety = few ? 2 + random() % 4 : sizeof(letters) / 2 - 1;
    const std::u16string root = random() % 2 == 0 ? u"C:" : u"C:\\Work\\a longer common beginning\\";
    const auto text = [&](std::size_t most) {
        std::u16string t;
        for (std::size_t n = random() % most; n > 0; --n) t += letters[random() % variety];
        return t;
    };
    std::vector<const char16_t*> projects, paths;
    for (int i = 0; i < 4; ++i) projects.push_back(add.Project(i == 3 ? u"Ab" : text(3)));
    for (int i = 0; i < 6; ++i) paths.push_back(add.Path(i == 5 ? u"A\\b" : text(4)));
    const int files = 1 + static_cast<int>(random() % (few ? 1000 : 300));
    for (int i = 0; i < files; ++i) {
        const FileEntry& file = add.File(root + text(few ? 2 : 3) + u"\\" + text(few ? 2 : 12), projects[random() % 4],
                                         paths[random() % 6]);
        if (random() % 8 == 0) add.File(file.path, file.projectName, file.projectPath);
        // A path without a folder, or with one of its own.
        if (random() % 64 == 0) add.File(text(4) + u"a", projects[random() % 4], paths[random() % 6]);
    }
}

// Threads that fail on request: the run after `runsLeft` more takes half its slices, then throws
// as an allocation that was refused would, so that the refresh ends halfway.
class FailingThreads final : public JobRunner {
public:
    explicit FailingThreads(JobRunner& threads) : threads_(threads) {}
    int runsLeft = -1;  // none fails

    std::size_t Threads() const override { return threads_.Threads(); }
    void Run(std::size_t count, void (*job)(void* context, std::size_t slice), void* context) override {
        if (runsLeft < 0 || runsLeft-- > 0) return threads_.Run(count, job, context);
        for (std::size_t slice = 0; slice < count / 2; ++slice) job(context, slice);
        throw std::bad_alloc();
    }

private:
    JobRunner& threads_;
};

TEST_F(ResultListTest, EveryRefreshMatchesTheLiteralProcedure) {
    static const char16_t typed[] = u"aAb._\\/x1 *?-|:\"";
    std::mt19937 random(18);
    std::vector<ResultRow> expected;
    // The rounds take turns without threads and with 1 to 4 of them, whose slices are cut down to
    // a few files so that these small catalogues are cut as a large one is. Now and then a
    // refresh ends halfway on an exception: the one after it must not build on what it left.
    std::vector<std::unique_ptr<testing::SliceThreads>> threads;
    for (std::size_t count = 1; count <= 4; ++count) threads.push_back(std::make_unique<testing::SliceThreads>(count));
    for (int round = 0; round < 300; ++round) {
        std::unique_ptr<FailingThreads> failing;
        if (round % 5 != 0) failing = std::make_unique<FailingThreads>(*threads[round % 5 - 1]);
        JobRunner* runner = failing.get();
        if (runner) runner->sliceFloor = 1 + random() % 16;
        Catalogue fresh;
        testing::CatalogueBuilder build(fresh);
        FillRandomCatalogue(build, random);
        // Without the ranks kept, a header click sorts from the texts again.
        fresh.sortedFiles.keepRanks = random() % 4 != 0;
        std::u16string query;
        std::ptrdiff_t project = 0;
        for (int step = 0; step < 40; ++step) {
            switch (random() % 6) {
            case 0:
            case 1:
                query += typed[random() % (sizeof(typed) / 2 - 1)];
                break;
            case 2:
                if (!query.empty()) query.pop_back();
                break;
            case 3:
                project = static_cast<std::ptrdiff_t>(random() % 6) - 1;
                break;
            case 4:
                // Sometimes two clicks come before a refresh, as in a new dialog of the process.
                for (int clicks = random() % 3 == 0 ? 2 : 1; clicks > 0; --clicks) {
                    ApplyColumnClick(ProcessSortOrder, static_cast<int>(random() % 4));
                }
                break;
            default:
                // A file more: the kept order must take it in.
                if (random() % 4 == 0)
                    build.File(u"C:\\" + query, fresh.ProjectList[0].get(), fresh.ProjectPathPool[0].get());
            }
            if (failing && random() % 8 == 0) {
                failing->runsLeft = static_cast<int>(random() % 3);
                try {
                    RebuildResultList(fresh, query + typed[random() % 4], project, ProcessSortOrder, runner);
                } catch (const std::bad_alloc&) {}
                failing->runsLeft = -1;
            }
            const std::ptrdiff_t want = ReferenceRefresh(fresh, query, project, expected);
            const std::ptrdiff_t got = RebuildResultList(fresh, query, project, ProcessSortOrder, runner);
            ASSERT_TRUE(SameRows(expected, fresh.ResultList)) << "round " << round << " step " << step;
            ASSERT_EQ(got, want) << "round " << round << " step " << step;
        }
    }
}

// Catalogues too large for the random rounds: more distinct names and paths than 16 bits count,
// a folder of thousands of files, folders too long for the name's offset and paths without one.
TEST_F(ResultListTest, ClicksOverLargeCataloguesMatchTheLiteralProcedure) {
    std::mt19937 random(24);
    const char16_t* projects[] = {add.Project(u"Core"), add.Project(u"core"), add.Project(u"App")};
    const char16_t* paths[] = {add.Path(u"C:\\src"), add.Path(u"c:\\SRC"), add.Path(u"C:\\src\\app")};
    const auto pick = [&](const auto& list) { return list[random() % 3]; };
    const auto name = [&](std::size_t i) {
        std::u16string text;
        for (; i > 0; i /= 7) text += u"aBc_.\u00ffx"[i % 7];
        return text;
    };
    for (std::size_t i = 0; i < 70000; ++i) {
        const std::u16string folder = i < 5000 ? u"C:\\flat\\" : u"C:\\src\\" + name(i % 300) + u"\\";
        add.File(folder + name(i * 7919 % 70001) + u".h", pick(projects), pick(paths));
    }
    const std::u16string deep = u"C:\\" + std::u16string(70000, u'd') + u"\\";
    for (const char16_t* file : {u"a", u"B", u"b", u"e\\f", u"e.h"}) add.File(deep + file, pick(projects), pick(paths));
    add.File(u"C:\\top.h", pick(projects), pick(paths));                         // a folder above all the others
    add.File(u"C:\\flat\\" + name(12345) + u".h", pick(projects), pick(paths));  // a path listed twice
    add.File(u"C:\\FLAT\\" + name(12345) + u".H", pick(projects), pick(paths));
    add.File(u"readme", pick(projects), pick(paths));

    std::vector<ResultRow> expected;
    for (const bool keep : {true, false}) {
        ProcessSortOrder = SortOrder{};
        catalogue.sortedFiles = FileOrder{};
        catalogue.sortedFiles.keepRanks = keep;
        for (const int column : {-1, 1, 2, 0, 3, 3, 1, 0}) {
            if (column >= 0) ApplyColumnClick(ProcessSortOrder, column);
            ReferenceRefresh(catalogue, u"", 0, expected);
            RebuildResultList(catalogue, u"", 0, ProcessSortOrder);
            ASSERT_TRUE(SameRows(expected, catalogue.ResultList)) << "after a click on " << column;
        }
    }
}

}  // namespace
}  // namespace sprig
