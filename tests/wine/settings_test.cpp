// The remembered settings on the real dialog and in the real registry: what a first run stores,
// what a stored value does to the next dialog, and that a second run starts where the first ended.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialog/Settings.h"
#include "filter/SortOrder.h"
#include "host/com/ModelObjects.h"
#include "resources/resource.h"
#include "support/EverySizeCases.h"
#include "win/WideText.h"
#include "wine/DialogDriver.h"
#include "wine/DialogSolution.h"
#include "wine/SettingsKey.h"

namespace sprig::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

LRESULT ProjectChoice(const DialogDriver& d) { return SendMessageW(d.Control(IDC_PROJECT_BOX), CB_GETCURSEL, 0, 0); }
LRESULT ViewChoice(const DialogDriver& d) { return SendMessageW(d.Control(IDC_VIEW_CODE), BM_GETCHECK, 0, 0); }

std::vector<int> ColumnWidths(const DialogDriver& d) {
    std::vector<int> widths;
    for (int c = 0; c < 4; ++c) widths.push_back(ListView_GetColumnWidth(d.Control(IDC_FILE_LIST), c));
    return widths;
}

RECT WindowRect(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return bounds;
}

void ExpectStored(const wchar_t* name, DWORD type, const Bytes& bytes) {
    const auto stored = ReadSetting(name);
    ASSERT_TRUE(stored) << "no value " << name;
    EXPECT_EQ(stored->type, type) << name;
    EXPECT_EQ(stored->bytes, bytes) << name;
}

class SettingsTest : public ::testing::Test {
protected:
    // The rows come in the order a new process shows them.
    void SetUp() override { ProcessSortOrder = SortOrder{}; }

    TestSolution solution;
};

TEST_F(SettingsTest, FirstRunStartsFromTheTemplateAndClosingStoresAllNineValues) {
    ASSERT_EQ(SettingCount(), -1);
    RECT window{};
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [&](DialogDriver& d) {
        window = WindowRect(d.Dialog());
        RECT templateSize{0, 0, 400, 300};
        ASSERT_TRUE(MapDialogRect(d.Dialog(), &templateSize));
        EXPECT_EQ(d.DialogClientSize().cx, templateSize.right);
        EXPECT_EQ(d.DialogClientSize().cy, templateSize.bottom);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(d.Dialog(), MONITOR_DEFAULTTONEAREST), &monitor));
        EXPECT_LE(std::abs((window.left + window.right) - (monitor.rcWork.left + monitor.rcWork.right)), 2);
        EXPECT_LE(std::abs((window.top + window.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 2);
        EXPECT_EQ(ColumnWidths(d), (std::vector<int>{150, 250, 150, 250}));
        EXPECT_EQ(ProjectChoice(d), 0);
        EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"");
        EXPECT_EQ(ViewChoice(d), BST_UNCHECKED);
        d.ClickButton(IDCANCEL);
                  }),
              IDCANCEL);

    EXPECT_EQ(SettingCount(), 9);
    ExpectStored(L"Location", REG_BINARY, NumberBytes({window.left, window.top}));
    ExpectStored(L"Size", REG_BINARY, NumberBytes({window.right - window.left, window.bottom - window.top}));
    ExpectStored(L"FileNameWidth", REG_DWORD, NumberBytes({150}));
    ExpectStored(L"FilePathWidth", REG_DWORD, NumberBytes({250}));
    ExpectStored(L"ProjectNameWidth", REG_DWORD, NumberBytes({150}));
    ExpectStored(L"ProjectPathWidth", REG_DWORD, NumberBytes({250}));
    // "<All Projects>" and an empty filter: string values of no bytes, not missing ones.
    ExpectStored(L"Project", REG_SZ, {});
    ExpectStored(L"Filter", REG_SZ, {});
    ExpectStored(L"ViewKind", REG_DWORD, NumberBytes({0}));
}

TEST_F(SettingsTest, StringsShorterThanOneUnitLoadAsAbsentAndLeaveTheControlsAlone) {
    const Bytes text = TextBytes(L"beta", false);
    for (const std::size_t size : {0u, 1u, 2u}) {
        SCOPED_TRACE(size);
        DeleteSettingsKey();
        StoreSetting(L"Project", REG_SZ, Bytes(text.begin(), text.begin() + size));
        StoreSetting(L"Filter", REG_SZ, Bytes(text.begin(), text.begin() + size));
        RunDialog(solution.model, [&](DialogDriver& d) {
            // Two bytes are one unit, the terminator: an empty filter that is present is set, and
            // the edit says so.
            EXPECT_EQ(d.Received({IDC_FILTER_EDIT, EN_CHANGE}), size == 2);
            EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"");
            EXPECT_EQ(ProjectChoice(d), 0);
            EXPECT_EQ(d.RowCount(), 48);
            d.ClickButton(IDCANCEL);
        });
        ExpectStored(L"Project", REG_SZ, {});
        ExpectStored(L"Filter", REG_SZ, {});
    }
}

