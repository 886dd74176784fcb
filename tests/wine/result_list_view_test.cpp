// The refresh steps and the drawing of matched text against a real owner-data list view in a real
// top-level window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <algorithm>
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

using testing::FirstDifference;
using testing::Picture;
using testing::PixelOf;

// What the frame answers for its list, as the dialog does: the texts of the shown rows, and the
// drawing of what `drawnFilter` matched.
const std::vector<ResultRow>* shownRows = nullptr;
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
        if (header.code == NM_CUSTOMDRAW) {
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
        const std::ptrdiff_t row = RebuildResultList(catalogue, query, 0);
        ShowResultList(dialog.get(), list, catalogue, row);
        return row;
    }

    // The list painted with what the terms of `query` matched drawn apart.
    Picture Painted(std::u16string_view query) {
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

// Every row shows the file n00R_target.cpp; row 0 is selected. A cell drawn for a term that
// matched nothing in it looks exactly as the list draws it, cut or not, selected or not, with the
// list focused or not; a matched run is drawn bolder, and the rest of the list is untouched.
TEST_F(ResultListViewTest, MatchedTextIsBoldAndEverythingElseAsTheListDrawsIt) {
    ASSERT_EQ(Refresh(u"n00"), 0);
    RECT name0, name1;
    ASSERT_TRUE(ListView_GetSubItemRect(list, 0, 0, LVIR_LABEL, &name0));
    ASSERT_TRUE(ListView_GetSubItemRect(list, 1, 0, LVIR_LABEL, &name1));

    const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    HDC screen = GetDC(list);
    HGDIOBJ previous = SelectObject(screen, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE prefix{}, run{};
    GetTextExtentPoint32W(screen, L"n000_", 5, &prefix);
    GetTextExtentPoint32W(screen, L"target", 6, &run);
    SelectObject(screen, previous);
    ReleaseDC(list, screen);
    // Where "target" starts in a cell: the list's margin, then the plain text before it.
    const int runStart = name0.left + 5 + prefix.cx;

    for (const bool focused : {false, true}) {
        SetFocus(focused ? list : dialog.get());
        ASSERT_EQ(GetFocus() == list, focused);
        const DWORD text = PixelOf(focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
        const DWORD back = PixelOf(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);

        const Picture plain = Painted(u"");
        ASSERT_FALSE(plain.pixels.empty());
        EXPECT_EQ(plain.At(name0.right - 2, (name0.top + name0.bottom) / 2), back) << "the selected row's colour";
        EXPECT_EQ(FirstDifference(Painted(u"zzz"), plain), "") << "focused " << focused;

        // The matched run, in the selected row and in the next one.
        const Picture marked = Painted(u"-zzz target");
        int changedLeft = plain.width;
        for (int y = 0; y < plain.height; ++y) {
            for (int x = 0; x < plain.width; ++x) {
                if (marked.At(x, y) == plain.At(x, y)) continue;
                changedLeft = std::min(changedLeft, x);
                // Not the text before the match, nor any other column, grid line or margin.
                ASSERT_TRUE(x >= runStart && x < name0.right) << x << "," << y << ", focused " << focused;
            }
        }
        EXPECT_LT(changedLeft, runStart + run.cx);
        for (const RECT& cell : {name0, name1}) {
            const DWORD ink = cell.top == name0.top ? text : PixelOf(COLOR_WINDOWTEXT);
            int before = 0, after = 0;
            for (int y = cell.top; y < cell.bottom; ++y) {
                for (int x = runStart; x < runStart + run.cx; ++x) {
                    before += plain.At(x, y) == ink;
                    after += marked.At(x, y) == ink;
                }
            }
            EXPECT_GT(after, before + before / 5) << "row at " << cell.top << ", focused " << focused;
        }

        // Cut short with an ellipsis, as the list cuts it, at every width.
        for (int width = 20; width < name0.right; width += 3) {
            ListView_SetColumnWidth(list, 0, width);
            ASSERT_EQ(FirstDifference(Painted(u"zzz"), Painted(u"")), "")
                << "width " << width << ", focused " << focused;
        }
        ListView_SetColumnWidth(list, 0, 300);
    }
    SetFocus(dialog.get());
}

}  // namespace
}  // namespace sprig
