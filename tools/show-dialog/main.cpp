// show-dialog --solution FILE.sln [--filter TEXT] [--close-after MS]
//
// Shows the file dialog over a solution loaded from disk, served through the stand-in COM
// objects, the way the environment runs it; what the loader could not read is reported on
// standard error and the rest is shown. With --filter the text is typed into the filter box once
// the dialog is up; then the program prints "ready LEFT TOP RIGHT BOTTOM", the dialog's screen
// rectangle, on standard output. With --close-after the dialog closes itself that many
// milliseconds later; otherwise it stays until a person closes it. Prints each file the dialog
// asked the environment to open ("opened PATH VIEWKIND"), then the end code.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "addin/DispatchSolutionView.h"
#include "dialog/Sprig.h"
#include "host/com/ModelObjects.h"
#include "host/input/DialogInput.h"
#include "solution/loader/DiskFiles.h"
#include "solution/loader/SolutionLoader.h"
#include "resources/resource.h"
#include "win/Owners.h"
#include "win/WideText.h"

namespace {

using sprig::model::SolutionModel;

struct Options {
    std::u16string solution;
    std::wstring filter;
    int closeAfterMs = -1;
};

// Finds the dialog of `thread`, types the filter into it, reports where it stands, and closes it
// when asked to.
DWORD WINAPI Typist(void* parameter) {
    const auto& [options, thread] = *static_cast<std::pair<Options, DWORD>*>(parameter);
    HWND dialog = nullptr;
    if (!sprig::input::WaitUntil(10000, [&] { return (dialog = sprig::input::FindDialog(thread)) != nullptr; })) {
        return 1;
    }
    sprig::input::SendText(GetDlgItem(dialog, IDC_FILTER_EDIT), options.filter);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT bounds;
    GetWindowRect(dialog, &bounds);
    std::printf("ready %ld %ld %ld %ld\n", bounds.left, bounds.top, bounds.right, bounds.bottom);
    std::fflush(stdout);
    if (options.closeAfterMs >= 0) {
        Sleep(static_cast<DWORD>(options.closeAfterMs));
        sprig::input::PostClose(dialog);
    }
    return 0;
}

// The solution named on the command line, as the stand-in environment loads it.
bool LoadModel(const std::u16string& argument, SolutionModel& model) {
    std::u16string path;
    std::string reason;
    if (!sprig::loader::FullWindowsPath(argument, path, reason)) {
        std::fprintf(stderr, "show-dialog: %s\n", reason.c_str());
        return false;
    }
    sprig::loader::DiskFiles files;
    std::vector<sprig::loader::LoadMessage> messages;
    const bool loaded = sprig::loader::LoadSolution(path, files, model, messages);
    for (const auto& message : messages) {
        std::fprintf(stderr, "show-dialog: %s\n", sprig::loader::DescribeMessage(message).c_str());
    }
    if (!loaded) std::fprintf(stderr, "show-dialog: no solution loaded\n");
    return loaded;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 == argc) {
            std::fwprintf(stderr, L"show-dialog: %ls wants a value\n", argv[i]);
            return 2;
        }
        if (std::wcscmp(argv[i], L"--solution") == 0) {
            options.solution = sprig::Units(argv[i + 1]);
        } else if (std::wcscmp(argv[i], L"--filter") == 0) {
            options.filter = argv[i + 1];
        } else if (std::wcscmp(argv[i], L"--close-after") == 0) {
            options.closeAfterMs = static_cast<int>(std::wcstol(argv[i + 1], nullptr, 10));
        } else {
            std::fwprintf(stderr, L"show-dialog: unknown option %ls\n", argv[i]);
            return 2;
        }
    }
    if (options.solution.empty()) {
        std::fwprintf(stderr, L"usage: show-dialog --solution FILE.sln [--filter TEXT] [--close-after MS]\n");
        return 2;
    }
    SolutionModel model;
    if (!LoadModel(options.solution, model)) return 1;

    // What the environment does before any add-in runs.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);

    INT_PTR code;
    {
        const sprig::ComPtr<IDispatch> root = sprig::host::CreateModelRoot(model);
        sprig::DispatchSolutionView view(root);
        sprig::CSprig dialog(root, view);
        std::pair<Options, DWORD> typing{options, GetCurrentThreadId()};
        const sprig::Handle typist(CreateThread(nullptr, 0, Typist, &typing, 0, nullptr));
        // The environment runs the dialog from its main window, which is active at that moment;
        // a plain window stands in for it.
        const sprig::Window owner(CreateWindowExW(0, L"STATIC", L"Stand-in environment",
                                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 120, nullptr, nullptr,
                                                  nullptr, nullptr));
        SetForegroundWindow(owner.get());
        code = dialog.DoModal(owner.get());
        if (typist) WaitForSingleObject(typist.get(), INFINITE);
    }
    CoUninitialize();
    for (const auto& request : model.itemOperations.requests) {
        std::printf("opened %ls %ls\n", sprig::Wide(request.fileName), sprig::Wide(request.viewKind));
    }
    std::printf("ended %d\n", static_cast<int>(code));
    return 0;
}
