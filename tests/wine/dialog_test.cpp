// The dialog as a person meets it: run modally over the stand-in solution served through COM,
// driven by typed characters, keys, clicks and resizes from a second thread. Wine tells this
// program it runs on Windows XP (wine-settings.reg).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "filter/SortOrder.h"
#include "resources/resource.h"
#include "win/Owners.h"
#include "win/ThreadPool.h"
#include "wine/DialogDriver.h"
#include "wine/DialogSolution.h"
#include "wine/ListPicture.h"
#include "wine/ProcessResources.h"

namespace sprig::testing {
namespace {

using Rows = std::vector<int>;

// The probe holds `text`, terminated within its size, and nothing was written behind it.
void ExpectCut(const TextProbe& probe, const std::wstring& text) {
    ASSERT_LT(static_cast<int>(text.size()), probe.size);
    EXPECT_EQ(std::wstring(probe.units.data(), text.size()), text);
    EXPECT_EQ(probe.units[text.size()], L'\0');
    for (int i = probe.size; i < probe.size + TextProbe::Guard; ++i) ASSERT_EQ(probe.units[i], TextProbe::Fill) << i;
}

void ExpectUntouched(const TextProbe& probe) {
    for (const wchar_t unit : probe.units) ASSERT_EQ(unit, TextProbe::Fill);
}

// Every control stands where the template places it, in dialog units converted by the dialog's
// font. The project box's height is that of its closed field, whatever its list's height.
void ExpectTemplatePlacement(const DialogDriver& d) {
    const struct {
        int id;
        RECT units;  // x, y, width, height
    } placements[] = {{IDOK, {289, 279, 50, 14}},           {IDCANCEL, {343, 279, 50, 14}},
                      {IDC_PROJECT_BOX, {7, 7, 386, 174}},  {IDC_FILE_LIST, {7, 25, 386, 232}},
                      {IDC_FILTER_EDIT, {7, 261, 386, 14}}, {IDC_VIEW_CODE, {7, 281, 50, 10}},
                      {IDC_EXPLORE, {235, 279, 50, 14}}};
    for (const auto& placement : placements) {
        RECT pixels = placement.units;
        ASSERT_TRUE(MapDialogRect(d.Dialog(), &pixels));
        const RECT now = d.ClientRect(placement.id);
        EXPECT_EQ(now.left, pixels.left) << "control " << placement.id;
        EXPECT_EQ(now.top, pixels.top) << "control " << placement.id;
        EXPECT_EQ(now.right - now.left, pixels.right) << "control " << placement.id;
        if (placement.id != IDC_PROJECT_BOX) {
            EXPECT_EQ(now.bottom - now.top, pixels.bottom) << "control " << placement.id;
        }
    }
}

// 58 projects of one file each. Project k is named "P", two digits of k and 1 to 7 W's by k,
// so that the box lists them in k's order and neighbouring names differ in width.
struct ManyProjects {
    static constexpr int Count = 58;
    ManyProjects() {
        for (int k = 0; k < Count; ++k) {
            const std::u16string name = u"P" + std::u16string{char16_t(u'0' + k / 10), char16_t(u'0' + k % 10)} +
                                        std::u16string(static_cast<std::size_t>(k % 7 + 1), u'W');
            names.emplace_back(name.begin(), name.end());
            model.AddFile(*model.AddProject(name, u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}").items, u"f.cpp",
                          u"C:\\src\\" + name + u"\\f.cpp");
        }
    }
    model::SolutionModel model;
    std::vector<std::wstring> names;  // in box order: item k + 1 is names[k]
};

// How wide `text` is in the font of `window`.
int TextWidth(HWND window, const std::wstring& text) {
    HDC screen = GetDC(nullptr);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = SelectObject(screen, font ? font : GetStockObject(SYSTEM_FONT));
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

// How wide the ink of colour `ink` is in `band` of a picture: from its leftmost pixel to its
// rightmost; 0 when there is none. Smoothed edges count when they are nearer the ink than not.
int InkWidth(const Picture& picture, RECT band, int ink) {
    const DWORD want = PixelOf(ink);
    const auto isInk = [want](DWORD pixel) {
        int distance = 0;
        for (int shift = 0; shift < 24; shift += 8)
            distance += std::abs(int(pixel >> shift & 0xFF) - int(want >> shift & 0xFF));
        return distance < 192;
    };
    int left = band.right, right = band.left - 1;
    for (int y = std::max<int>(band.top, 0); y < std::min<int>(band.bottom, picture.height); ++y) {
        for (int x = std::max<int>(band.left, 0); x < std::min<int>(band.right, picture.width); ++x) {
            if (!isInk(picture.At(x, y))) continue;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    return right < left ? 0 : right - left + 1;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { ProcessSortOrder = SortOrder{}; }
    void TearDown() override { ProcessSortOrder = SortOrder{}; }

    TestSolution solution;
};

TEST_F(DialogTest, OpensOnEveryFileWithTheFocusInTheFilter) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(&version));
    ASSERT_EQ(version.dwMajorVersion * 10 + version.dwMinorVersion, 51u) << "Wine should report Windows XP here";

    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        EXPECT_EQ(d.Focus(), d.Control(IDC_FILTER_EDIT));
        // Centred in the work area, as the template asks when nothing else places it.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(d.Dialog(), MONITOR_DEFAULTTONEAREST), &monitor));
        RECT window;
        GetWindowRect(d.Dialog(), &window);
        EXPECT_LE(std::abs((window.left + window.right) - (monitor.rcWork.left + monitor.rcWork.right)), 2);
        EXPECT_LE(std::abs((window.top + window.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 2);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (48 of 48)");
        EXPECT_EQ(d.RowCount(), 48);
        EXPECT_EQ(d.SelectedRows(), Rows{0});
        EXPECT_EQ(d.CellText(0, 0), L"alpha.cpp");
        EXPECT_EQ(d.CellText(0, 1), L"C:\\src\\alpha\\alpha.cpp");
        EXPECT_EQ(d.CellText(0, 2), L"Alpha");
        EXPECT_EQ(d.CellText(47, 0), L"zeta.cpp");
        EXPECT_EQ(d.CellText(46, 3), L"beta\\Docs");

        EXPECT_EQ(SendMessageW(d.Control(IDC_PROJECT_BOX), CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(d.ProjectItems(), (std::vector<std::wstring>{L"<All Projects>", L"Alpha", L"beta"}));
        EXPECT_TRUE(IsWindowVisible(d.Control(IDC_EXPLORE)));

        HWND list = d.Control(IDC_FILE_LIST);
        EXPECT_EQ(ListView_GetExtendedListViewStyle(list), 0x4421u);
        const wchar_t* titles[] = {L"File Name", L"File Path", L"Project Name", L"Project Path"};
        const int widths[] = {150, 250, 150, 250};
        for (int c = 0; c < 4; ++c) {
            wchar_t title[64] = {};
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = title;
            column.cchTextMax = 64;
            ASSERT_TRUE(ListView_GetColumn(list, c, &column));
            EXPECT_STREQ(title, titles[c]);
            EXPECT_EQ(column.cx, widths[c]);
        }

        // The big icon is our 32 × 32 drawing; no small icon is set.
        const auto icon = reinterpret_cast<HICON>(SendMessageW(d.Dialog(), WM_GETICON, ICON_BIG, 0));
        ICONINFO info{};
        ASSERT_TRUE(icon && GetIconInfo(icon, &info));
        BITMAP colour{};
        const GdiObject<HBITMAP> colourBits(info.hbmColor), maskBits(info.hbmMask);
        GetObjectW(colourBits.get(), sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, 32);
        EXPECT_EQ(colour.bmHeight, 32);
        EXPECT_EQ(SendMessageW(d.Dialog(), WM_GETICON, ICON_SMALL, 0), 0);

        d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
                  }),
              IDCANCEL);
}

TEST_F(DialogTest, NavigationKeysInTheFilterMoveTheListAndLeaveTheText) {
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        // domain.cpp, main.cpp, main.h: main.cpp matches earliest.
        d.Type(u"main", IDC_FILTER_EDIT);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (3 of 48)");
        EXPECT_EQ(d.CellText(0, 0), L"domain.cpp");
        EXPECT_EQ(d.SelectedRows(), Rows{1});
        EXPECT_EQ(d.Selection(IDC_FILTER_EDIT), MAKELONG(4, 4));

        d.Key(VK_DOWN, IDC_FILTER_EDIT);
        EXPECT_EQ(d.SelectedRows(), Rows{2});
        EXPECT_EQ(d.FocusedRow(), 2);
        EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"main");
        EXPECT_EQ(d.Selection(IDC_FILTER_EDIT), MAKELONG(4, 4));

        d.Key(VK_HOME, IDC_FILTER_EDIT);
        EXPECT_EQ(d.Selection(IDC_FILTER_EDIT), MAKELONG(0, 0));
        EXPECT_EQ(d.SelectedRows(), Rows{2});
        d.Key(VK_RIGHT, IDC_FILTER_EDIT);
        EXPECT_EQ(d.Selection(IDC_FILTER_EDIT), MAKELONG(1, 1));
        d.Key(VK_UP, IDC_FILTER_EDIT);
        d.Key(VK_UP, IDC_FILTER_EDIT);
        EXPECT_EQ(d.SelectedRows(), Rows{0});
        EXPECT_EQ(d.Selection(IDC_FILTER_EDIT), MAKELONG(1, 1));

        // Emptied by Backspace, the filter lets every file through again.
        d.Key(VK_END, IDC_FILTER_EDIT);
        for (int i = 0; i < 4; ++i) d.Type(u"\b", IDC_FILTER_EDIT);
        EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"");
        EXPECT_EQ(d.RowCount(), 48);
        EXPECT_EQ(d.SelectedRows(), Rows{0});
        d.Key(VK_NEXT, IDC_FILTER_EDIT);
        const Rows paged = d.SelectedRows();
        ASSERT_EQ(paged.size(), 1u);
        EXPECT_GT(paged[0], 5);
        d.Key(VK_PRIOR, IDC_FILTER_EDIT);
        EXPECT_EQ(d.SelectedRows(), Rows{0});
        EXPECT_EQ(d.Focus(), d.Control(IDC_FILTER_EDIT));

        // Letters typed in the list itself look for no row: the selection stays.
        d.Key(VK_DOWN, IDC_FILTER_EDIT);
        d.Key(VK_DOWN, IDC_FILTER_EDIT);
        d.Type(u"zeta", IDC_FILE_LIST);
        EXPECT_EQ(d.SelectedRows(), Rows{2});
        EXPECT_TRUE(d.Received({IDC_FILE_LIST, LVN_ODFINDITEMW}));

        d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
                  }),
              IDCANCEL);
}

