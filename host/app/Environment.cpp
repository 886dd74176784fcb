#include "host/app/Environment.h"

#include <commdlg.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "host/app/HostRegistry.h"
#include "host/app/Script.h"
#include "host/com/ModelObjects.h"
#include "solution/loader/DiskFiles.h"
#include "solution/loader/SolutionLoader.h"
#include "win/Owners.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

// The menu bar, with the Tools menu as the language captions it; its bar is also listed among the
// command bars, under its English name or the language's.
model::CommandBar& MenuBarOf(model::SolutionModel& model, const Options& options) {
    const Language& language = *FindLanguage(options.language);
    model.localeId = language.localeId;
    model::CommandBar& bar = model.AddCommandBar(u"MenuBar");
    if (options.noToolsMenu) return bar;
    model::CommandBar& tools = model.AddPopup(bar, language.toolsName);
    bar.controls.entries.back().object->caption = language.toolsCaption;
    model.commandBars.Add(tools);
    if (!options.localizedBars) tools.name = u"Tools";
    // An entry of the environment's own, so that a control asked for at position 1 shows first.
    model.AddControl(tools, language.options);
    return bar;
}

DWORD WINAPI RunScript(void* script) {
    static_cast<Script*>(script)->Run();
    return 0;
}

}  // namespace

Environment::Environment(Options options, std::function<void(std::wstring_view)> report)
    : options_(std::move(options)),
      report_(std::move(report)),
      menuBar_(MenuBarOf(model_, options_)),
      root_(CreateModelRoot(model_)),
      host_(model_, root_, report_, options_.version) {
    RestoreCommands(model_, menuBar_, options_.version);
}

bool Environment::LoadSolution(const std::u16string& argument) {
    std::u16string path;
    std::string reason;
    if (!loader::FullWindowsPath(argument, path, reason)) {
        std::fprintf(stderr, "sprig-host: %s\n", reason.c_str());
        return false;
    }
    // The automation objects hold no references into the model, so a solution can be replaced
    // under them; the solution's earlier objects stay in the model until the program ends.
    model_.projects.entries.clear();
    loader::DiskFiles files;
    std::vector<loader::LoadMessage> messages;
    const bool loaded = loader::LoadSolution(path, files, model_, messages);
    for (const auto& message : messages) {
        std::fprintf(stderr, "sprig-host: %s\n", loader::DescribeMessage(message).c_str());
    }
    report_((loaded ? L"solution " : L"no solution loaded from ") + WideString(path));
    if (window_) SetWindowTextW(window_, (L"Stand-in environment - " + WideString(path)).c_str());
    return loaded;
}

void Environment::RunCommand(std::size_t index) {
    if (index >= model_.commands.commands.size()) return;
    host_.RunCommand(model_.commands.commands[index]);
    // What the command asked ItemOperations to open, in order, now that its dialog is gone.
    const auto& requests = model_.itemOperations.requests;
    for (; opened_ < requests.size(); ++opened_) {
        const auto& request = requests[opened_];
        const std::wstring title = views_.Open(request.fileName, request.viewKind, request.line);
        report_(L"opened " + title + (request.line > 0 ? L" at line " + std::to_wstring(request.line) : L""));
    }
    ++commandsRun_;
}

void Environment::OpenSolution() {
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = L"Solution files (*.sln)\0*.sln\0All files\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog)) LoadSolution(Units(path));
}

LRESULT CALLBACK Environment::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Environment*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Messages before the window knows its environment get default processing.
    if (!self) return DefFrameProcW(window, nullptr, message, wParam, lParam);
    try {
        return self->Dispatch(window, message, wParam, lParam);
    } catch (...) {
        // Unwinding through the window system's frames would corrupt it: the exception closes the
        // window instead and Run passes it on. The first one is the cause; later ones follow.
        if (!self->failure_) self->failure_ = std::current_exception();
        DestroyWindow(window);
        return 0;
    }
}

LRESULT Environment::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == OpenSolutionId) {
            OpenSolution();
        } else if (LOWORD(wParam) == ExitId) {
            DestroyWindow(window);
        } else if (LOWORD(wParam) >= FirstCommandId) {
            RunCommand(LOWORD(wParam) - FirstCommandId);
        } else {
            break;  // the Window menu's entries
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefFrameProcW(window, views_.Client(), message, wParam, lParam);
}

int Environment::Run() {
    if (host_.StartUp()) SaveCommands(model_, menuBar_, options_.version);
    const WNDCLASSW type{0,
                         Procedure,
                         0,
                         0,
                         GetModuleHandleW(nullptr),
                         LoadIconW(nullptr, IDI_APPLICATION),
                         LoadCursorW(nullptr, IDC_ARROW),
                         reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1),
                         nullptr,
                         L"SprigStandInEnvironment"};
    RegisterClassW(&type);
    window_ = CreateWindowExW(0, type.lpszClassName, L"Stand-in environment", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                              nullptr, nullptr, type.hInstance, nullptr);
    if (!window_) return 1;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    menu_ = BuildMainMenu(model_, menuBar_, report_);
    SetMenu(window_, menu_.bar);
    if (!views_.Create(window_, menu_.window)) return 1;
    if (!options_.solution.empty()) LoadSolution(options_.solution);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    report_(L"ready");

    Script script(options_, window_, model_.commands, commandsRun_, report_);
    const Handle scriptThread(CreateThread(nullptr, 0, RunScript, &script, 0, nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateMDISysAccel(views_.Client(), &message)) continue;
        if (menu_.accelerators && TranslateAcceleratorW(window_, menu_.accelerators.get(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (scriptThread) WaitForSingleObject(scriptThread.get(), INFINITE);
    host_.ShutDown();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    report_(L"ended");
    return 0;
}

}  // namespace sprig::host
