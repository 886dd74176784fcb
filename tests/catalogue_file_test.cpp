#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CatalogueFile.h"
#include "catalogue/Utf8.h"

namespace sprig {
namespace {

using namespace std::string_view_literals;

std::u16string Decode(std::string_view bytes, bool expectValid = true) {
    std::u16string out;
    EXPECT_EQ(AppendUtf16(bytes, out), expectValid) << bytes;
    return out;
}

TEST(Utf8, EveryScalarValueRoundTrips) {
    for (char32_t value = 0; value <= 0x10FFFF; ++value) {
        if (value >= 0xD800 && value <= 0xDFFF) continue;
        std::u16string text;
        if (value < 0x10000) {
            text.push_back(static_cast<char16_t>(value));
        } else {
            text.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        }
        std::string bytes;
        AppendUtf8(text, bytes);
        ASSERT_EQ(bytes.size(), value < 0x80 ? 1u : value < 0x800 ? 2u : value < 0x10000 ? 3u : 4u) << value;
        std::u16string back;
        ASSERT_TRUE(AppendUtf16(bytes, back)) << value;
        ASSERT_EQ(back, text) << value;
    }
    EXPECT_EQ(Decode("\xC3\x84rger \xF0\x9F\x98\x80"), u"\u00C4rger \U0001F600");
    // ASCII runs of every length before and after characters of every length, so that the runs
    // taken eight bytes at a time end at every place.
    for (std::size_t before = 0; before <= 17; ++before) {
        for (std::size_t after = 0; after <= 17; after += 3) {
            std::u16string text;
            for (std::size_t k = 0; k < before; ++k) text.push_back(static_cast<char16_t>(u'!' + k * 5));
            text += u"\u00E9\u20AC\U0001F600";
            for (std::size_t k = 0; k < after; ++k) text.push_back(static_cast<char16_t>(u'~' - k * 3));
            std::string bytes;
            AppendUtf8(text, bytes);
            EXPECT_EQ(Decode(bytes), text) << before << " " << after;
        }
    }
}

TEST(Utf8, RejectsEveryIllFormedSequence) {
    for (const char* bad :
         {"\x80", "\xBF", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF",
          "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFE", "\xFF", "\xE2\x82",
          "\xF0\x9F\x98", "\xC3", "\xC3\x41", "\xE2\x41\x80"}) {
        Decode(std::string("a") + bad + "b", false);
    }
    // The edges of the accepted ranges.
    EXPECT_EQ(Decode("\xC2\x80\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"), u"\u0080\uD7FF\uE000\U0010FFFF");
}

TEST(Utf8, LoneSurrogatesBecomeReplacementCharacters) {
    std::string bytes;
    AppendUtf8(std::u16string{u'a', 0xD800, u'b', 0xDC00}, bytes);
    EXPECT_EQ(bytes,
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

class LoadCatalogueTest : public ::testing::Test {
protected:
    bool Load(std::string_view content) { return LoadCatalogue(content, catalogue, error); }
    std::u16string Path(std::size_t i) const { return catalogue.FileList[i].path; }

    Catalogue catalogue;
    std::string error;
};

TEST_F(LoadCatalogueTest, ProjectsByIdInOrderOfTheirFirstFile) {
    ASSERT_TRUE(
        Load("\xEF\xBB\xBF"
             "7\tcore\tcore\tC:\\a\\one.cpp\r\n"
             "3\tcore\tcore\tC:\\b\\two.cpp\n"
             "7\tcore\tcore\tC:\\a\\three.cpp\n"
             "1\t\xC3\x84pp\tsln\\\xC3\x84pp\tC:\\\xC3\xA4\\four.h"))
        << error;
    ASSERT_EQ(catalogue.ProjectList.size(), 3u);
    ASSERT_EQ(catalogue.FileList.size(), 4u);
    EXPECT_EQ(Path(0), u"C:\\a\\one.cpp");  // no BOM, no CR
    EXPECT_EQ(Path(3), u"C:\\\u00E4\\four.h");
    EXPECT_EQ(catalogue.FileList[3].projectPath, std::u16string(u"sln\\\u00C4pp"));
    EXPECT_EQ(ColumnText(catalogue.FileList[3], ColumnFileName), std::u16string(u"four.h"));

    // Files of one id share its entry; the two projects named core stay apart.
    EXPECT_EQ(catalogue.FileList[0].projectName, catalogue.ProjectList[0].get());
    EXPECT_EQ(catalogue.FileList[1].projectName, catalogue.ProjectList[1].get());
    EXPECT_EQ(catalogue.FileList[2].projectName, catalogue.ProjectList[0].get());
    EXPECT_EQ(catalogue.FileList[3].projectName, catalogue.ProjectList[2].get());
}

TEST_F(LoadCatalogueTest, ConsecutiveFilesOfOneLevelSharePathStrings) {
    ASSERT_TRUE(
        Load("p\tP\tP\\src\ta.cpp\n"
             "p\tP\tP\\src\tb.cpp\n"
             "q\tQ\tP\\src\tc.cpp\n"
             "p\tP\tP\\src\td.cpp\n"));
    const auto& files = catalogue.FileList;
    EXPECT_EQ(files[0].projectPath, files[1].projectPath);
    EXPECT_NE(files[1].projectPath, files[2].projectPath);  // another project
    EXPECT_NE(files[1].projectPath, files[3].projectPath);  // the level reached again
    EXPECT_EQ(catalogue.ProjectPathPool.size(), 3u);

    // An empty last line, as editors leave, is no file.
    for (const char* end : {"\n", "\r\n"}) {
        Catalogue trailing;
        EXPECT_TRUE(LoadCatalogue(std::string("p\tP\tP\ta.cpp\n") + end, trailing, error)) << error;
        EXPECT_EQ(trailing.FileList.size(), 1u);
    }

    Catalogue empty;
    EXPECT_TRUE(LoadCatalogue("", empty, error));
    EXPECT_TRUE(empty.FileList.empty() && empty.ProjectList.empty() && empty.ProjectPathPool.empty());
}

TEST_F(LoadCatalogueTest, NamesTheFirstMalformedLine) {
    const std::string good = "p\tP\tP\tC:\\a.cpp\n";
    const struct {
        std::string content, message;
    } cases[] = {
        {good + "p\tP\tC:\\b.cpp\n", "line 2: expected 4 tab-separated fields"},
        {good + good + "p\tP\tP\tC:\\b.cpp\tx\n", "line 3: expected 4 tab-separated fields"},
        {good + "\n" + good, "line 2: expected 4"},
        {good + "p\tP\tP\tC:\\\xC0\xAF.cpp\n", "line 2: not valid UTF-8"},
        {"\xFF\tP\tP\tC:\\a.cpp\n", "line 1: not valid UTF-8"},
        {good + std::string("p\tP\tP\tC:\\a\0b\n"sv), "line 2: holds a NUL byte"},
        {good + "p\tP\tP\t\n", "line 2: empty path"},
        {"\tP\tP\tC:\\a.cpp", "line 1: empty project id"},
        {good + "p\tQ\tP\tC:\\b.cpp\n", "line 2: project id p was given another name"},
    };
    for (const auto& c : cases) {
        Catalogue fresh;
        error.clear();
        EXPECT_FALSE(LoadCatalogue(c.content, fresh, error)) << c.message;
        EXPECT_EQ(error.compare(0, c.message.size(), c.message), 0) << error;
    }
}

// What the reader keeps of a text: every file's four texts and the project list, or the error.
std::vector<std::u16string> Outcome(bool loaded, const Catalogue& catalogue, const std::string& error) {
    if (!loaded) return {u"error", std::u16string(error.begin(), error.end())};
    std::vector<std::u16string> outcome;
    for (const ProjectEntry& project : catalogue.ProjectList) outcome.push_back(project.get());
    for (const FileEntry& file : catalogue.FileList) {
        for (int column = 0; column < ColumnCount; ++column) outcome.push_back(ColumnText(file, column));
    }
    outcome.push_back(std::u16string(1, char16_t(catalogue.ProjectPathPool.size())));
    return outcome;
}

// A file is read a piece at a time, and a piece may end anywhere: inside the byte order mark, a
// character, a CR LF or a field. Split in two at every place, and a byte at a time, it reads as
// the whole text does.
TEST(CatalogueReader, PiecesEndingAnywhereReadAsTheWholeText) {
    const std::string good = "p\tP\tP\tC:\\a.cpp\n";
    const std::string contents[] = {
        "\xEF\xBB\xBF"
        "7\tcore\tcore\tC:\\a\\one.cpp\r\n"
        "7\tcore\tcore\tC:\\a\\two.cpp\r\n"
        "1\t\xC3\x84pp\tsln\\\xC3\x84pp\tC:\\\xF0\x9F\x98\x80\\four.h",
        good + "\r\n",
        good + "\n" + good,
        good + "p\tQ\tP\tC:\\b.cpp\n",
        good + "p\tP\tP\tC:\\\xE2\x82\n",
    };
    for (const std::string& content : contents) {
        Catalogue whole;
        std::string error;
        const bool loaded = LoadCatalogue(content, whole, error);
        const std::vector<std::u16string> expected = Outcome(loaded, whole, error);
        for (std::size_t split = 0; split <= content.size(); ++split) {
            Catalogue pieces;
            CatalogueReader reader(pieces);
            const bool read = reader.Add(std::string_view(content).substr(0, split)) &&
                              reader.Add(std::string_view(content).substr(split)) && reader.Finish();
            EXPECT_EQ(Outcome(read, pieces, reader.Error()), expected) << "split at " << split;
        }
        Catalogue bytes;
        CatalogueReader reader(bytes);
        bool read = true;
        for (const char byte : content) read = read && reader.Add(std::string_view(&byte, 1));
        read = read && reader.Finish();
        EXPECT_EQ(Outcome(read, bytes, reader.Error()), expected);
    }
}

}  // namespace
}  // namespace sprig