// "main" and "/main" give the same three rows; each draws what it matched in its own column. A
// line after the name changes neither the rows nor what is drawn, nor the cells' texts.
TEST_F(DialogTest, TheListDrawsWhatTheTermsMatchedInTheirColumn) {
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        HWND list = d.Control(IDC_FILE_LIST);
        const int nameRight = ListView_GetColumnWidth(list, 0);
        d.Type(u"main", IDC_FILTER_EDIT);
        const Picture name(list);
        d.Type(u":3", IDC_FILTER_EDIT);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (3 of 48)");
        EXPECT_EQ(d.CellText(1, 0), L"main.cpp");
        EXPECT_EQ(d.SelectedRows(), Rows{1});
        EXPECT_EQ(FirstDifference(Picture(list), name), "");

        for (int i = 0; i < 6; ++i) d.Type(u"\b", IDC_FILTER_EDIT);
        d.Type(u"/main", IDC_FILTER_EDIT);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (3 of 48)");
        const Picture path(list);
        bool nameDiffers = false, pathDiffers = false;
        for (int y = 0; y < name.height; ++y) {
            for (int x = 0; x < name.width; ++x) {
                if (name.At(x, y) != path.At(x, y)) (x < nameRight ? nameDiffers : pathDiffers) = true;
            }
        }
        EXPECT_TRUE(nameDiffers);
        EXPECT_TRUE(pathDiffers);
        d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
                  }),
              IDCANCEL);
}

