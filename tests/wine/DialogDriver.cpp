#include "wine/DialogDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <exception>

#include "addin/DispatchSolutionView.h"
#include "host/com/ModelObjects.h"
#include "resources/resource.h"

namespace sprig::testing {
namespace {

// The dialog runs on the test's thread, in a single-threaded apartment as the environment's user-
// interface thread is, with the common controls registered as the environment registers them.
class DialogHostEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const host = ::testing::AddGlobalTestEnvironment(new DialogHostEnvironment);

// Posted after a batch of input; the dialog thread's message hook answers it once everything
// posted before it has been handled, since posted messages are taken in order.
constexpr UINT SyncMessage = WM_APP + 0x51;
constexpr DWORD SyncLimitMs = 5000;
constexpr DWORD ScriptEndLimitMs = 3000;

// What one run shares between the dialog's thread and the driver's.
struct Run {
    Run(const std::function<void(DialogDriver&)>& script, bool mayEndUnshown)
        : script(script), mayEndUnshown(mayEndUnshown) {
        InitializeCriticalSection(&lock);
        // The hook records on the dialog's thread and must not allocate there: it keeps to this room.
        notices.reserve(100000);
    }
    ~Run() {
        DeleteCriticalSection(&lock);
        CloseHandle(synced);
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    const std::function<void(DialogDriver&)>& script;
    const bool mayEndUnshown;
    std::atomic<bool> showEnded{false};
    const DWORD uiThread = GetCurrentThreadId();
    const HANDLE synced = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // set whenever the hook answers a sync
    std::atomic<LONG> lastSync{0};                                       // the sequence number it answered last
    std::atomic<HWND> dialog{nullptr};
    std::atomic<bool> watchdogFired{false};
    CRITICAL_SECTION lock;
    std::vector<Notice> notices;  // under lock
};

Run* active = nullptr;
std::atomic<LONG> nextSync{0};

// Sees every message the dialog's thread takes from its queue.
LRESULT CALLBACK GetMessageHook(int code, WPARAM removing, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removing == PM_REMOVE && message->message == SyncMessage) {
        active->lastSync = static_cast<LONG>(message->wParam);
        SetEvent(active->synced);
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removing, lParam);
}

// Sees every message sent to a window of the dialog's thread: finds the dialog and records the
// commands and notifications it receives.
LRESULT CALLBACK CallWindowHook(int code, WPARAM sent, LPARAM lParam) {
    const auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) {
        if (call->message == WM_INITDIALOG) active->dialog = call->hwnd;
        if (call->hwnd == active->dialog && (call->message == WM_NOTIFY || call->message == WM_COMMAND)) {
            const Notice notice = call->message == WM_NOTIFY ? Notice{reinterpret_cast<NMHDR*>(call->lParam)->idFrom,
                                                                      reinterpret_cast<NMHDR*>(call->lParam)->code}
                                                             : Notice{LOWORD(call->wParam), HIWORD(call->wParam)};
            EnterCriticalSection(&active->lock);
            if (active->notices.size() < active->notices.capacity()) active->notices.push_back(notice);
            LeaveCriticalSection(&active->lock);
        }
    }
    return CallNextHookEx(nullptr, code, sent, lParam);
}

// Ends a dialog that outlived its run; it runs on the dialog's thread, from its message loop.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (HWND dialog = active->dialog) {
        active->watchdogFired = true;
        EndDialog(dialog, -2);
    }
}

DWORD WINAPI DriverMain(void* parameter) {
    Run& run = *static_cast<Run*>(parameter);
    HWND dialog = nullptr;
    for (int waited = 0; waited < 5000; waited += 10) {
        dialog = run.dialog;
        if (dialog && IsWindowVisible(dialog)) break;
        dialog = nullptr;
        if (run.mayEndUnshown && run.showEnded) return 0;
        Sleep(10);
    }
    if (!dialog) {
        ADD_FAILURE() << "the dialog did not appear";
        return 0;
    }
    DialogDriver driver(dialog, run.uiThread);
    driver.Sync();
    run.script(driver);
    for (DWORD waited = 0; waited < ScriptEndLimitMs; waited += 10) {
        if (!IsWindow(dialog)) return 0;
        Sleep(10);
    }
    ADD_FAILURE() << "the dialog is still open after the script";
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

struct HookGuard {
    HHOOK hook;
    ~HookGuard() {
        if (hook) UnhookWindowsHookEx(hook);
    }
};

struct HandleGuard {
    HANDLE handle;
    ~HandleGuard() {
        if (handle) CloseHandle(handle);
    }
};

// Makes a run the one the hooks and the driver see, for as long as it lasts.
struct ActiveRun {
    explicit ActiveRun(Run& run) { active = &run; }
    ~ActiveRun() { active = nullptr; }
};

}  // namespace