TEST_F(SettingsTest, PlacementAndColumnsPastTheLargestTrackSizeAreSavedClamped) {
    const int maxWidth = GetSystemMetrics(SM_CXMAXTRACK), maxHeight = GetSystemMetrics(SM_CYMAXTRACK);
    SIZE reference{};
    RunDialog(solution.model, [&](DialogDriver& d) {
        reference = d.DialogClientSize();
        // Larger than the desktop lets a window be sized: only a window that skips the size check,
        // or a desktop that shrank under it, gets there.
        ASSERT_TRUE(SetWindowPos(d.Dialog(), nullptr, maxWidth + 40, maxHeight + 30, maxWidth + 50, maxHeight + 100,
                                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING));
        ListView_SetColumnWidth(d.Control(IDC_FILE_LIST), 1, maxWidth + 300);
        d.Sync();
        const RECT placed = WindowRect(d.Dialog());
        ASSERT_EQ(placed.left, maxWidth + 40);
        ASSERT_EQ(placed.bottom - placed.top, maxHeight + 100);
        ASSERT_EQ(ListView_GetColumnWidth(d.Control(IDC_FILE_LIST), 1), maxWidth + 300);
        d.ClickButton(IDCANCEL);
    });
    ExpectStored(L"Location", REG_BINARY, NumberBytes({maxWidth - reference.cx, maxHeight - reference.cy}));
    ExpectStored(L"Size", REG_BINARY, NumberBytes({maxWidth, maxHeight}));
    ExpectStored(L"FileNameWidth", REG_DWORD, NumberBytes({150}));
    ExpectStored(L"FilePathWidth", REG_DWORD, NumberBytes({maxWidth}));
}

// After a monitor is removed, a stored placement may lie where nobody sees it: the dialog then
// opens centred with its stored size, as on a first run, and is saved where it was seen. A
// placement visible even in part stays as it was. Widths past the list's 16 bits are cut to
// what it holds.
TEST_F(SettingsTest, PlacementOffEveryMonitorOpensCentredAndWidthsStayWithinTheList) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT work = monitor.rcWork;
    const struct {
        POINT stored;
        bool visible;
    } cases[] = {
        {{work.right + 10, work.top}, false},
        {{work.left - 700, work.bottom - 100}, false},
        {{-30000, -30000}, false},
        {{work.left - 650, work.top - 450}, true},
        {{work.right - 50, work.bottom - 50}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored.x) + ", " + std::to_string(c.stored.y));
        DeleteSettingsKey();
        StoreSetting(L"Location", REG_BINARY, NumberBytes({c.stored.x, c.stored.y}));
        StoreSetting(L"Size", REG_BINARY, NumberBytes({700, 500}));
        StoreSetting(L"FilePathWidth", REG_DWORD, NumberBytes({40000}));
        StoreSetting(L"ProjectPathWidth", REG_DWORD, NumberBytes({32767}));
        RECT window{};
        RunDialog(solution.model, [&](DialogDriver& d) {
            window = WindowRect(d.Dialog());
            EXPECT_EQ(window.right - window.left, 700);
            EXPECT_EQ(window.bottom - window.top, 500);
            if (c.visible) {
                EXPECT_EQ(window.left, c.stored.x);
                EXPECT_EQ(window.top, c.stored.y);
            } else {
                EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 1);
                EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 1);
            }
            EXPECT_EQ(ColumnWidths(d), (std::vector<int>{150, 32767, 150, 32767}));
            d.ClickButton(IDCANCEL);
        });
        ExpectStored(L"Location", REG_BINARY, NumberBytes({window.left, window.top}));
    }
}

TEST_F(SettingsTest, StoredProjectAndFilterOpenTheListNarrowedWithTheFilterSelected) {
    StoreSetting(L"Project", REG_SZ, TextBytes(L"BETA"));
    StoreSetting(L"Filter", REG_SZ, TextBytes(L"fill0"));
    RunDialog(solution.model, [](DialogDriver& d) {
        EXPECT_EQ(ProjectChoice(d), 2);
        EXPECT_EQ(d.ProjectItems().at(2), L"beta");
        EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"fill0");
        EXPECT_EQ(d.Selection(IDC_FILTER_EDIT), static_cast<DWORD>(MAKELONG(0, 5)));
        EXPECT_EQ(d.Focus(), d.Control(IDC_FILTER_EDIT));
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (10 of 48)");
        EXPECT_EQ(d.CellText(0, 0), L"fill00.txt");
        // Typing replaces the stored filter; a line after the name narrows nothing.
        d.Type(u"notes:7", IDC_FILTER_EDIT);
        EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"notes:7");
        EXPECT_EQ(d.RowCount(), 1);
        d.ClickButton(IDCANCEL);
    });
    // The project is stored as the solution names it, the filter as it was typed.
    ExpectStored(L"Project", REG_SZ, TextBytes(L"beta"));
    ExpectStored(L"Filter", REG_SZ, TextBytes(L"notes:7"));
}