TEST_F(DialogTest, EnterOpensWithNoRowAndADoubleClickOnNoRowDoesNot) {
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        d.Type(u"no-such-file", IDC_FILTER_EDIT);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (0 of 48)");
        EXPECT_EQ(d.RowCount(), 0);
        EXPECT_EQ(d.SelectedRows(), Rows{});

        d.DoubleClickList({40, 60});
        EXPECT_TRUE(d.Received({IDC_FILE_LIST, static_cast<UINT>(NM_DBLCLK)}));
        EXPECT_TRUE(IsWindow(d.Dialog()));

        d.Key(VK_RETURN, IDC_FILTER_EDIT);
                  }),
              IDOK);
}

TEST_F(DialogTest, ProjectBoxAndHeaderClicksRebuildTheRows) {
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        // Keys in the project box's own drop-down list, as a person would choose.
        HWND combo = reinterpret_cast<HWND>(SendMessageW(d.Control(IDC_PROJECT_BOX), CBEM_GETCOMBOCONTROL, 0, 0));
        d.KeyTo(VK_DOWN, combo);
        EXPECT_TRUE(d.Received({IDC_PROJECT_BOX, CBN_SELCHANGE}));
        EXPECT_EQ(SendMessageW(d.Control(IDC_PROJECT_BOX), CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (5 of 48)");
        for (int row = 0; row < 5; ++row) EXPECT_EQ(d.CellText(row, 2), L"Alpha") << "row " << row;
        d.KeyTo(VK_DOWN, combo);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (43 of 48)");
        EXPECT_EQ(d.CellText(0, 2), L"beta");
        d.KeyTo(VK_HOME, combo);
        EXPECT_EQ(d.RowCount(), 48);

        // The header's arrow shows the first column of the order and its direction.
        const auto arrows = [&] {
            std::vector<int> formats;
            for (int c = 0; c < 4; ++c) {
                HDITEMW item{};
                item.mask = HDI_FORMAT;
                Header_GetItem(ListView_GetHeader(d.Control(IDC_FILE_LIST)), c, &item);
                formats.push_back(item.fmt & (HDF_SORTUP | HDF_SORTDOWN));
            }
            return formats;
        };
        EXPECT_EQ(arrows(), (std::vector<int>{HDF_SORTUP, 0, 0, 0}));

        // File Name, already first, turns the order round.
        d.ClickHeader(0);
        EXPECT_EQ(arrows(), (std::vector<int>{HDF_SORTDOWN, 0, 0, 0}));
        EXPECT_EQ(d.CellText(0, 0), L"zeta.cpp");
        EXPECT_EQ(d.CellText(47, 0), L"alpha.cpp");
        EXPECT_EQ(d.SelectedRows(), Rows{0});
        // Project Name goes first, still descending: beta's files, then Alpha's.
        d.ClickHeader(2);
        EXPECT_EQ(d.CellText(0, 0), L"notes.txt");
        EXPECT_EQ(d.CellText(0, 2), L"beta");
        EXPECT_EQ(d.CellText(47, 0), L"alpha.cpp");
        EXPECT_EQ(d.CellText(47, 2), L"Alpha");
        EXPECT_EQ(ProcessSortOrder.keys[0], ColumnProjectName);
        EXPECT_EQ(arrows(), (std::vector<int>{0, 0, HDF_SORTDOWN, 0}));

        d.ClickButton(IDC_EXPLORE);
                  }),
              IDC_EXPLORE);
}

