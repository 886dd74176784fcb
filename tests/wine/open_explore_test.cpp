// Open and Explore through the real dialog. Opened files reach the stand-in environment's
// ItemOperations; explored ones reach the shell's folder-window call, in whose place a recorder
// stands, and once the shell's own call, which opens a real folder window.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

#include "dialog/OpenExplore.h"
#include "filter/SortOrder.h"
#include "resources/resource.h"
#include "win/Owners.h"
#include "wine/DialogDriver.h"
#include "wine/DialogSolution.h"
#include "wine/SettingsKey.h"
#include "wine/TaskMemorySpy.h"

namespace sprig::testing {
namespace {

using Rows = std::vector<int>;
using Opened = std::vector<std::pair<std::u16string, std::u16string>>;  // file name, view kind

constexpr char16_t CodeView[] = u"{7651A701-06E5-11D1-8EBD-00A0C90F26EA}";
constexpr char16_t PrimaryView[] = u"{00000000-0000-0000-0000-000000000000}";
const std::u16string Domain = u"C:\\src\\alpha\\domain.cpp", MainCpp = u"C:\\src\\alpha\\main.cpp",
                     MainH = u"C:\\src\\alpha\\main.h", Zeta = u"C:\\src\\alpha\\zeta.cpp";

// Each run starts from no remembered settings, as if it were the test's first.
INT_PTR RunFresh(model::SolutionModel& model, const std::function<void(DialogDriver&)>& script) {
    DeleteSettingsKey();
    return RunDialog(model, script);
}

// Row -1 stands for every row.
void SelectRow(const DialogDriver& d, int row, bool selected) {
    ListView_SetItemState(d.Control(IDC_FILE_LIST), row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

POINT RowCentre(const DialogDriver& d, int row) {
    RECT bounds{};
    EXPECT_TRUE(ListView_GetItemRect(d.Control(IDC_FILE_LIST), row, &bounds, LVIR_LABEL));
    return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

class OpenTest : public ::testing::Test {
protected:
    void SetUp() override { ProcessSortOrder = SortOrder{}; }
    void TearDown() override { ProcessSortOrder = SortOrder{}; }

    Opened Requests() const {
        Opened requests;
        for (const auto& request : operations.requests) requests.emplace_back(request.fileName, request.viewKind);
        return requests;
    }

    TestSolution solution;
    model::ItemOperations& operations = solution.model.itemOperations;
};

TEST_F(OpenTest, OpenOpensTheSelectedRowsInDisplayOrderInCodeViewWhenChecked) {
    EXPECT_EQ(RunFresh(
                  solution.model,
                  [](DialogDriver& d) {
        // domain.cpp, main.cpp, main.h, which the walk met as main.cpp, domain.cpp, main.h.
        d.Type(u"main", IDC_FILTER_EDIT);
        SelectRow(d, 2, true);
        SelectRow(d, 0, true);
        ASSERT_EQ(d.SelectedRows(), (Rows{0, 1, 2}));
        d.ClickButton(IDC_VIEW_CODE);
        ASSERT_TRUE(TaskMemorySpy::Instance().Start());
        d.ClickButton(IDOK);
                  }),
              IDOK);
    TaskMemorySpy::Instance().Stop();
    EXPECT_EQ(TaskMemorySpy::Instance().Live(), 0u) << "BSTRs left unfreed";
    EXPECT_EQ(Requests(), (Opened{{Domain, CodeView}, {MainCpp, CodeView}, {MainH, CodeView}}));
}

TEST_F(OpenTest, EnterAndADoubleClickOpenTooInTheViewTheBoxSays) {
    EXPECT_EQ(RunFresh(
                  solution.model,
                  [](DialogDriver& d) {
        d.Type(u"zeta", IDC_FILTER_EDIT);
        SendMessageW(d.Control(IDC_VIEW_CODE), BM_SETCHECK, BST_CHECKED, 0);
        d.Key(VK_RETURN, IDC_FILTER_EDIT);
                  }),
              IDOK);
    EXPECT_EQ(Requests(), (Opened{{Zeta, CodeView}}));

    // Any state of the box but unchecked chooses the code view, its third state too.
    operations.requests.clear();
    EXPECT_EQ(RunFresh(
                  solution.model,
                  [](DialogDriver& d) {
        d.Type(u"zeta", IDC_FILTER_EDIT);
        SendMessageW(d.Control(IDC_VIEW_CODE), BM_SETSTYLE, BS_AUTO3STATE, FALSE);
        SendMessageW(d.Control(IDC_VIEW_CODE), BM_SETCHECK, BST_INDETERMINATE, 0);
        ASSERT_EQ(SendMessageW(d.Control(IDC_VIEW_CODE), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
        d.Key(VK_RETURN, IDC_FILTER_EDIT);
                  }),
              IDOK);
    EXPECT_EQ(Requests(), (Opened{{Zeta, CodeView}}));

    operations.requests.clear();
    EXPECT_EQ(RunFresh(
                  solution.model,
                  [](DialogDriver& d) {
        // Descending: main.h, main.cpp, domain.cpp. The double-click selects the row it lands on.
        d.ClickHeader(0);
        d.Type(u"main", IDC_FILTER_EDIT);
        ASSERT_EQ(d.CellText(2, 0), L"domain.cpp");
        d.DoubleClickList(RowCentre(d, 2));
                  }),
              0);
    EXPECT_EQ(Requests(), (Opened{{Domain, PrimaryView}}));
}

TEST_F(OpenTest, FilesTheEnvironmentRefusesDoNotStopTheOthers) {
    operations.refused = {Domain, MainH};
    EXPECT_EQ(RunFresh(
                  solution.model,
                  [](DialogDriver& d) {
        d.Type(u"main", IDC_FILTER_EDIT);
        SelectRow(d, -1, true);
        d.ClickButton(IDOK);
                  }),
              IDOK);
    EXPECT_EQ(Requests(), (Opened{{Domain, PrimaryView}, {MainCpp, PrimaryView}, {MainH, PrimaryView}}));

    // A refused file, or one opened without a window, still counts as taken: the double-click
    // ends the dialog.
    for (const bool givesWindows : {true, false}) {
        operations.requests.clear();
        operations.givesWindows = givesWindows;
        EXPECT_EQ(RunFresh(
                      solution.model,
                      [givesWindows](DialogDriver& d) {
            d.Type(u"main", IDC_FILTER_EDIT);
            d.DoubleClickList(RowCentre(d, givesWindows ? 2 : 1));
                      }),
                  0);
        EXPECT_EQ(Requests(), (Opened{{givesWindows ? MainH : MainCpp, PrimaryView}}));
    }
}

// "main.cpp:3" lists domain.cpp and main.cpp; each window opened is sent to line 3 through its
// text selection. A window without a selection, or whose selection refuses, stays as it opened.
TEST_F(OpenTest, ALineAfterTheNameSendsEachOpenedWindowThere) {
    const auto lines = [this] {
        std::vector<std::int32_t> asked;
        for (const auto& request : operations.requests) asked.push_back(request.line);
        return asked;
    };
    EXPECT_EQ(RunFresh(
                  solution.model,
                  [](DialogDriver& d) {
        d.Type(u"main.cpp:3", IDC_FILTER_EDIT);
        ASSERT_EQ(d.Title(), L"Open File(s) in Solution (2 of 48)");
        SelectRow(d, -1, true);
        d.Key(VK_RETURN, IDC_FILTER_EDIT);
                  }),
              IDOK);
    EXPECT_EQ(Requests(), (Opened{{Domain, PrimaryView}, {MainCpp, PrimaryView}}));
    EXPECT_EQ(lines(), (std::vector<std::int32_t>{3, 3}));

    // A double-click; and a filter without a line, which asks for none.
    const struct {
        const char16_t* filter;
        std::int32_t line;
    } clicks[] = {{u"main.cpp:12", 12}, {u"main.cpp", 0}};
    for (const auto& click : clicks) {
        operations.requests.clear();
        EXPECT_EQ(RunFresh(
                      solution.model,
                      [&click](DialogDriver& d) {
            d.Type(click.filter, IDC_FILTER_EDIT);
            d.DoubleClickList(RowCentre(d, 1));
                      }),
                  0);
        EXPECT_EQ(Requests(), (Opened{{MainCpp, PrimaryView}}));
        EXPECT_EQ(lines(), (std::vector<std::int32_t>{click.line}));
    }
    EXPECT_EQ(operations.CallsOf(model::Member::Selection), 3u);

    const struct {
        model::Member member;
        model::Fault fault;
        bool givesWindows;
    } refusals[] = {{model::Member::Selection, model::Fault::Nothing, true},
                    {model::Member::Selection, model::Fault::Fail, true},
                    {model::Member::GotoLine, model::Fault::Fail, true},
                    {model::Member::Selection, model::Fault::None, false}};
    for (const auto& refusal : refusals) {
        operations.requests.clear();
        operations.FaultOf(refusal.member) = refusal.fault;
        operations.givesWindows = refusal.givesWindows;
        EXPECT_EQ(RunFresh(
                      solution.model,
                      [](DialogDriver& d) {
            d.Type(u"main.cpp:3", IDC_FILTER_EDIT);
            SelectRow(d, -1, true);
            d.ClickButton(IDOK);
                      }),
                  IDOK);
        EXPECT_EQ(Requests(), (Opened{{Domain, PrimaryView}, {MainCpp, PrimaryView}}));
        EXPECT_EQ(lines(), (std::vector<std::int32_t>{0, 0}));
        operations.FaultOf(refusal.member) = model::Fault::None;
    }
    EXPECT_EQ(operations.CallsOf(model::Member::GotoLine), 2u + 1u + 2u);
}

TEST_F(OpenTest, WithoutItemOperationsNothingOpensAndOnlyOpenEndsTheDialog) {
    for (const model::Fault fault : {model::Fault::Fail, model::Fault::Nothing}) {
        solution.model.root.FaultOf(model::Member::ItemOperations) = fault;
        EXPECT_EQ(RunFresh(
                      solution.model,
                      [](DialogDriver& d) {
            d.Type(u"main", IDC_FILTER_EDIT);
            d.DoubleClickList(RowCentre(d, 1));
            EXPECT_TRUE(d.Received({IDC_FILE_LIST, static_cast<UINT>(NM_DBLCLK)}));
            EXPECT_TRUE(IsWindow(d.Dialog()));
            d.ClickButton(IDOK);
                      }),
                  IDOK);
        EXPECT_EQ(Requests(), Opened{});
    }
}

TEST_F(OpenTest, NoSelectedRowOpensNothingAndOpenStillEnds) {
    EXPECT_EQ(RunFresh(
                  solution.model,
                  [](DialogDriver& d) {
        SelectRow(d, -1, false);
        ASSERT_EQ(d.SelectedRows(), Rows{});
        d.ClickButton(IDOK);
                  }),
              IDOK);
    EXPECT_EQ(Requests(), Opened{});
}

// What the shell was asked to show: each call's folder and items, turned back into paths.
struct Shown {
    std::wstring folder;
    std::vector<std::wstring> items;
    bool operator==(const Shown& other) const { return folder == other.folder && items == other.items; }
};

void PrintTo(const Shown& shown, std::ostream* out) {
    std::string text(shown.folder.begin(), shown.folder.end());
    for (const std::wstring& item : shown.items) text += "\n    " + std::string(item.begin(), item.end());
    *out << text;
}

std::vector<Shown> shown;
std::vector<const void*> receivedLists;
std::vector<DWORD> receivedFlags;

// A relative list would give no path here: only absolute ones name the file by themselves.
std::wstring PathOf(LPCITEMIDLIST list) {
    wchar_t path[MAX_PATH] = {};
    return SHGetPathFromIDListW(list, path) ? path : L"(no path)";
}

HRESULT WINAPI RecordOpenFolder(LPCITEMIDLIST folder, UINT count, LPCITEMIDLIST* items, DWORD flags) {
    Shown call{PathOf(folder), {}};
    receivedLists.push_back(folder);
    for (UINT i = 0; i < count; ++i) {
        call.items.push_back(PathOf(items[i]));
        receivedLists.push_back(items[i]);
    }
    shown.push_back(call);
    receivedFlags.push_back(flags);
    return S_OK;
}

// A fresh folder tree on disk for each test, in the prefix's temporary folder, and a solution of
// the files the test names in it.
class ExploreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessSortOrder = SortOrder{};
        shown.clear();
        receivedLists.clear();
        receivedFlags.clear();
        OpenFolderLookup = {true, &RecordOpenFolder};
        wchar_t temp[MAX_PATH] = {};
        ASSERT_TRUE(GetTempPathW(MAX_PATH, temp));
        root = temp + std::wstring(L"sprig-explore-") + std::to_wstring(GetCurrentProcessId());
        MakeFolder(root);
        // The shell keeps what it sets up on first use: that is done before the spy watches.
        ComPtr<IShellFolder> desktop;
        ASSERT_HRESULT_SUCCEEDED(SHGetDesktopFolder(desktop.put()));
        LPITEMIDLIST parsed = nullptr;
        ASSERT_HRESULT_SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, root.data(), nullptr, &parsed, nullptr));
        const TaskMemory<ITEMIDLIST> owned(parsed);
        PathOf(owned.get());
    }

    void TearDown() override {
        OpenFolderLookup = {};
        ProcessSortOrder = SortOrder{};
        for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
            if (!DeleteFileW(made->c_str())) RemoveDirectoryW(made->c_str());
        }
    }

    void MakeFolder(const std::wstring& path) {
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
            << std::string(path.begin(), path.end());
        made_.push_back(path);
    }

    // Creates root\relative (its folder too) and answers its full path.
    std::wstring Make(const std::wstring& relative) {
        const std::wstring path = root + L"\\" + relative;
        MakeFolder(path.substr(0, path.rfind(L'\\')));
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        const Handle made(file == INVALID_HANDLE_VALUE ? nullptr : file);
        made_.push_back(path);
        return path;
    }

    // Lists `path`, spelt as given, as a file of the solution.
    void List(const std::wstring& path) {
        const std::u16string text(path.begin(), path.end());
        solution.AddFile(*project.items, text.substr(text.find_last_of(u"\\/") + 1), text);
    }

    // Explores every row of the dialog and checks that every item identifier list made for the
    // shell was freed with the task allocator, those handed to it too.
    void ExploreAll() {
        TaskMemorySpy& spy = TaskMemorySpy::Instance();
        EXPECT_EQ(RunFresh(
                      solution,
                      [&](DialogDriver& d) {
            SelectRow(d, -1, true);
            ASSERT_TRUE(spy.Start());
            d.ClickButton(IDC_EXPLORE);
                      }),
                  IDC_EXPLORE);
        spy.Stop();
        EXPECT_EQ(spy.Live(), 0u) << "task memory left unfreed";
        for (const void* list : receivedLists) EXPECT_TRUE(spy.Seen(list)) << "not from the task allocator";
        for (const DWORD flags : receivedFlags) EXPECT_EQ(flags, 0u);
    }

    std::wstring root;
    model::SolutionModel solution;
    model::Project& project = solution.AddProject(u"Files", u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}");

private:
    std::vector<std::wstring> made_;  // in the order made
};

TEST_F(ExploreTest, OneWindowPerFolderInTheOrderOfItsFirstFile) {
    const std::wstring x = Make(L"A\\x.txt"), y = Make(L"B\\y.txt"), z = Make(L"A\\z.txt");
    for (const auto& path : {z, y, x}) List(path);  // shown by name: x, y, z
    ExploreAll();
    EXPECT_EQ(shown, (std::vector<Shown>{{root + L"\\A", {x, z}}, {root + L"\\B", {y}}}));
}

TEST_F(ExploreTest, SpellingsOfOneFolderShareItsWindow) {
    const std::wstring a = Make(L"Dir\\a.txt"), b = Make(L"Dir\\b.txt"), c = Make(L"Dir\\c.txt"),
                       d = Make(L"Other\\d.txt");
    std::wstring upper = b, slashed = c;
    for (wchar_t& unit : upper) unit = static_cast<wchar_t>(towupper(unit));
    for (wchar_t& unit : slashed) unit = unit == L'\\' ? L'/' : unit;
    for (const auto& path : {a, upper, slashed, d}) List(path);
    ExploreAll();

    // Each member's own spelling is parsed: the upper-case one names the file as the disk spells
    // it, and the slashed one is in the selection if the shell can parse it.
    std::vector<std::wstring> items{a, b};
    ComPtr<IShellFolder> desktop;
    ASSERT_HRESULT_SUCCEEDED(SHGetDesktopFolder(desktop.put()));
    LPITEMIDLIST parsed = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, slashed.data(), nullptr, &parsed, nullptr)))
        items.push_back(c);
    const TaskMemory<ITEMIDLIST> owned(parsed);
    EXPECT_EQ(shown, (std::vector<Shown>{{root + L"\\Dir", items}, {root + L"\\Other", {d}}}));
}