TEST_F(SettingsTest, UnknownProjectAndViewKindOtherThanOneAreDroppedAtTheNextSave) {
    StoreSetting(L"Project", REG_SZ, TextBytes(L"gamma"));
    StoreSetting(L"ViewKind", REG_DWORD, NumberBytes({2}));
    RunDialog(solution.model, [](DialogDriver& d) {
        EXPECT_EQ(ProjectChoice(d), 0);
        EXPECT_EQ(ViewChoice(d), BST_UNCHECKED);
        d.ClickButton(IDCANCEL);
    });
    ExpectStored(L"Project", REG_SZ, {});
    ExpectStored(L"ViewKind", REG_DWORD, NumberBytes({0}));
}

TEST_F(SettingsTest, FilterStoredWithoutTerminatorLosesItsLastCharacter) {
    StoreSetting(L"Filter", REG_SZ, TextBytes(L"mains", false));
    RunDialog(solution.model, [](DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"main");
        EXPECT_EQ(d.RowCount(), 3);  // domain.cpp, main.cpp, main.h
        d.ClickButton(IDCANCEL);
    });
    ExpectStored(L"Filter", REG_SZ, TextBytes(L"main"));
}

TEST_F(SettingsTest, EveryValueOfEverySizeUpToTwelveBytesLoadsWithinItsField) {
    CheckEveryValueAtEverySize([&](StoredSettings& settings, std::size_t id, const Bytes& stored) {
        DeleteSettingsKey();
        StoreSetting(Wide(StoredValues[id].name), static_cast<DWORD>(StoredValues[id].type), stored);
        DialogSettings loaded;
        static_cast<StoredSettings&>(loaded) = settings;
        loaded.LoadFromRegistry();
        settings = loaded;
    });
}

TEST_F(SettingsTest, SavedHoweverTheDialogEnds) {
    const struct {
        const char* how;
        std::function<void(DialogDriver&)> end;
        INT_PTR code;
    } endings[] = {
        {"Open", [](DialogDriver& d) { d.ClickButton(IDOK); }, IDOK},
        {"Explore", [](DialogDriver& d) { d.ClickButton(IDC_EXPLORE); }, IDC_EXPLORE},
        {"Escape", [](DialogDriver& d) { d.Key(VK_ESCAPE, IDC_FILTER_EDIT); }, IDCANCEL},
        {"the close box", [](DialogDriver& d) { d.Close(); }, IDCANCEL},
    };
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.how);
        DeleteSettingsKey();
        // A filter that matches nothing, so that Open and Explore have no file to act on.
        EXPECT_EQ(RunDialog(
                      solution.model,
                      [&](DialogDriver& d) {
            d.Type(u"zzz", IDC_FILTER_EDIT);
            ending.end(d);
                      }),
                  ending.code);
        EXPECT_EQ(SettingCount(), 9);
        ExpectStored(L"Filter", REG_SZ, TextBytes(L"zzz"));
    }

    // A double-click on a row opens it and ends the dialog with 0.
    DeleteSettingsKey();
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [&](DialogDriver& d) {
        d.Type(u"ma", IDC_FILTER_EDIT);
        RECT row{};
        ASSERT_TRUE(ListView_GetItemRect(d.Control(IDC_FILE_LIST), 0, &row, LVIR_LABEL));
        d.DoubleClickList({(row.left + row.right) / 2, (row.top + row.bottom) / 2});
                  }),
              0);
    EXPECT_EQ(solution.model.itemOperations.requests.size(), 1u);
    EXPECT_EQ(SettingCount(), 9);
    ExpectStored(L"Filter", REG_SZ, TextBytes(L"ma"));
}