TEST_F(DialogTest, ResizingMovesTheControlsByTheirAnchors) {
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        const int ids[] = {IDC_FILE_LIST, IDC_FILTER_EDIT, IDC_PROJECT_BOX, IDC_VIEW_CODE, IDC_EXPLORE, IDOK, IDCANCEL};
        const SIZE start = d.DialogClientSize();
        std::vector<RECT> placed;
        for (const int id : ids) placed.push_back(d.ClientRect(id));
        ExpectTemplatePlacement(d);

        d.ResizeClient(start.cx + 100, start.cy);
        ASSERT_EQ(d.DialogClientSize().cx, start.cx + 100);
        for (std::size_t i = 0; i < 7; ++i) {
            const RECT now = d.ClientRect(ids[i]), was = placed[i];
            const bool grows = i < 3, moves = i >= 4;
            EXPECT_EQ(now.left, was.left + (moves ? 100 : 0)) << "control " << ids[i];
            EXPECT_EQ(now.right, was.right + (grows || moves ? 100 : 0)) << "control " << ids[i];
            EXPECT_EQ(now.top, was.top) << "control " << ids[i];
            EXPECT_EQ(now.bottom, was.bottom) << "control " << ids[i];
        }

        d.ResizeClient(start.cx, start.cy + 50);
        for (std::size_t i = 0; i < 7; ++i) {
            const RECT now = d.ClientRect(ids[i]), was = placed[i];
            // The list grows down; the project box stays; everything else moves down.
            const bool list = i == 0, box = i == 2;
            EXPECT_EQ(now.top, was.top + (list || box ? 0 : 50)) << "control " << ids[i];
            EXPECT_EQ(now.bottom, was.bottom + (box ? 0 : 50)) << "control " << ids[i];
            EXPECT_EQ(now.right - now.left, was.right - was.left) << "control " << ids[i];
        }

        // Smaller than the template, odd sizes, then back: everything where it began.
        for (const SIZE size : {SIZE{200, 120}, SIZE{start.cx + 333, start.cy + 7}, SIZE{start.cx - 1, start.cy + 1},
                                SIZE{start.cx, start.cy}}) {
            d.ResizeClient(size.cx, size.cy);
        }
        ASSERT_EQ(d.DialogClientSize().cx, start.cx);
        ASSERT_EQ(d.DialogClientSize().cy, start.cy);
        for (std::size_t i = 0; i < 7; ++i) {
            const RECT now = d.ClientRect(ids[i]);
            EXPECT_TRUE(EqualRect(&now, &placed[i])) << "control " << ids[i];
        }
        ExpectTemplatePlacement(d);

        d.Close();
                  }),
              IDCANCEL);
}