TEST_F(ExploreTest, FilesAndFoldersGoneFromDiskAreLeftOut) {
    const std::wstring kept = Make(L"Here\\kept.txt"), gone = Make(L"Here\\gone.txt");
    const std::wstring alone = Make(L"Emptied\\alone.txt"), vanished = Make(L"Vanished\\file.txt");
    for (const auto& path : {kept, gone, alone, vanished}) List(path);
    // A path with no folder at all names no file the shell can find from the desktop.
    List(L"no-folder.txt");
    ASSERT_TRUE(DeleteFileW(gone.c_str()));
    ASSERT_TRUE(DeleteFileW(alone.c_str()));
    ASSERT_TRUE(DeleteFileW(vanished.c_str()));
    ASSERT_TRUE(RemoveDirectoryW((root + L"\\Vanished").c_str()));
    ExploreAll();
    EXPECT_EQ(shown, (std::vector<Shown>{{root + L"\\Here", {kept}}}));
}

TEST_F(ExploreTest, NothingSelectedOrNoShellFunctionShowsNothingAndExploreStillEnds) {
    List(Make(L"A\\x.txt"));
    EXPECT_EQ(RunFresh(
                  solution,
                  [](DialogDriver& d) {
        SelectRow(d, -1, false);
        d.ClickButton(IDC_EXPLORE);
                  }),
              IDC_EXPLORE);
    EXPECT_EQ(shown, std::vector<Shown>{});

    // A look-up that found nothing is not made again.
    OpenFolderLookup = {true, nullptr};
    EXPECT_EQ(RunFresh(solution, [](DialogDriver& d) { d.ClickButton(IDC_EXPLORE); }), IDC_EXPLORE);
    EXPECT_TRUE(OpenFolderLookup.made);
    EXPECT_EQ(OpenFolderLookup.openFolder, nullptr);
}

