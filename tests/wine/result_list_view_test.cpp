// The refresh steps and the drawing of matched text against a real owner-data list view in a real
// top-level window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "dialog/ResultListView.h"
#include "filter/Query.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"
#include "support/CatalogueBuilder.h"
#include "wine/ListPicture.h"
#include "win/Owners.h"
#include "win/WideText.h"

namespace sprig {
namespace {

using testing::Picture;
using testing::PixelOf;

// What the frame answers for its list, as the dialog does: the texts of the shown rows, and the
// drawing of what `drawnFilter` matched.
const std::vector<ResultRow>* shownRows = nullptr;
// Set, the list draws its cells itself, for comparing with.
bool listDrawsItself = false;
ParsedFilter drawnFilter;
MatchHighlighter highlighter;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && shownRows) {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.code == LVN_GETDISPINFOW) {
            auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
            const auto row = static_cast<std::size_t>(info.item.iItem);
            if ((info.item.mask & LVIF_TEXT) && row < shownRows->size()) {
                CopyTextCut(ColumnText(*(*shownRows)[row].file, info.item.iSubItem), Units(info.item.pszText),
                            info.item.cchTextMax);
            }
            return 0;
        }
        if (header.code == NM_CUSTOMDRAW && !listDrawsItself) {
            return highlighter.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header), *shownRows, drawnFilter);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ResultListViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The host process registers the common controls; here the test plays the host.
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        WNDCLASSW frame{};
        frame.lpfnWndProc = FrameProc;
        frame.hInstance = GetModuleHandleW(nullptr);
        frame.lpszClassName = L"SprigResultListTest";
        ASSERT_NE(RegisterClassW(&frame), 0);
        // One visible window for the whole suite: destroying a shown window costs Wine seconds.
        dialog.reset(CreateWindowExW(0, L"SprigResultListTest", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 420,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(dialog);
        RECT client;
        GetClientRect(dialog.get(), &client);
        list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                               WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0, 0,
                               client.right, client.bottom, dialog.get(), reinterpret_cast<HMENU>(202),
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list, nullptr);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 300;
        column.pszText = const_cast<wchar_t*>(L"File Name");
        ASSERT_EQ(ListView_InsertColumn(list, 0, &column), 0);
        column.cx = 200;
        column.pszText = const_cast<wchar_t*>(L"File Path");
        ASSERT_EQ(ListView_InsertColumn(list, 1, &column), 1);
        // The dialog's own extended styles.
        constexpr DWORD styles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP;
        ListView_SetExtendedListViewStyleEx(list, styles, styles);
    }

    static void TearDownTestSuite() {
        shownRows = nullptr;
        dialog.reset();
    }

    void SetUp() override {
        ProcessSortOrder = SortOrder{};
        // 1000 files n000_target.cpp ... n999_target.cpp, except that n600target.cpp holds
        // "target" one unit earlier than all the others and sorts at row 600.
        const char16_t* project = add.Project(u"P");
        const char16_t* projectPath = add.Path(u"P");
        for (int i = 0; i < 1000; ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), i == 600 ? "C:\\src\\n%03dtarget.cpp" : "C:\\src\\n%03d_target.cpp", i);
            add.File(std::u16string(name, name + std::char_traits<char>::length(name)), project, projectPath);
        }
    }

    void TearDown() override {
        ProcessSortOrder = SortOrder{};
        shownRows = nullptr;
        ParseFilter(u"", drawnFilter);
        ListView_SetColumnWidth(list, 0, 300);
    }

    // What the dialog's refresh does with the texts it read from its controls.
    std::ptrdiff_t Refresh(std::u16string_view query) {
        const std::ptrdiff_t row = RebuildResultList(catalogue, query, 0, ProcessSortOrder);
        ShowResultList(dialog.get(), list, catalogue, row);
        return row;
    }

    // The list painted with what the terms of `query` matched drawn apart.
    Picture Painted(std::u16string_view query, bool byTheList = false) {
        listDrawsItself = byTheList;
        shownRows = &catalogue.ResultList;
        ParseQuery(query, drawnFilter);
        return Picture(list);
    }

    static int Next(int flags) { return ListView_GetNextItem(list, -1, flags); }

    static std::wstring Title() {
        wchar_t text[128];
        GetWindowTextW(dialog.get(), text, 128);
        return text;
    }

    static void Select(int row) { ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED); }

    static Window dialog;
    static HWND list;  // a child of dialog
    Catalogue catalogue;
    testing::CatalogueBuilder add{catalogue};
};

