// The resize arithmetic of the dialog's anchored controls.
#include <gtest/gtest.h>

#include "dialog/core/Layout.h"
#include "dialog/core/TextCut.h"

#include <string>
#include <vector>
#include "resources/resource.h"

namespace sprig {

// Beside the type, where the test macros look for them.
bool operator==(const LayoutRect& a, const LayoutRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream& operator<<(std::ostream& out, const LayoutRect& r) {
    return out << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}

namespace {

const AnchorSpec& AnchorOf(int control) {
    for (const AnchorSpec& anchor : AnchorTable) {
        if (anchor.control == control) return anchor;
    }
    ADD_FAILURE() << "no anchor for control " << control;
    return AnchorTable[0];
}

TEST(Layout, EachControlFollowsTheEdgesItIsAnchoredTo) {
    const ClientSize reference{600, 480};
    const LayoutRect r{10, 20, 110, 60};
    const auto at = [&](int control) { return AnchoredRect(r, AnchorOf(control).flags, reference, 700, 520); };
    // 100 wider, 40 taller.
    EXPECT_EQ(at(IDC_FILE_LIST), (LayoutRect{10, 20, 210, 100}));    // grows both ways
    EXPECT_EQ(at(IDC_FILTER_EDIT), (LayoutRect{10, 60, 210, 100}));  // moves down, grows wider
    EXPECT_EQ(at(IDC_PROJECT_BOX), (LayoutRect{10, 20, 210, 60}));   // stays, grows wider
    EXPECT_EQ(at(IDC_VIEW_CODE), (LayoutRect{10, 60, 110, 100}));    // moves down only
    for (const int button : {IDC_EXPLORE, 1, 2}) {
        EXPECT_EQ(at(button), (LayoutRect{110, 60, 210, 100})) << button;  // moves down and right
    }
    // The table holds each of the seven controls once, the list first.
    EXPECT_EQ(AnchorTable[0].control, IDC_FILE_LIST);
    for (const AnchorSpec& anchor : AnchorTable) EXPECT_EQ(&AnchorOf(anchor.control), &anchor);
}

TEST(Layout, TheReferenceSizeGivesTheReferenceRectangleForAnyAnchors) {
    const LayoutRect r{-3, 7, 250, 400};
    for (std::uint32_t flags = 0; flags < 16; ++flags) {
        EXPECT_EQ(AnchoredRect(r, flags, ClientSize{640, 480}, 640, 480), r) << flags;
    }
}

TEST(Layout, SmallerThanTheReferenceMovesBackPastZero) {
    // No minimum size: a control may leave the client area. Widths above 32767 stay unsigned.
    const LayoutRect r{500, 400, 560, 420};
    EXPECT_EQ(AnchoredRect(r, AnchorBottom | AnchorRight, ClientSize{600, 480}, 0, 0),
              (LayoutRect{-100, -80, -40, -60}));
    EXPECT_EQ(AnchoredRect(r, AnchorBottom | AnchorRight, ClientSize{40000, 480}, 39000, 480),
              (LayoutRect{-500, 400, -440, 420}));
}

// Every unit 10 pixels wide, the dots 15: which units a cell of `room` pixels shows of `text` in
// `column`, as "head...tail", or the text when it is whole.
std::u16string Shown(std::u16string_view text, int column, int room) {
    std::vector<int> edges;
    for (std::size_t i = 0; i < text.size(); ++i) edges.push_back(10 * static_cast<int>(i + 1));
    const TextCut cut =
        CutText(text.data(), edges.data(), text.size(), 15, room, KeptTail(text.data(), text.size(), column));
    if (cut.head == text.size()) return std::u16string(text);
    return std::u16string(text.substr(0, cut.head)) + u"..." + std::u16string(text.substr(cut.tail));
}

TEST(CutText, PathsLoseTheirMiddleAndNamesKeepTheirExtension) {
    const std::u16string path = u"C:\\src\\deep\\main.cpp";  // 20 units
    EXPECT_EQ(Shown(path, ColumnFilePath, 200), path);
    EXPECT_EQ(Shown(path, ColumnFilePath, 199), u"C:\\src\\de...\\main.cpp");
    EXPECT_EQ(Shown(path, ColumnFilePath, 150), u"C:\\s...\\main.cpp");
    EXPECT_EQ(Shown(path, ColumnFilePath, 105), u"...\\main.cpp");
    // Too narrow even for the last part: its end.
    EXPECT_EQ(Shown(path, ColumnFilePath, 104), u"...main.cpp");
    EXPECT_EQ(Shown(path, ColumnFilePath, 45), u"...cpp");
    EXPECT_EQ(Shown(path, ColumnFilePath, 44), u"...pp");
    EXPECT_EQ(Shown(path, ColumnFilePath, 14), u"...");
    EXPECT_EQ(Shown(u"C:/src/deep/main.cpp", ColumnProjectPath, 150), u"C:/s.../main.cpp");
    EXPECT_EQ(Shown(u"no-separator-here", ColumnProjectPath, 100), u"no-separ...");

    EXPECT_EQ(Shown(u"averylongname.txt", ColumnFileName, 100), u"aver....txt");
    EXPECT_EQ(Shown(u"averylongname.txt", ColumnFileName, 55), u"....txt");
    EXPECT_EQ(Shown(u"averylongname.txt", ColumnFileName, 54), u"...txt");
    // The last dot starts the extension; with none, or a name that is all extension, the end is cut.
    EXPECT_EQ(Shown(u"Makefile.in.x", ColumnFileName, 100), u"Makefi....x");
    EXPECT_EQ(Shown(u"Makefile_in_x", ColumnFileName, 100), u"Makefile...");
    EXPECT_EQ(Shown(u".gitattributes", ColumnFileName, 100), u".gitattr...");
    EXPECT_EQ(Shown(u"README", ColumnFileName, 50), u"REA...");
    EXPECT_EQ(Shown(u"Project.Name.Long", ColumnProjectName, 100), u"Project....");

    // A surrogate pair (two units) is shown whole or not at all, at either end.
    const std::u16string pair = u"\xD83D\xDE00";
    EXPECT_EQ(Shown(u"ab" + pair + u"cdefghij.txt", ColumnFileName, 85), u"ab....txt");
    EXPECT_EQ(Shown(u"ab" + pair + u"cdefghij.txt", ColumnFileName, 95), u"ab" + pair + u"....txt");
    EXPECT_EQ(Shown(u"C:\\x\\" + pair + u"abcdefgh", ColumnFilePath, 105), u"...abcdefgh");
}

}  // namespace
}  // namespace sprig