// Finds a visible top-level folder window of the shell's titled `title`, in any process.
HWND FindFolderWindow(const std::wstring& title) {
    for (int waited = 0; waited < 15000; waited += 50) {
        if (HWND window = FindWindowW(L"ExplorerWClass", title.c_str())) {
            if (IsWindowVisible(window)) return window;
        }
        Sleep(50);
    }
    return nullptr;
}

// The titles of the shell's folder windows, to say what there was instead.
std::string FolderWindowTitles() {
    std::string titles;
    EnumWindows(
        [](HWND window, LPARAM titles) WINAPI -> BOOL {
            wchar_t name[64] = {}, title[256] = {};
            GetClassNameW(window, name, 64);
            GetWindowTextW(window, title, 256);
            if (std::wstring(name) == L"ExplorerWClass") {
                *reinterpret_cast<std::string*>(titles) += " [" + std::string(title, title + wcslen(title)) + "]";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&titles));
    return titles.empty() ? " none" : titles;
}

TEST_F(ExploreTest, TheShellOpensAFolderWindowForARealFolder) {
    ASSERT_TRUE(GetModuleHandleW(L"shell32.dll")) << "the environment always has the shell loaded";
    const std::wstring folder = L"Shown" + std::to_wstring(GetCurrentProcessId());
    List(Make(folder + L"\\real.txt"));
    OpenFolderLookup = {};
    EXPECT_EQ(RunFresh(solution, [](DialogDriver& d) { d.ClickButton(IDC_EXPLORE); }), IDC_EXPLORE);
    EXPECT_TRUE(OpenFolderLookup.made);
    using Function = void (*)();
    EXPECT_EQ(
        reinterpret_cast<Function>(OpenFolderLookup.openFolder),
        reinterpret_cast<Function>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), "SHOpenFolderAndSelectItems")));

    HWND window = FindFolderWindow(folder);
    ASSERT_TRUE(window) << "no folder window titled " << std::string(folder.begin(), folder.end())
                        << "; folder windows:" << FolderWindowTitles();
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (int waited = 0; waited < 5000 && IsWindow(window); waited += 50) Sleep(50);
    EXPECT_FALSE(IsWindow(window)) << "the folder window did not close";
}

}  // namespace
}  // namespace sprig::testing