INT_PTR DriveModal(const std::function<INT_PTR()>& show, const std::function<void(DialogDriver&)>& script,
                   DWORD limitMs, bool mayEndUnshown) {
    Run run(script, mayEndUnshown);
    const ActiveRun current(run);
    INT_PTR code = 0;
    std::exception_ptr failure;
    {
        const HookGuard getMessage{SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, run.uiThread)};
        const HookGuard callWindow{SetWindowsHookExW(WH_CALLWNDPROC, CallWindowHook, nullptr, run.uiThread)};
        EXPECT_TRUE(getMessage.hook && callWindow.hook);
        const UINT_PTR timer = SetTimer(nullptr, 0, limitMs, Watchdog);
        const HandleGuard driver{CreateThread(nullptr, 0, DriverMain, &run, 0, nullptr)};
        EXPECT_TRUE(driver.handle);
        try {
            code = show();
        } catch (...) {
            failure = std::current_exception();
        }
        run.showEnded = true;
        KillTimer(nullptr, timer);
        // Every wait of the driver is bounded, so it ends soon after the dialog; CTest's timeout
        // is the last resort should a script never return.
        if (driver.handle) WaitForSingleObject(driver.handle, INFINITE);
    }
    EXPECT_FALSE(run.watchdogFired) << "the dialog was still open after " << limitMs << " ms";
    if (failure) std::rethrow_exception(failure);
    return code;
}

CSprig ModelDialog(model::SolutionModel& model) {
    const ComPtr<IDispatch> root = host::CreateModelRoot(model);
    DispatchSolutionView view(root);
    return CSprig(root, view);
}

INT_PTR RunDialog(model::SolutionModel& model, const std::function<void(DialogDriver&)>& script, DWORD limitMs) {
    INT_PTR code = 0;
    std::exception_ptr failure;
    {
        CSprig dialog = ModelDialog(model);
        EXPECT_EQ(host::LiveReferences(), 1) << "the dialog holds one reference on the root";
        try {
            code = DriveModal([&] { return dialog.DoModal(nullptr); }, script, limitMs);
        } catch (...) {
            failure = std::current_exception();
        }
        EXPECT_TRUE(SubclassRegistry.empty()) << "the filter edit's hook outlived the dialog";
    }
    EXPECT_EQ(host::LiveReferences(), 0) << "references on the host outlived the dialog";
    if (failure) std::rethrow_exception(failure);
    return code;
}

void DialogDriver::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!window) {
        ADD_FAILURE() << "no window for message " << message;
        return;
    }
    // Input to a window that the end of the dialog destroyed (the key release after Escape) is
    // lost, as for a person.
    if (!PostMessageW(window, message, wParam, lParam) && IsWindow(window)) {
        ADD_FAILURE() << "message " << message << " not posted";
    }
}

void DialogDriver::Sync() {
    const LONG sequence = ++nextSync;
    Post(dialog_, SyncMessage, static_cast<WPARAM>(sequence), 0);
    for (DWORD waited = 0; active->lastSync < sequence; waited += 10) {
        // Input that ended the dialog leaves nothing to wait for.
        if (!IsWindow(dialog_)) return;
        if (waited >= SyncLimitMs) {
            ADD_FAILURE() << "the dialog did not take its input within " << SyncLimitMs << " ms";
            return;
        }
        WaitForSingleObject(active->synced, 10);
    }
}

void DialogDriver::Type(std::u16string_view text, int control) {
    for (const char16_t unit : text) Post(Control(control), WM_CHAR, unit, 1);
    Sync();
}

void DialogDriver::Key(UINT key, int control) { KeyTo(key, Control(control)); }

void DialogDriver::KeyTo(UINT key, HWND window) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, 0 /* MAPVK_VK_TO_VSC */)) << 16;
    Post(window, WM_KEYDOWN, key, scan | 1);
    Post(window, WM_KEYUP, key, scan | 1 | 0xC0000000);
    Sync();
}