Window ResultListViewTest::dialog;
HWND ResultListViewTest::list;

TEST_F(ResultListViewTest, SelectsAndFocusesTheBestRowNearTheMiddle) {
    ASSERT_EQ(Refresh(u"target"), 600);
    EXPECT_EQ(ListView_GetItemCount(list), 1000);
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
    EXPECT_EQ(Next(LVNI_SELECTED), 600);
    EXPECT_EQ(Next(LVNI_FOCUSED), 600);

    const int top = ListView_GetTopIndex(list);
    const int perPage = ListView_GetCountPerPage(list);
    ASSERT_GT(perPage, 4);
    EXPECT_LE(std::abs(600 - top - perPage / 2), 1) << "top " << top << ", " << perPage << " rows per page";
    EXPECT_EQ(Title(), L"Open File(s) in Solution (1000 of 1000)");
    EXPECT_NE(GetFocus(), list);
}

TEST_F(ResultListViewTest, ReplacesTheUsersSelectionWithOneRow) {
    Refresh(u"target");
    for (const int row : {3, 4, 5, 900}) Select(row);
    ListView_SetItemState(list, 900, LVIS_FOCUSED, LVIS_FOCUSED);
    ASSERT_EQ(ListView_GetSelectedCount(list), 5u);

    ASSERT_EQ(Refresh(u""), 0);
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
    EXPECT_EQ(Next(LVNI_SELECTED), 0);
    EXPECT_EQ(Next(LVNI_FOCUSED), 0);
    EXPECT_EQ(ListView_GetTopIndex(list), 0);

    // The last row: the list cannot scroll past its end, but the row comes into view.
    ASSERT_EQ(Refresh(u"|target |n999"), 999);
    const int top = ListView_GetTopIndex(list);
    EXPECT_LE(top, 999);
    EXPECT_GT(top + ListView_GetCountPerPage(list), 999);
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
}

TEST_F(ResultListViewTest, NoRowsLeavesNothingSelected) {
    Refresh(u"target");
    Select(10);
    EXPECT_EQ(Refresh(u"no-such-file"), -1);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
    EXPECT_EQ(Next(LVNI_SELECTED), -1);
    EXPECT_EQ(Title(), L"Open File(s) in Solution (0 of 1000)");

    ClearCatalogue(catalogue);
    EXPECT_EQ(Refresh(u""), -1);
    EXPECT_EQ(Title(), L"Open File(s) in Solution");
}

