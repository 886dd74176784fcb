// sprig-host [--solution FILE.sln] [--run-command NAME] [--shortcut] [--type TEXT] [--keys KEYS]
//            [--pause MS] [--show-tools] [--quit] [--forget]
//            [--version 8.0|9.0|10.0|11.0|12.0] [--language CODE] [--localized-bars] [--no-tools-menu]
//
// The stand-in environment: a main window with a File and a Tools menu, a solution loaded from
// disk and served through the automation model, and the add-ins registered with the environment,
// loaded as the environment loads them. Every step is printed on standard output, one line each,
// for scripts and tests:
//   --show-tools        drops the Tools menu from its access key for a while (see --pause) and
//                       closes it again, printing "menu Tools dropped" and "menu closed";
//   --run-command NAME  runs the command of that full name once the window is up, as its menu
//                       entry does;
//   --shortcut          presses the first command's key binding on the keyboard instead;
//   --type TEXT         types TEXT into the filter box of the dialog that the command opens and
//                       prints its title;
//   --keys KEYS         then presses these keys in it: a list of "enter", "escape", "down", "up",
//                       "viewcode", a click on the View Code check box, and "explore", a click on
//                       the Explore button, after which the shell's folder window is awaited,
//                       its title printed and the window closed;
//   --pause MS          waits that long after typing, and again before quitting, so that a
//                       script can take a picture of the screen;
//   --quit              ends once the command is done (or at once when none is run);
//   --forget            forgets the preloaded add-ins and kept commands before starting;
//   --version V         plays that version of the environment: its add-ins, its record of the
//                       preloaded ones and its kept commands (default 8.0);
//   --language CODE     captions the menus as the environment of that user-interface language
//                       does and answers its LocaleID: en (default), de, fr, es, it, ja, ko,
//                       zh-CN, zh-TW. The command bars keep their English names ("Tools"),
//   --localized-bars    unless this names them in that language too;
//   --no-tools-menu     leaves the Tools menu off the menu bar.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "host/app/AddInHost.h"
#include "host/app/DocumentViews.h"
#include "host/app/HostRegistry.h"
#include "host/core/KeyBinding.h"
#include "host/app/MainMenu.h"
#include "host/com/ModelObjects.h"
#include "host/com/TypeLibraries.h"
#include "solution/loader/DiskFiles.h"
#include "solution/loader/SolutionLoader.h"
#include "resources/resource.h"
#include "win/Owners.h"
#include "win/WideText.h"

namespace {

using sprig::WideString;
using sprig::model::SolutionModel;

using sprig::host::ExitId;
using sprig::host::FirstCommandId;
using sprig::host::OpenSolutionId;

struct Options {
    std::u16string solution;
    std::wstring runCommand;
    bool shortcut = false;
    std::wstring type;
    std::vector<std::wstring> keys;
    bool typing = false;
    bool quit = false;
    bool forget = false;
    DWORD pauseMs = 0;
    bool showTools = false;
    std::wstring version = sprig::host::DefaultVersion;
    std::wstring language = L"en";
    bool localizedBars = false;
    bool noToolsMenu = false;
};

// How the environment of one user-interface language captions its menus. The menu bar's control
// is found by its name; its caption carries the access key's mark.
struct Language {
    const wchar_t* code;
    std::int32_t localeId;
    const char16_t* toolsName;
    const char16_t* toolsCaption;
    const char16_t* options;  // the environment's own entry in the Tools menu
};
const Language Languages[] = {
    {L"en", 1033, u"Tools", u"&Tools", u"Options..."},
    {L"de", 1031, u"Extras", u"E&xtras", u"Optionen..."},
    {L"fr", 1036, u"Outils", u"&Outils", u"Options..."},
    {L"es", 3082, u"Herramientas", u"&Herramientas", u"Opciones..."},
    {L"it", 1040, u"Strumenti", u"&Strumenti", u"Opzioni..."},
    {L"ja", 1041, u"ツール", u"ツール(&T)", u"オプション(&O)..."},
    {L"ko", 1042, u"도구", u"도구(&T)", u"옵션(&O)..."},
    {L"zh-CN", 2052, u"工具", u"工具(&T)", u"选项(&O)..."},
    {L"zh-TW", 1028, u"工具", u"工具(&T)", u"選項(&O)..."},
};

const Language* FindLanguage(std::wstring_view code) {
    for (const Language& language : Languages) {
        if (code == language.code) return &language;
    }
    return nullptr;
}

void Print(std::wstring_view line) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), text.data(), size, nullptr, nullptr);
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// The menu bar, with the Tools menu as the language captions it; its bar is also listed among the
// command bars, under its English name or the language's.
sprig::model::CommandBar& MenuBarOf(SolutionModel& model, const Options& options) {
    const Language& language = *FindLanguage(options.language);
    model.localeId = language.localeId;
    sprig::model::CommandBar& bar = model.AddCommandBar(u"MenuBar");
    if (options.noToolsMenu) return bar;
    sprig::model::CommandBar& tools = model.AddPopup(bar, language.toolsName);
    bar.controls.entries.back().object->caption = language.toolsCaption;
    model.commandBars.Add(tools);
    if (!options.localizedBars) tools.name = u"Tools";
    // An entry of the environment's own, so that a control asked for at position 1 shows first.
    model.AddControl(tools, language.options);
    return bar;
}