void DialogDriver::ClickHeader(int column) {
    HWND header = ListView_GetHeader(Control(IDC_FILE_LIST));
    RECT item{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    Post(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(header, WM_LBUTTONUP, 0, at);
    Sync();
}

void DialogDriver::DoubleClickList(POINT at) {
    HWND list = Control(IDC_FILE_LIST);
    const LPARAM where = MAKELPARAM(at.x, at.y);
    Post(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
    Post(list, WM_LBUTTONUP, 0, where);
    Post(list, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
    Post(list, WM_LBUTTONUP, 0, where);
    Sync();
}

void DialogDriver::Click(HWND window, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    Post(window, WM_LBUTTONUP, 0, where);
    Sync();
}

void DialogDriver::ClickButton(int id) {
    Post(Control(id), BM_CLICK, 0, 0);
    Sync();
}

void DialogDriver::Close() {
    Post(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Sync();
}

void DialogDriver::ResizeClient(int width, int height) {
    RECT outer, client;
    GetWindowRect(dialog_, &outer);
    GetClientRect(dialog_, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    EXPECT_TRUE(SetWindowPos(dialog_, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    Sync();
}

HWND DialogDriver::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(uiThread_, &info) ? info.hwndFocus : nullptr;
}

std::wstring DialogDriver::Title() const {
    wchar_t text[256] = {};
    GetWindowTextW(dialog_, text, 256);
    return text;
}

std::wstring DialogDriver::Text(int control) const {
    wchar_t text[512] = {};
    GetWindowTextW(Control(control), text, 512);
    return text;
}

DWORD DialogDriver::Selection(int control) const {
    return static_cast<DWORD>(SendMessageW(Control(control), EM_GETSEL, 0, 0));
}

int DialogDriver::RowCount() const { return ListView_GetItemCount(Control(IDC_FILE_LIST)); }

std::vector<int> DialogDriver::SelectedRows() const {
    std::vector<int> rows;
    for (int row = -1; (row = ListView_GetNextItem(Control(IDC_FILE_LIST), row, LVNI_SELECTED)) >= 0;)
        rows.push_back(row);
    return rows;
}

int DialogDriver::FocusedRow() const { return ListView_GetNextItem(Control(IDC_FILE_LIST), -1, LVNI_FOCUSED); }

std::wstring DialogDriver::CellText(int row, int column) const {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(Control(IDC_FILE_LIST), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

RECT DialogDriver::ClientRect(int control) const {
    RECT bounds{};
    GetWindowRect(Control(control), &bounds);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

SIZE DialogDriver::DialogClientSize() const {
    RECT client{};
    GetClientRect(dialog_, &client);
    return {client.right, client.bottom};
}

std::vector<std::wstring> DialogDriver::ProjectItems() const {
    HWND box = Control(IDC_PROJECT_BOX);
    const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    std::vector<std::wstring> items;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(box, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        items.emplace_back(item.pszText ? item.pszText : L"");
    }
    return items;
}

bool DialogDriver::Received(Notice notice) const {
    EnterCriticalSection(&active->lock);
    const bool found = std::find(active->notices.begin(), active->notices.end(), notice) != active->notices.end();
    LeaveCriticalSection(&active->lock);
    return found;
}

TextProbe DialogDriver::AskDialog(UINT code, int item, int column, int size) const {
    TextProbe probe(size);
    const NMHDR header{Control(IDC_FILE_LIST), static_cast<UINT_PTR>(IDC_FILE_LIST), code};
    NMLVDISPINFOW cell{header, {}};
    NMLVGETINFOTIPW tip{header, 0, probe.units.data(), size, item, column, 0};
    NMHDR* request = &cell.hdr;
    if (code == LVN_GETDISPINFOW) {
        cell.item.mask = LVIF_TEXT;
        cell.item.iItem = item;
        cell.item.iSubItem = column;
        cell.item.pszText = probe.units.data();
        cell.item.cchTextMax = size;
    } else {
        request = &tip.hdr;
    }
    SendMessageW(dialog_, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(request));
    return probe;
}

TextProbe DialogDriver::AskList(int row, int column, int size) const {
    TextProbe probe(size);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = probe.units.data();
    item.cchTextMax = size;
    SendMessageW(Control(IDC_FILE_LIST), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return probe;
}

}  // namespace sprig::testing