// "view" finds 31 files of which q15view.h, row 15, matches best: it and the rows above it fit on
// the page, so the list shows them from row 0, however far down it stood before; its rows start
// where a fresh list's do, and nothing is drawn where the header stands.
TEST_F(ResultListViewTest, RowsAboveTheBestOneStayInViewWhenTheyFit) {
    for (int i = 0; i < 30; ++i) {
        const std::u16string number{char16_t(u'0' + i / 10), char16_t(u'0' + i % 10)};
        add.File(u"C:\\src\\q" + number + u"zzview.h", catalogue.ProjectList[0].get(),
                 catalogue.ProjectPathPool[0].get());
    }
    add.File(u"C:\\src\\q15view.h", catalogue.ProjectList[0].get(), catalogue.ProjectPathPool[0].get());
    const int perPage = ListView_GetCountPerPage(list);
    ASSERT_GT(perPage, 16);
    ASSERT_LT(perPage, 31);
    ASSERT_EQ(Refresh(u""), 0);
    RECT fresh;
    ASSERT_TRUE(ListView_GetItemRect(list, 0, &fresh, LVIR_BOUNDS));

    for (const std::u16string_view before : {u"", u"target", u"|n999 |target"}) {
        Refresh(before);
        ASSERT_EQ(Refresh(u"view"), 15);
        EXPECT_EQ(ListView_GetTopIndex(list), 0) << "after " << std::string(before.begin(), before.end());
        RECT first;
        ASSERT_TRUE(ListView_GetItemRect(list, 0, &first, LVIR_BOUNDS));
        EXPECT_EQ(first.top, fresh.top);
        // Between the refreshes the list paints, as it would in the dialog.
        UpdateWindow(list);
    }
    // Past the page, the best row stands near the middle.
    ASSERT_EQ(Refresh(u"target"), 600);
    EXPECT_LE(std::abs(600 - ListView_GetTopIndex(list) - perPage / 2), 1);

    // Under the header the list's picture holds nothing but its background.
    RECT header;
    ASSERT_TRUE(GetWindowRect(ListView_GetHeader(list), &header));
    Refresh(u"view");
    const Picture picture = Painted(u"view");
    for (int y = 0; y < header.bottom - header.top; ++y) {
        for (int x = 0; x < picture.width; ++x) ASSERT_EQ(picture.At(x, y), PixelOf(COLOR_WINDOW)) << x << "," << y;
    }
}

// The ink of a cell's text: the pixels of `band` that are not the background.
struct Ink {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1, count = 0;
};

Ink InkIn(const Picture& picture, const RECT& band, DWORD background) {
    Ink ink;
    for (int y = band.top; y < band.bottom; ++y) {
        for (int x = band.left; x < band.right; ++x) {
            if (picture.At(x, y) == background) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            ++ink.count;
        }
    }
    return ink;
}