TEST_F(DialogTest, TextsAreCutToTheCallersBuffer) {
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        // Row 43 holds the long name: asked of the list view, and asked of the dialog as the list
        // view asks when it draws.
        const std::u16string name = LongName();
        ASSERT_EQ(d.CellText(43, 0), std::wstring(name.begin(), name.end()).substr(0, 511));
        for (const int size : {1, 2, 8, 305}) {
            const std::wstring cut(name.begin(), name.begin() + size - 1);
            ExpectCut(d.AskList(43, 0, size), cut);
            ExpectCut(d.AskDialog(LVN_GETDISPINFOW, 43, 0, size), cut);
        }
        // A row or column outside the data, or no room at all, gives no text.
        ExpectCut(d.AskDialog(LVN_GETDISPINFOW, 48, 0, 8), L"");
        ExpectCut(d.AskDialog(LVN_GETDISPINFOW, -1, 0, 8), L"");
        ExpectCut(d.AskDialog(LVN_GETDISPINFOW, 0, 4, 8), L"");
        ExpectUntouched(d.AskDialog(LVN_GETDISPINFOW, 0, 0, 0));

        // Tips: the full path for the file name, the project path for the project name; the
        // list view's own text elsewhere and outside the rows.
        ExpectCut(d.AskDialog(LVN_GETINFOTIPW, 46, 0, 80), L"C:\\src\\beta\\docs\\notes.txt");
        ExpectCut(d.AskDialog(LVN_GETINFOTIPW, 46, 2, 80), L"beta\\Docs");
        ExpectCut(d.AskDialog(LVN_GETINFOTIPW, 46, 0, 8), L"C:\\src\\");
        ExpectUntouched(d.AskDialog(LVN_GETINFOTIPW, 46, 1, 80));
        ExpectUntouched(d.AskDialog(LVN_GETINFOTIPW, 46, 3, 80));
        ExpectUntouched(d.AskDialog(LVN_GETINFOTIPW, 48, 0, 80));

        d.ClickButton(IDCANCEL);
                  }),
              IDCANCEL);
}