// The access key of the Tools menu: the unit after the caption's "&", in lower case.
wchar_t ToolsAccessKey(const Options& options) {
    const std::u16string_view caption = FindLanguage(options.language)->toolsCaption;
    const std::size_t mark = caption.find(u'&');
    return static_cast<wchar_t>(std::towlower(caption[mark + 1]));
}

class Environment {
public:
    explicit Environment(Options options)
        : options_(std::move(options)),
          menuBar_(MenuBarOf(model_, options_)),
          root_(sprig::host::CreateModelRoot(model_)),
          host_(model_, root_, Print, options_.version) {
        sprig::host::RestoreCommands(model_, menuBar_, options_.version);
    }

    bool LoadSolution(const std::u16string& argument);
    int Run();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunCommand(std::size_t index);
    void OpenSolution();

    // The script's steps, run in this order on a thread of its own (see Script).
    static DWORD WINAPI Script(void* self);
    void ShowTools();
    bool StartNamedCommand();
    bool PressShortcut();
    void DriveDialog();
    void AwaitCommand();
    DWORD WindowThread() const { return GetWindowThreadProcessId(window_, nullptr); }

    Options options_;
    SolutionModel model_;
    sprig::model::CommandBar& menuBar_;
    sprig::ComPtr<IDispatch> root_;
    sprig::host::AddInHost host_;
    HWND window_ = nullptr;
    sprig::host::MainMenu menu_;
    sprig::host::DocumentViews views_;
    std::size_t opened_ = 0;           // the ItemOperations requests that have a view
    std::atomic<int> commandsRun_{0};  // commands that have ended, on the window's thread
};

bool Environment::LoadSolution(const std::u16string& argument) {
    std::u16string path;
    std::string reason;
    if (!sprig::loader::FullWindowsPath(argument, path, reason)) {
        std::fprintf(stderr, "sprig-host: %s\n", reason.c_str());
        return false;
    }
    // The automation objects hold no references into the model, so a solution can be replaced
    // under them; the solution's earlier objects stay in the model until the program ends.
    model_.projects.entries.clear();
    sprig::loader::DiskFiles files;
    std::vector<sprig::loader::LoadMessage> messages;
    const bool loaded = sprig::loader::LoadSolution(path, files, model_, messages);
    for (const auto& message : messages) {
        std::fprintf(stderr, "sprig-host: %s\n", sprig::loader::DescribeMessage(message).c_str());
    }
    Print((loaded ? L"solution " : L"no solution loaded from ") + WideString(path));
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
        Print(L"opened " + title + (request.line > 0 ? L" at line " + std::to_wstring(request.line) : L""));
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
    if (GetOpenFileNameW(&dialog)) LoadSolution(sprig::Units(path));
}

LRESULT CALLBACK Environment::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Environment*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (!self) break;
        if (LOWORD(wParam) == OpenSolutionId) {
            self->OpenSolution();
        } else if (LOWORD(wParam) == ExitId) {
            DestroyWindow(window);
        } else if (LOWORD(wParam) >= FirstCommandId) {
            self->RunCommand(LOWORD(wParam) - FirstCommandId);
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
    return DefFrameProcW(window, self ? self->views_.Client() : nullptr, message, wParam, lParam);
}

