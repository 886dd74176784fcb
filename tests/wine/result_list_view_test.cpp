// The refresh steps against a real owner-data list view in a real top-level window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>

#include "filter/ResultList.h"
#include "dialog/ResultListView.h"
#include "filter/SortOrder.h"
#include "support/CatalogueBuilder.h"
#include "win/Owners.h"

namespace sprig {
namespace {

class ResultListViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The host process registers the common controls; here the test plays the host.
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        WNDCLASSW frame{};
        frame.lpfnWndProc = DefWindowProcW;
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
    }

    static void TearDownTestSuite() { dialog.reset(); }

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

    void TearDown() override { ProcessSortOrder = SortOrder{}; }

    // What the dialog's refresh does with the texts it read from its controls.
    std::ptrdiff_t Refresh(std::u16string_view query) {
        const std::ptrdiff_t row = RebuildResultList(catalogue, query, 0);
        ShowResultList(dialog.get(), list, catalogue, row);
        return row;
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

}  // namespace
}  // namespace sprig