// The project box of a large solution, driven as a person would: opened by a click, Down three
// times and Enter; opened again and an item clicked; End with the box closed. Every shown row of
// the open list and the closed box draw their item's name, and the choice filters the rows.
TEST_F(DialogTest, TheProjectBoxShowsAndTakesManyProjectsByMouseAndKeys) {
    ManyProjects many;
    const auto name = [&](int item) { return item == 0 ? std::wstring(L"<All Projects>") : many.names.at(item - 1); };
    EXPECT_EQ(RunDialog(
                  many.model,
                  [&](DialogDriver& d) {
        HWND combo = reinterpret_cast<HWND>(SendMessageW(d.Control(IDC_PROJECT_BOX), CBEM_GETCOMBOCONTROL, 0, 0));
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetComboBoxInfo(combo, &info));
        HWND dropDown = info.hwndList;
        // The ink of a name drawn in a band is as wide as the name, less the side bearings of its
        // first and last letters; the names of neighbouring items differ by a whole letter W.
        const auto expectShown = [&](HWND window, RECT band, int colour, int item, const char* where) {
            const int width = TextWidth(combo, name(item));
            // Magenta: whatever the box leaves undrawn is no ink.
            const int drawn = InkWidth(Picture(window, 0xFF00FF), band, colour);
            EXPECT_GE(drawn, width - 7) << where << ": item " << item;
            EXPECT_LE(drawn, width + 1) << where << ": item " << item;
        };
        const auto expectListShown = [&](const char* where) {
            RECT client;
            GetClientRect(dropDown, &client);
            const int chosen = static_cast<int>(SendMessageW(dropDown, LB_GETCURSEL, 0, 0));
            int rows = 0;
            // Item 0's angle brackets draw too faintly to be measured so.
            for (int item = std::max(1, static_cast<int>(SendMessageW(dropDown, LB_GETTOPINDEX, 0, 0)));
                 item <= ManyProjects::Count; ++item) {
                RECT row;
                SendMessageW(dropDown, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&row));
                if (row.bottom > client.bottom) break;
                expectShown(dropDown, row, item == chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT, item, where);
                ++rows;
            }
            EXPECT_GT(rows, 5) << where;
        };
        const auto expectChosen = [&](int item) {
            EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
            ASSERT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), item);
            EXPECT_EQ(d.Title(), L"Open File(s) in Solution (1 of 58)");
            EXPECT_EQ(d.CellText(0, 2), name(item));
            // Without the focus the box draws its text plainly, in the window's text colour.
            const RECT field = d.ClientRect(IDC_FILTER_EDIT);
            d.Click(d.Control(IDC_FILTER_EDIT), {(field.right - field.left) / 2, (field.bottom - field.top) / 2});
            ASSERT_EQ(d.Focus(), d.Control(IDC_FILTER_EDIT));
            expectShown(combo, {info.rcItem.left, info.rcItem.top, info.rcButton.left, info.rcItem.bottom},
                        COLOR_WINDOWTEXT, item, "closed box");
        };
        const POINT middle{(info.rcItem.left + info.rcItem.right) / 2, (info.rcItem.top + info.rcItem.bottom) / 2};

        d.Click(combo, middle);
        ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
        expectListShown("opened");
        for (int i = 0; i < 3; ++i) d.KeyTo(VK_DOWN, combo);
        expectListShown("after Down");
        d.KeyTo(VK_RETURN, combo);
        expectChosen(3);

        d.Click(combo, middle);
        ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
        RECT row;
        SendMessageW(dropDown, LB_GETITEMRECT, 10, reinterpret_cast<LPARAM>(&row));
        d.Click(dropDown, {(row.left + row.right) / 2, (row.top + row.bottom) / 2});
        expectChosen(10);

        d.KeyTo(VK_END, combo);
        expectChosen(ManyProjects::Count);
        d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
                  }),
              IDCANCEL);
}

// A solution large enough that the dialog tests its files on threads beside its own (where the
// machine has more than one processor): they are made while the dialog is shown and all of them
// have ended when DoModal returns.
TEST_F(DialogTest, TheThreadsThatTestFilesEndWithTheDialog) {
    model::SolutionModel model;
    model::ItemCollection& items = *model.AddProject(u"Big", u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}").items;
    for (int i = 0; i < 70000; ++i) {
        const std::u16string name = u"file" + std::u16string(1, char16_t(u'a' + i % 26)) + u".cpp";
        model.AddFile(items, name, u"C:\\src\\" + std::u16string(1, char16_t(u'a' + i / 26 % 26)) + u"\\" + name);
    }
    const std::vector<DWORD> before = LiveThreads();
    std::vector<DWORD> workers;
    DWORD driver = 0;
    bool workersEnded = false;
    CSprig dialog = ModelDialog(model);
    DriveModal(
        [&] {
        const INT_PTR code = dialog.DoModal(nullptr);
        const std::vector<DWORD> after = LiveThreads();
        workersEnded = std::none_of(workers.begin(), workers.end(), [&](DWORD thread) {
            return std::find(after.begin(), after.end(), thread) != after.end();
        });
        return code;
        },
        [&](DialogDriver& d) {
        d.Type(u"a", IDC_FILTER_EDIT);
        d.Sync();
        EXPECT_EQ(d.RowCount(), 70000 / 26 + 1);
        driver = GetCurrentThreadId();
        for (const DWORD thread : LiveThreads()) {
            if (thread != driver && std::find(before.begin(), before.end(), thread) == before.end()) {
                workers.push_back(thread);
            }
        }
        d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
    },
        60000);
    if (ProcessorCount(2) > 1) {
        EXPECT_FALSE(workers.empty());
    }
    EXPECT_TRUE(workersEnded);
}