// Polls `done` every 20 ms until it holds or `timeoutMs` has passed; gives its last answer.
template <typename Condition>
bool WaitUntil(int timeoutMs, Condition done) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (done()) return true;
        Sleep(20);
    }
    return done();
}

// Posts a key's press and release to `target`, as the keyboard would deliver them.
void PostKey(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 1 | (3u << 30));
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, IDC_FILTER_EDIT)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void PressKey(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

// Presses `binding` on the keyboard: modifiers down, the key down and up, modifiers up.
void PressBinding(const sprig::host::KeyBinding& binding) {
    std::vector<WORD> keys;
    if (binding.ctrl) keys.push_back(VK_CONTROL);
    if (binding.shift) keys.push_back(VK_SHIFT);
    if (binding.alt) keys.push_back(VK_MENU);
    keys.push_back(binding.key);
    for (const WORD key : keys) PressKey(key, false);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) PressKey(*key, true);
}

// Not keys: clicks on the dialog's View Code check box and Explore button.
constexpr wchar_t ViewCodeKey[] = L"viewcode";
constexpr wchar_t ExploreKey[] = L"explore";

// The shell shows folders in windows of this class, in whichever process it chooses.
constexpr wchar_t FolderWindowClass[] = L"ExplorerWClass";

// Waits for the shell's folder window (up to 15 s), prints its title and closes it.
void AwaitFolderWindow() {
    HWND folder = nullptr;
    if (!WaitUntil(15000, [&] { return (folder = FindWindowW(FolderWindowClass, nullptr)) != nullptr; })) {
        Print(L"no folder window");
        return;
    }
    wchar_t title[512] = {};
    // The window may be up before its title is set.
    WaitUntil(5000, [&] { return GetWindowTextW(folder, title, 512) != 0; });
    Print(std::wstring(L"explored ") + title);
    PostMessageW(folder, WM_CLOSE, 0, 0);
}

// The class of the system's popup menu windows.
constexpr wchar_t MenuPopupClass[] = L"#32768";

// The title on `window`'s menu bar of the menu that is dropped down, or "" when none is.
// Wine, drawing its windows on an X server without a window manager, can leave a dropped menu
// stacked under its frame window, where no screenshot sees it: taking the menu out of the topmost
// band and putting it back makes Wine restack it above the frame.
std::wstring RaiseDroppedMenu(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HWND popup = nullptr;
    while ((popup = FindWindowExW(nullptr, popup, MenuPopupClass, nullptr)) &&
           (GetWindowThreadProcessId(popup, nullptr) != thread || !IsWindowVisible(popup))) {}
    if (!popup) return {};
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(popup, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(popup, HWND_TOPMOST, 0, 0, 0, 0, flags);
    const HMENU dropped = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    const HMENU bar = GetMenu(window);
    for (int index = 0; index < GetMenuItemCount(bar); ++index) {
        if (GetSubMenu(bar, index) != dropped) continue;
        wchar_t title[128] = {};
        GetMenuStringW(bar, index, title, 128, MF_BYPOSITION);
        std::wstring text = title;
        text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());  // the access key mark
        return text;
    }
    return {};
}

UINT KeyCode(const std::wstring& name) {
    if (name == L"enter") return VK_RETURN;
    if (name == L"escape") return VK_ESCAPE;
    if (name == L"down") return VK_DOWN;
    if (name == L"up") return VK_UP;
    return 0;
}

// Drops the Tools menu from its access key, reports it, and closes it again.
void Environment::ShowTools() {
    // The menu's own loop runs on the window's thread until Escape reaches it.
    PostMessageW(window_, WM_SYSCOMMAND, SC_KEYMENU, ToolsAccessKey(options_));
    std::wstring dropped;
    WaitUntil(10000, [&] { return !(dropped = RaiseDroppedMenu(window_)).empty(); });
    Sleep(300);  // for Wine to draw the raised menu
    Print(dropped.empty() ? L"no menu dropped" : L"menu " + dropped + L" dropped");
    Sleep(options_.pauseMs);
    // One Escape closes the dropped menu, the next leaves the menu bar.
    PostKey(window_, VK_ESCAPE);
    PostKey(window_, VK_ESCAPE);
    const bool closed = WaitUntil(10000, [&] {
        GUITHREADINFO state{};
        state.cbSize = sizeof(state);
        return GetGUIThreadInfo(WindowThread(), &state) && !(state.flags & GUI_INMENUMODE);
    });
    Print(closed ? L"menu closed" : L"menu stays");
}