// Every row shows the file n00R_target.cpp; row 0 is selected. The cells drawn here keep the
// list's grid lines, focus mark, margin and line; the selected row has the focused selection
// colours whether or not the list has the focus; a matched run is drawn bolder. A name too wide
// for its cell keeps its extension after the dots. Rows 0 and 1 are looked at, with the list
// focused and not.
TEST_F(ResultListViewTest, MatchedTextIsBoldAndEverythingElseAsTheListDrawsIt) {
    ASSERT_EQ(Refresh(u"n00"), 0);
    RECT cells[2];
    RECT pathCells[2];
    for (int row = 0; row < 2; ++row) {
        ASSERT_TRUE(ListView_GetSubItemRect(list, row, 0, LVIR_LABEL, &cells[row]));
        ASSERT_TRUE(ListView_GetSubItemRect(list, row, 1, LVIR_LABEL, &pathCells[row]));
    }
    // The text's band: inside the list's margin, under the focus mark's top and over the grid line.
    const auto band = [](RECT cell) { return RECT{cell.left + 4, cell.top + 1, cell.right - 1, cell.bottom - 1}; };

    const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    SIZE prefix{}, whole{};
    SIZE extension{};
    {
        const WindowDc screen(list);
        HGDIOBJ previous = SelectObject(screen.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(screen.get(), L"n000_", 5, &prefix);
        GetTextExtentPoint32W(screen.get(), L"n000_target.cpp", 15, &whole);
        GetTextExtentPoint32W(screen.get(), L".cpp", 4, &extension);
        SelectObject(screen.get(), previous);
    }
    // Where "target" starts: the list's margin, then the plain text before it.
    const int runStart = cells[0].left + 5 + prefix.cx;

    for (const bool focused : {false, true}) {
        SetFocus(focused ? list : dialog.get());
        ASSERT_EQ(GetFocus() == list, focused);
        const DWORD backs[2] = {PixelOf(COLOR_HIGHLIGHT), PixelOf(COLOR_WINDOW)};
        const DWORD listBacks[2] = {PixelOf(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE), PixelOf(COLOR_WINDOW)};

        const Picture plain = Painted(u"", true);
        const Picture unmatched = Painted(u"zzz");
        const Picture marked = Painted(u"-zzz target");
        ASSERT_FALSE(plain.pixels.empty());
        for (int y = 0; y < plain.height; ++y) {
            for (int x = 0; x < plain.width; ++x) {
                // Every cell is drawn by the dialog, which places each unit where it measured it: the
                // path column's text may stand a pixel apart from the list's own, in every row.
                const auto inBandOf = [&](const RECT(&row)[2]) {
                    return std::any_of(std::begin(row), std::end(row), [&](const RECT& cell) {
                        const RECT b = band(cell);
                        return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
                    });
                };
                const bool inBand = inBandOf(cells) || inBandOf(pathCells);
                const bool inRows = y >= cells[0].top && y < cells[1].bottom;
                // Without the focus the list would draw the selected row in other colours.
                const bool selectedRow = !focused && y >= cells[0].top && y < cells[0].bottom;
                if (unmatched.At(x, y) != plain.At(x, y)) {
                    ASSERT_TRUE(inBand || selectedRow || (!inRows && x < pathCells[0].right))
                        << x << "," << y << " focused " << focused;
                }
                // The marked picture differs from the unmatched one only in the run and after it.
                if (marked.At(x, y) != unmatched.At(x, y)) {
                    ASSERT_TRUE(x >= runStart - 1 && x < cells[0].right) << x << "," << y << " focused " << focused;
                }
            }
        }
        for (int row = 0; row < 2; ++row) {
            const Ink listInk = InkIn(plain, band(cells[row]), listBacks[row]);
            const Ink ours = InkIn(unmatched, band(cells[row]), backs[row]);
            ASSERT_GT(listInk.count, 20) << "row " << row << " shows text on its background";
            EXPECT_EQ(ours.left, listInk.left) << "row " << row;
            EXPECT_EQ(ours.top, listInk.top) << "row " << row;
            EXPECT_EQ(ours.bottom, listInk.bottom) << "row " << row;
            RECT run = band(cells[row]);
            run.left = runStart;
            EXPECT_GT(InkIn(marked, run, backs[row]).count, InkIn(unmatched, run, backs[row]).count * 6 / 5)
                << "row " << row << " focused " << focused;
        }

        // The selected row's cells, both columns, stand on the selection colour.
        for (const int column : {0, 1}) {
            RECT cell;
            ASSERT_TRUE(ListView_GetSubItemRect(list, 0, column, LVIR_LABEL, &cell));
            EXPECT_EQ(unmatched.At(cell.right - 3, (cell.top + cell.bottom) / 2), backs[0])
                << "column " << column << " focused " << focused;
        }

        // Too narrow for the name, the text keeps its extension: the cell ends as the whole name
        // does, after the dots, inside the cell.
        const Picture wide = Painted(u"zzz");
        const Ink wholeInk = InkIn(wide, band(cells[1]), backs[1]);
        for (int width = 45; width < 5 + whole.cx; width += 3) {
            ListView_SetColumnWidth(list, 0, width);
            RECT cell;
            ASSERT_TRUE(ListView_GetSubItemRect(list, 1, 0, LVIR_LABEL, &cell));
            const Picture cut = Painted(u"zzz");
            const Ink ink = InkIn(cut, band(cell), backs[1]);
            ASSERT_GE(ink.count, 1) << width;
            EXPECT_LT(ink.right, cell.right - 1) << width;
            // The last letter's overhang may be clipped at the cell's edge: the ends are matched
            // up to two pixels apart, inner columns only.
            bool matched = false;
            for (int shift = -2; shift <= 2 && !matched; ++shift) {
                matched = true;
                for (int y = cell.top + 1; y < cell.bottom - 1 && matched; ++y) {
                    for (int dx = 2; dx < extension.cx - 2 && matched; ++dx) {
                        matched = cut.At(ink.right - dx + shift, y) == wide.At(wholeInk.right - dx, y);
                    }
                }
            }
            EXPECT_TRUE(matched) << "width " << width << ": the extension is not at the end";
        }
        ListView_SetColumnWidth(list, 0, 300);
    }
    SetFocus(dialog.get());
}

}  // namespace
}  // namespace sprig