// A working day in brief: the dialog opened and closed many times over a few hundred files, typed
// into (bold matches painted in two columns), resized and sorted by its headers. Once the first
// runs have set up what the process keeps, no run leaves a GDI object, a heap block or memory
// behind.
TEST(DialogSoak, ManyRunsLeaveNoGdiObjectHeapBlockOrMemoryBehind) {
    // The probe sees an object come and go, so that a count that does not move means something.
    const long before = LiveGdiObjects();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_EQ(LiveGdiObjects(), before + 1);
    DeleteObject(brush);
    ASSERT_EQ(LiveGdiObjects(), before);

    model::SolutionModel model;
    static constexpr char16_t CppKind[] = u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";
    for (const char16_t* project : {u"Engine", u"Tools", u"Manager"}) {
        model::ItemCollection& items = *model.AddProject(project, CppKind).items;
        for (int i = 0; i < 100; ++i) {
            const std::u16string name = (i % 3 ? u"main" : u"matrix") + std::u16string(1, char16_t(u'a' + i % 26)) +
                                        std::u16string(1, char16_t(u'0' + i / 26)) + u".cpp";
            model.AddFile(items, name, u"C:\\src\\" + std::u16string(project) + u"\\" + name);
        }
    }
    const auto run = [&] {
        const SortOrder sortOrder = ProcessSortOrder;
        RunDialog(model, [](DialogDriver& d) {
            HWND list = d.Control(IDC_FILE_LIST);
            // The dialog opens on the filter the last run left: it is cleared as a person clears it.
            SendMessageW(d.Control(IDC_FILTER_EDIT), EM_SETSEL, 0, -1);
            d.Key(VK_DELETE, IDC_FILTER_EDIT);
            const auto paint = [&] {
                RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                const Picture picture(list);
                EXPECT_GT(picture.width, 0);
            };
            d.Type(u"ma", IDC_FILTER_EDIT);
            paint();
            d.Type(u"i /src", IDC_FILTER_EDIT);
            paint();
            d.ResizeClient(900, 640);
            paint();
            d.ClickHeader(1);
            d.ClickHeader(0);
            d.ResizeClient(500, 420);
            paint();
            d.Key(VK_BACK, IDC_FILTER_EDIT);
            paint();
            EXPECT_GT(d.RowCount(), 100);
            d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
        });
        ProcessSortOrder = sortOrder;
    };
    // The first run starts with no remembered settings, every later one from the last run's: the
    // first two set up what the process keeps.
    run();
    run();
    const long gdi = LiveGdiObjects(), blocks = LiveHeapBlocks();
    const std::size_t memory = PrivateBytes();
    constexpr int Runs = 8;
    for (int i = 0; i < Runs; ++i) run();
    const long gdiAfter = LiveGdiObjects(), blocksAfter = LiveHeapBlocks();
    const std::size_t memoryAfter = PrivateBytes();
    std::printf(
        "after the first two runs: %ld GDI objects, %ld heap blocks, %zu KB private; after %d more: %ld, %ld, %zu KB\n",
        gdi, blocks, memory / 1024, Runs, gdiAfter, blocksAfter, memoryAfter / 1024);
    EXPECT_EQ(gdiAfter, gdi);
    EXPECT_EQ(blocksAfter, blocks);
    // The system's own heaps may settle a little; a leak of a few kilobytes a run adds up beyond this.
    EXPECT_LT(memoryAfter, memory + 256 * 1024);
}

}  // namespace
}  // namespace sprig::testing
