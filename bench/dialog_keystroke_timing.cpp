// Times keystrokes in the real dialog under Wine: a synthetic solution of many files walked
// through COM dispatch as the command does, the dialog run modally, and "main.cpp" typed into the
// filter box one character at a time and taken back with Backspace. Each time runs from posting
// the character to the list having painted its rows.
//   dialog_keystroke_timing [files...]   (default 100000 and 1000000)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SyntheticSolution.h"
#include "addin/DispatchSolutionView.h"
#include "dialog/Sprig.h"
#include "host/com/ModelObjects.h"
#include "host/input/DialogInput.h"
#include "resources/resource.h"
#include "win/Owners.h"

namespace {

// Marks the point in the dialog's queue up to which everything posted before has been handled.
constexpr UINT MarkMessage = WM_APP + 0x5A;
sprig::Handle marked;

LRESULT CALLBACK GetMessageHook(int code, WPARAM removing, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removing == PM_REMOVE && message->message == MarkMessage) {
        SetEvent(marked.get());
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removing, lParam);
}

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Waits until the dialog has handled what was posted to it, then has the list paint what became
// invalid (UpdateWindow sends WM_PAINT to the dialog's thread and returns once it is painted).
bool Settle(HWND dialog) {
    PostMessageW(dialog, MarkMessage, 0, 0);
    if (WaitForSingleObject(marked.get(), 600000) != WAIT_OBJECT_0) return false;
    UpdateWindow(GetDlgItem(dialog, IDC_FILE_LIST));
    return true;
}

struct Script {
    DWORD uiThread;
    double opened;  // when DoModal was called
    std::vector<double> typed, erased;
    double firstShown = 0;
    bool ok = false;
};

DWORD WINAPI Drive(void* parameter) {
    Script& script = *static_cast<Script*>(parameter);
    HWND dialog = nullptr;
    sprig::input::WaitUntil(
        600000, [&] { return (dialog = sprig::input::FindDialog(script.uiThread)) != nullptr; }, 1);
    if (!dialog || !Settle(dialog)) return 0;
    script.firstShown = Now() - script.opened;
    HWND edit = GetDlgItem(dialog, IDC_FILTER_EDIT);
    // Remembered settings may bring a filter back: start from an empty one.
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    Settle(dialog);
    for (const wchar_t c : std::wstring(L"main.cpp")) {
        const double start = Now();
        sprig::input::PostText(edit, {&c, 1});
        if (!Settle(dialog)) return 0;
        script.typed.push_back(Now() - start);
    }
    for (int i = 0; i < 8; ++i) {
        const double start = Now();
        sprig::input::PostText(edit, L"\b");
        if (!Settle(dialog)) return 0;
        script.erased.push_back(Now() - start);
    }
    script.ok = true;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
}

void Print(const char* what, std::vector<double> ms) {
    std::printf("  %-28s", what);
    for (const double m : ms) std::printf(" %7.1f", m);
    std::sort(ms.begin(), ms.end());
    std::printf("   median %.1f, slowest %.1f ms\n", ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty()) sizes = {100000, 1000000};
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    marked.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const sprig::Hook hook(SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId()));
    int status = 0;
    for (const std::size_t files : sizes) {
        sprig::model::SolutionModel model;
        sprig::bench::FillSyntheticSolution(model, files);
        const sprig::ComPtr<IDispatch> root = sprig::host::CreateModelRoot(model);
        sprig::DispatchSolutionView view(root);
        const double walkStart = Now();
        sprig::CSprig dialog(root, view);
        const double walked = Now() - walkStart;

        Script script{GetCurrentThreadId(), Now(), {}, {}};
        const sprig::Handle driver(CreateThread(nullptr, 0, Drive, &script, 0, nullptr));
        dialog.DoModal(nullptr);
        WaitForSingleObject(driver.get(), INFINITE);
        std::printf("%zu files (walk %.0f ms, not timed below)\n", files, walked);
        if (!script.ok) {
            std::printf("  the dialog did not answer\n");
            status = 1;
            continue;
        }
        std::printf("  %-28s %7.1f ms\n", "open to first rows painted", script.firstShown);
        Print("typing main.cpp, per key", script.typed);
        Print("Backspace, per key", script.erased);
    }
    CoUninitialize();
    return status;
}
