#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dialog/core/FolderGroups.h"
#include "support/CatalogueBuilder.h"

namespace sprig {
namespace {

class FolderGroupsTest : public ::testing::Test {
protected:
    const FileEntry* File(std::u16string_view path) { return &build.File(path, project, projectPath); }

    // Each group as its members' paths, the key first.
    static std::vector<std::vector<std::u16string>> Paths(const std::vector<FolderGroup>& groups) {
        std::vector<std::vector<std::u16string>> paths;
        for (const FolderGroup& group : groups) {
            EXPECT_EQ(group.key, group.members.front());
            paths.emplace_back();
            for (const FileEntry* member : group.members) paths.back().emplace_back(member->path);
        }
        return paths;
    }

    Catalogue catalogue;
    testing::CatalogueBuilder build{catalogue};
    const char16_t* project = build.Project(u"P");
    const char16_t* projectPath = build.Path(u"P");
};

TEST_F(FolderGroupsTest, FolderPartEndsWithTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(FolderPart(*File(u"C:\\dir\\a.txt")), u"C:\\dir\\");
    EXPECT_EQ(FolderPart(*File(u"C:\\dir/sub\\name.txt")), u"C:\\dir/sub\\");
    EXPECT_EQ(FolderPart(*File(u"C:\\dir\\sub/name.txt")), u"C:\\dir\\sub/");
    EXPECT_EQ(FolderPart(*File(u"\\\\server\\share\\")), u"\\\\server\\share\\");
    EXPECT_EQ(FolderPart(*File(u"name.txt")), u"");
}

TEST_F(FolderGroupsTest, SameFolderFoldsAsciiCaseAndSlashesOnly) {
    const FileEntry& base = *File(u"C:\\Src\\Sub\\a.txt");
    EXPECT_TRUE(SameFolder(base, *File(u"c:\\sRC\\sub\\B.TXT")));
    EXPECT_TRUE(SameFolder(base, *File(u"C:/Src/Sub/other")));
    EXPECT_TRUE(SameFolder(base, *File(u"c:/SRC\\sub/a.txt")));
    EXPECT_FALSE(SameFolder(base, *File(u"C:\\Src\\Sub\\Deeper\\a.txt")));
    EXPECT_FALSE(SameFolder(base, *File(u"C:\\Src\\a.txt")));
    EXPECT_FALSE(SameFolder(base, *File(u"C:\\Src\\Sup\\a.txt")));
    // Folding is ASCII only, and only '/' stands for '\'.
    EXPECT_FALSE(SameFolder(*File(u"C:\\\u00C4\\a"), *File(u"C:\\\u00E4\\a")));
    EXPECT_FALSE(SameFolder(*File(u"C:\\x|\\a"), *File(u"C:\\x\\\\a")));
    // Folders of equal length that differ only past a folded character.
    EXPECT_FALSE(SameFolder(*File(u"C:\\AB\\a"), *File(u"C:\\aC\\a")));
    // Paths without a separator share the empty folder.
    EXPECT_TRUE(SameFolder(*File(u"a.txt"), *File(u"b.txt")));
    EXPECT_FALSE(SameFolder(*File(u"a.txt"), *File(u"\\a.txt")));
}

TEST_F(FolderGroupsTest, GroupsComeInTheOrderOfTheirFirstFile) {
    const FileEntry* x = File(u"C:\\A\\x.txt");
    const FileEntry* y = File(u"C:\\B\\y.txt");
    const FileEntry* z = File(u"C:\\A\\z.txt");
    EXPECT_EQ(Paths(GroupByFolder({x, y, z})),
              (std::vector<std::vector<std::u16string>>{{u"C:\\A\\x.txt", u"C:\\A\\z.txt"}, {u"C:\\B\\y.txt"}}));

    // The first file of a folder is its key, whatever the spelling of the later ones.
    const FileEntry* upper = File(u"C:/a/UPPER.txt");
    const std::vector<FolderGroup> groups = GroupByFolder({y, upper, x, z, y});
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].key, y);
    EXPECT_EQ(groups[0].members, (std::vector<const FileEntry*>{y, y}));
    EXPECT_EQ(groups[1].key, upper);
    EXPECT_EQ(groups[1].members, (std::vector<const FileEntry*>{upper, x, z}));

    EXPECT_TRUE(GroupByFolder({}).empty());
}

// The one-look-up grouping against the rule written out plainly: walk the groups from the first
// and join the first whose key shares the folder. Many spellings of few folders, in random order.
TEST_F(FolderGroupsTest, GroupingAgreesWithAWalkOverTheGroups) {
    const std::u16string folders[] = {u"C:\\src\\", u"C:\\src\\ui\\",   u"C:\\srd\\", u"D:\\src\\", u"",
                                      u"\\",        u"C:\\src\\Ui\\x\\"};
    std::mt19937 random(11);
    std::vector<const FileEntry*> files;
    for (int i = 0; i < 2000; ++i) {
        std::u16string path = folders[random() % std::size(folders)];
        for (char16_t& unit : path) {
            const unsigned choice = random() % 4;
            if (choice == 0 && unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
            if (choice == 1 && unit == u'\\') unit = u'/';
        }
        files.push_back(File(path + u"f" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26))));
    }

    std::vector<FolderGroup> walked;
    for (const FileEntry* file : files) {
        auto group = walked.begin();
        while (group != walked.end() && !SameFolder(*group->key, *file)) ++group;
        if (group == walked.end()) {
            walked.push_back({file, {file}});
        } else {
            group->members.push_back(file);
        }
    }

    const std::vector<FolderGroup> grouped = GroupByFolder(files);
    ASSERT_EQ(grouped.size(), walked.size());
    for (std::size_t g = 0; g < walked.size(); ++g) {
        EXPECT_EQ(grouped[g].key, walked[g].key) << g;
        EXPECT_EQ(grouped[g].members, walked[g].members) << g;
    }
}

}  // namespace
}  // namespace sprig