TEST_F(SettingsTest, SecondRunStartsWhereTheFirstEnded) {
    RECT window{}, list{};
    RunDialog(solution.model, [&](DialogDriver& d) {
        ASSERT_TRUE(SetWindowPos(d.Dialog(), nullptr, 40, 30, 720, 530, SWP_NOZORDER | SWP_NOACTIVATE));
        const int widths[] = {90, 310, 120, 200};
        for (int c = 0; c < 4; ++c) ListView_SetColumnWidth(d.Control(IDC_FILE_LIST), c, widths[c]);
        d.KeyTo(VK_DOWN, reinterpret_cast<HWND>(SendMessageW(d.Control(IDC_PROJECT_BOX), CBEM_GETCOMBOCONTROL, 0, 0)));
        d.Type(u"ma", IDC_FILTER_EDIT);
        d.ClickButton(IDC_VIEW_CODE);
        ASSERT_EQ(d.Title(), L"Open File(s) in Solution (3 of 48)");
        window = WindowRect(d.Dialog());
        list = d.ClientRect(IDC_FILE_LIST);
        d.Close();
    });
    std::vector<StoredSetting> first;
    for (const StoredValue& value : StoredValues) first.push_back(ReadSetting(Wide(value.name)).value());

    RunDialog(solution.model, [&](DialogDriver& d) {
        const RECT now = WindowRect(d.Dialog());
        EXPECT_EQ(now.left, 40);
        EXPECT_EQ(now.top, 30);
        EXPECT_EQ(now.right, window.right);
        EXPECT_EQ(now.bottom, window.bottom);
        // The controls were laid out for the restored size.
        const RECT listNow = d.ClientRect(IDC_FILE_LIST);
        EXPECT_EQ(listNow.right, list.right);
        EXPECT_EQ(listNow.bottom, list.bottom);
        EXPECT_EQ(ColumnWidths(d), (std::vector<int>{90, 310, 120, 200}));
        EXPECT_EQ(ProjectChoice(d), 1);
        EXPECT_EQ(d.Text(IDC_FILTER_EDIT), L"ma");
        EXPECT_EQ(d.Selection(IDC_FILTER_EDIT), static_cast<DWORD>(MAKELONG(0, 2)));
        EXPECT_EQ(ViewChoice(d), BST_CHECKED);
        EXPECT_EQ(d.Title(), L"Open File(s) in Solution (3 of 48)");
        d.Close();
    });
    for (std::size_t id = 0; id < StoredValueCount; ++id) {
        const auto again = ReadSetting(Wide(StoredValues[id].name));
        ASSERT_TRUE(again);
        EXPECT_EQ(again->type, first[id].type) << id;
        EXPECT_EQ(again->bytes, first[id].bytes) << id;
    }
    EXPECT_EQ(first[StoredProject].bytes, TextBytes(L"Alpha"));
    EXPECT_EQ(first[StoredViewKind].bytes, NumberBytes({1}));
}

// A dialog dragged down to a sliver is saved so, but opens at its template's size where it stood,
// its controls where the template places them; one dragged smaller but still of use keeps its size.
TEST_F(SettingsTest, ADialogShrunkBelowUseOpensAtTheTemplatesSize) {
    const auto corners = [](RECT r) { return std::vector<LONG>{r.left, r.top, r.right, r.bottom}; };
    RECT first{};
    std::vector<RECT> placed;
    const int ids[] = {IDC_FILE_LIST, IDC_FILTER_EDIT, IDC_PROJECT_BOX, IDC_VIEW_CODE, IDC_EXPLORE, IDOK, IDCANCEL};
    RunDialog(solution.model, [&](DialogDriver& d) {
        first = WindowRect(d.Dialog());
        for (const int id : ids) placed.push_back(d.ClientRect(id));
        ASSERT_TRUE(SetWindowPos(d.Dialog(), nullptr, 40, 30, 120, 60, SWP_NOZORDER | SWP_NOACTIVATE));
        d.Close();
    });
    ExpectStored(L"Size", REG_BINARY, NumberBytes({120, 60}));
    const int width = first.right - first.left, height = first.bottom - first.top;
    RunDialog(solution.model, [&](DialogDriver& d) {
        EXPECT_EQ(corners(WindowRect(d.Dialog())), corners({40, 30, 40 + width, 30 + height}));
        for (std::size_t i = 0; i < std::size(ids); ++i)
            EXPECT_EQ(corners(d.ClientRect(ids[i])), corners(placed[i])) << ids[i];
        ASSERT_TRUE(SetWindowPos(d.Dialog(), nullptr, 0, 0, width * 4 / 5, height * 4 / 5,
                                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
        d.Close();
    });
    RunDialog(solution.model, [&](DialogDriver& d) {
        EXPECT_EQ(corners(WindowRect(d.Dialog())), corners({40, 30, 40 + width * 4 / 5, 30 + height * 4 / 5}));
        d.Close();
    });
}

}  // namespace
}  // namespace sprig::testing
