// The disk by Windows paths: natively through the Z: mapping, under Wine as Windows reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "catalogue/Utf8.h"
#include "loader/LoaderTesting.h"
#include "solution/loader/DiskFiles.h"
#include "solution/loader/ProjectReaders.h"

namespace sprig::testing {
namespace {

namespace fs = std::filesystem;
using loader::ReadResult;

std::u16string PathText(const fs::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    return std::u16string(wide.begin(), wide.end());
#else
    std::u16string text;
    AppendUtf16(path.string(), text);
    return text;
#endif
}

class DiskFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("sprig-disk-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "Sub" / "Deeper");
        std::ofstream(root_ / "Sub" / "Name.TXT", std::ios::binary) << "content\r\n";
        std::ofstream(root_ / "Other.txt", std::ios::binary) << "";
        std::string reason;
        ASSERT_TRUE(loader::FullWindowsPath(PathText(root_), windowsRoot_, reason)) << reason;
    }
    void TearDown() override { fs::remove_all(root_); }

    ReadResult Read(const std::u16string& relative, std::string& content) {
        std::string reason;
        return disk_.Read(windowsRoot_ + u"\\" + relative, content, reason);
    }

    fs::path root_;
    std::u16string windowsRoot_;
    loader::DiskFiles disk_;
};

TEST_F(DiskFilesTest, ReadsAndListsByWindowsPathsInAnyLetterCase) {
    std::string content;
    EXPECT_EQ(Read(u"Sub\\Name.TXT", content), ReadResult::Read);
    EXPECT_EQ(content, "content\r\n");
    content.clear();
    EXPECT_EQ(Read(u"SUB\\.\\Deeper\\..\\name.txt", content), ReadResult::Read);
    EXPECT_EQ(content, "content\r\n");
    EXPECT_EQ(Read(u"Other.txt", content), ReadResult::Read);
    EXPECT_EQ(content, "");
    EXPECT_EQ(Read(u"Sub\\Missing.txt", content), ReadResult::Missing);
    // Reasons read the same in both builds.
    std::string reason;
    EXPECT_EQ(disk_.Read(windowsRoot_ + u"\\Sub", content, reason), ReadResult::Failed);
    EXPECT_EQ(reason, "it is a folder");

    std::vector<loader::DirectoryEntry> entries;
    ASSERT_TRUE(disk_.List(windowsRoot_ + u"\\sub", entries, reason)) << reason;
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, u"Deeper");
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, u"Name.TXT");
    EXPECT_FALSE(entries[1].isDirectory);
    EXPECT_FALSE(disk_.List(windowsRoot_ + u"\\Missing", entries, reason));
    EXPECT_EQ(reason, "no such file or folder");
    EXPECT_FALSE(disk_.List(windowsRoot_ + u"\\Other.txt", entries, reason));
    EXPECT_EQ(reason, "it is not a folder");
}

// A link back into a web site is passed over: natively as a link; under Wine, which shows links to
// folders as plain folders, because it leads to a folder already read.
TEST(DiskWebSite, LinkBackIntoTheSiteIsPassedOver) {
    std::u16string site = u"Z:";
    AppendUtf16(SPRIG_LINKED_SITE, site);
    std::replace(site.begin(), site.end(), u'/', u'\\');
    loader::DiskFiles disk;
    model::SolutionModel model;
    std::vector<loader::LoadMessage> messages;
    loader::LoadContext context{disk, model, messages};
    loader::ReadWebSite(context, site, {site, 0}, model.AddProject(u"Site", loader::WebSiteProjectType));
    EXPECT_TRUE(messages.empty()) << loader::DescribeMessage(messages.at(0));
    const std::string path = ToUtf8(site);
    EXPECT_EQ(ModelText(model), "Site (web site)\n  [folder] sub = " + path + "\\sub\\\n    [file] b.txt = " + path +
                                    "\\sub\\b.txt\n  [file] a.txt = " + path + "\\a.txt\n");
}

#ifndef _WIN32
// Wine's convention: drive Z: is the root; paths are completed and resolved by their text.
TEST_F(DiskFilesTest, NativePathsAreWinesDriveZ) {
    std::u16string path;
    std::string reason;
    ASSERT_TRUE(loader::FullWindowsPath(u"/a/./b//../c.sln", path, reason));
    EXPECT_EQ(path, u"Z:\\a\\c.sln");
    ASSERT_TRUE(loader::FullWindowsPath(u"c.sln", path, reason));
    std::u16string expected = u"Z:" + PathText(fs::current_path()) + u"\\c.sln";
    std::replace(expected.begin(), expected.end(), u'/', u'\\');
    EXPECT_EQ(path, expected);

    std::string content;
    EXPECT_EQ(disk_.Read(u"C:\\windows\\win.ini", content, reason), ReadResult::Failed);
    EXPECT_EQ(reason, "not on drive Z:, which stands for / here");

    // A link to a folder could lead back into the tree: it is not listed.
    fs::create_directory_symlink(root_, root_ / "Sub" / "Loop");
    std::vector<loader::DirectoryEntry> entries;
    ASSERT_TRUE(disk_.List(windowsRoot_ + u"\\Sub", entries, reason));
    EXPECT_EQ(entries.size(), 2u);
}
#endif

}  // namespace
}  // namespace sprig::testing