// Runs the command of the name asked for, as its menu entry does; false when there is none.
bool Environment::StartNamedCommand() {
    const auto& commands = model_.commands.commands;
    for (std::size_t index = 0; index < commands.size(); ++index) {
        if (lstrcmpiW(WideString(commands[index].name).c_str(), options_.runCommand.c_str()) == 0) {
            PostMessageW(window_, WM_COMMAND, FirstCommandId + index, 0);
            return true;
        }
    }
    Print(L"no command " + options_.runCommand);
    return false;
}

// Presses the first command's key binding on the keyboard; false when no command has one.
bool Environment::PressShortcut() {
    SetForegroundWindow(window_);
    for (const auto& command : model_.commands.commands) {
        sprig::host::KeyBinding binding;
        if (!command.bindings.empty() && sprig::host::ParseKeyBinding(command.bindings.front(), binding)) {
            Print(L"pressing " + WideString(command.bindings.front()));
            PressBinding(binding);
            return true;
        }
    }
    Print(L"no shortcut to press");
    return false;
}

// Types into the dialog that the command opened, reports its title, and presses the keys.
void Environment::DriveDialog() {
    HWND dialog = nullptr;
    WaitUntil(20000, [&] {
        EnumThreadWindows(WindowThread(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        return dialog || commandsRun_ != 0;
    });
    if (!dialog) {
        Print(L"no dialog");
        return;
    }
    HWND edit = GetDlgItem(dialog, IDC_FILTER_EDIT);
    // Sent, so that the title is read once the last one has been handled.
    for (const wchar_t unit : options_.type) SendMessageW(edit, WM_CHAR, unit, 1);
    wchar_t title[512];
    GetWindowTextW(dialog, title, 512);
    Print(std::wstring(L"dialog ") + title);
    Sleep(options_.pauseMs);
    for (const std::wstring& key : options_.keys) {
        if (key == ViewCodeKey || key == ExploreKey) {
            PostMessageW(GetDlgItem(dialog, key == ViewCodeKey ? IDC_VIEW_CODE : IDC_EXPLORE), BM_CLICK, 0, 0);
            continue;
        }
        PostKey(edit, KeyCode(key));
    }
}

// Waits for the command to end, and for the folder window that an explore key opens.
void Environment::AwaitCommand() {
    WaitUntil(60000, [&] { return commandsRun_ != 0 || !IsWindow(window_); });
    for (const std::wstring& key : options_.keys) {
        if (key == ExploreKey) AwaitFolderWindow();
    }
}

// The script, on a thread of its own: shows the Tools menu, starts the command, drives the dialog
// it opens, and ends the program, each when asked to.
DWORD WINAPI Environment::Script(void* parameter) {
    auto& self = *static_cast<Environment*>(parameter);
    const Options& options = self.options_;
    if (options.showTools) self.ShowTools();
    bool started = false;
    if (!options.runCommand.empty()) {
        started = self.StartNamedCommand();
    } else if (options.shortcut) {
        started = self.PressShortcut();
    }
    if (started && options.typing) self.DriveDialog();
    if (started) self.AwaitCommand();
    if (options.quit) {
        Sleep(options.pauseMs);
        PostMessageW(self.window_, WM_CLOSE, 0, 0);
    }
    return 0;
}

int Environment::Run() {
    if (host_.StartUp()) sprig::host::SaveCommands(model_, menuBar_, options_.version);
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
    menu_ = sprig::host::BuildMainMenu(model_, menuBar_, Print);
    SetMenu(window_, menu_.bar);
    if (!views_.Create(window_, menu_.window)) return 1;
    if (!options_.solution.empty()) LoadSolution(options_.solution);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    Print(L"ready");

    const sprig::Handle script(CreateThread(nullptr, 0, Script, this, 0, nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateMDISysAccel(views_.Client(), &message)) continue;
        if (menu_.accelerators && TranslateAcceleratorW(window_, menu_.accelerators.get(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (script) WaitForSingleObject(script.get(), INFINITE);
    host_.ShutDown();
    Print(L"ended");
    return 0;
}

// The keys of --keys, a comma-separated list; false after reporting one it does not know.
bool ParseKeys(const std::wstring& list, std::vector<std::wstring>& keys) {
    for (std::wstring rest = list; !rest.empty();) {
        const std::size_t comma = rest.find(L',');
        keys.push_back(rest.substr(0, comma));
        if (KeyCode(keys.back()) == 0 && keys.back() != ViewCodeKey && keys.back() != ExploreKey) {
            std::fwprintf(stderr, L"sprig-host: unknown key %ls\n", keys.back().c_str());
            return false;
        }
        rest.erase(0, comma == std::wstring::npos ? rest.size() : comma + 1);
    }
    return true;
}

// The options that switch something on, and the ones that take a value.
struct Switch {
    const wchar_t* name;
    bool Options::*flag;
};
const Switch Switches[] = {{L"--show-tools", &Options::showTools},
                           {L"--shortcut", &Options::shortcut},
                           {L"--quit", &Options::quit},
                           {L"--forget", &Options::forget},
                           {L"--localized-bars", &Options::localizedBars},
                           {L"--no-tools-menu", &Options::noToolsMenu}};
const std::wstring_view ValueOptions[] = {L"--solution", L"--run-command", L"--type",    L"--keys",
                                          L"--pause",    L"--version",     L"--language"};

// The value of one of ValueOptions into `options`; false after reporting one that it refuses.
bool ApplyValue(Options& options, std::wstring_view name, const wchar_t* value) {
    if (name == L"--solution") {
        options.solution = sprig::Units(value);
    } else if (name == L"--run-command") {
        options.runCommand = value;
    } else if (name == L"--type") {
        options.type = value;
        options.typing = true;
    } else if (name == L"--keys") {
        options.typing = true;
        return ParseKeys(value, options.keys);
    } else if (name == L"--version") {
        options.version = value;
        const auto& known = sprig::host::Versions;
        if (std::find_if(std::begin(known), std::end(known), [&](const wchar_t* v) { return options.version == v; }) ==
            std::end(known)) {
            std::fwprintf(stderr, L"sprig-host: --version wants 8.0, 9.0, 10.0, 11.0 or 12.0, not '%ls'\n", value);
            return false;
        }
    } else if (name == L"--language") {
        options.language = value;
        if (!FindLanguage(options.language)) {
            std::fwprintf(stderr, L"sprig-host: unknown language '%ls'\n", value);
            return false;
        }
    } else {
        // Plain digits only: wcstoul would take "-5" as a wait of some 49 days.
        const std::wstring_view digits = value;
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of(L"0123456789") != std::wstring_view::npos) {
            std::fwprintf(stderr, L"sprig-host: --pause wants milliseconds, 0 to 999999999, not '%ls'\n", value);
            return false;
        }
        options.pauseMs = static_cast<DWORD>(std::wcstoul(value, nullptr, 10));
    }
    return true;
}

// The command line into `options`; false after reporting what is wrong with it.
bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view name = argv[i];
        const auto on = std::find_if(std::begin(Switches), std::end(Switches),
                                     [&](const Switch& option) { return name == option.name; });
        if (on != std::end(Switches)) {
            options.*(on->flag) = true;
        } else if (std::find(std::begin(ValueOptions), std::end(ValueOptions), name) == std::end(ValueOptions)) {
            std::fwprintf(stderr, L"sprig-host: unknown option %ls\n", argv[i]);
            return false;
        } else if (i + 1 == argc) {
            std::fwprintf(stderr, L"sprig-host: %ls wants a value\n", argv[i]);
            return false;
        } else if (!ApplyValue(options, name, argv[++i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    // What the environment does before any add-in runs: a single-threaded apartment, the common
    // controls, its type libraries registered, and shell32 loaded.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"shell32.dll");
    if (options.forget) sprig::host::ForgetHostState(options.version);
    int code = 1;
    if (FAILED(sprig::host::RegisterHostTypeLibraries())) {
        std::fprintf(stderr, "sprig-host: cannot register the type libraries\n");
    } else {
        Environment environment(std::move(options));
        code = environment.Run();
    }
    CoUninitialize();
    return code;
}
