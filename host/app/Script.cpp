#include "host/app/Script.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "host/core/KeyBinding.h"
#include "host/app/MainMenu.h"
#include "host/input/DialogInput.h"
#include "resources/resource.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

using input::WaitUntil;

void PressKey(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

// Presses `binding` on the keyboard: modifiers down, the key down and up, modifiers up.
void PressBinding(const KeyBinding& binding) {
    std::vector<WORD> keys;
    if (binding.ctrl) keys.push_back(VK_CONTROL);
    if (binding.shift) keys.push_back(VK_SHIFT);
    if (binding.alt) keys.push_back(VK_MENU);
    keys.push_back(binding.key);
    for (const WORD key : keys) PressKey(key, false);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) PressKey(*key, true);
}

// The shell shows folders in windows of this class, in whichever process it chooses.
constexpr wchar_t FolderWindowClass[] = L"ExplorerWClass";

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

// The access key of the Tools menu: the unit after the caption's "&", in lower case.
wchar_t ToolsAccessKey(const Options& options) {
    const std::u16string_view caption = FindLanguage(options.language)->toolsCaption;
    const std::size_t mark = caption.find(u'&');
    return static_cast<wchar_t>(std::towlower(caption[mark + 1]));
}

}  // namespace

void Script::Run() {
    if (options_.showTools) ShowTools();
    bool started = false;
    if (!options_.runCommand.empty()) {
        started = StartNamedCommand();
    } else if (options_.shortcut) {
        started = PressShortcut();
    }
    if (started && options_.typing) DriveDialog();
    if (started) AwaitCommand();
    if (options_.quit) {
        Sleep(options_.pauseMs);
        PostMessageW(frame_, WM_CLOSE, 0, 0);
    }
}

// Drops the Tools menu from its access key, reports it, and closes it again.
void Script::ShowTools() {
    // The menu's own loop runs on the window's thread until Escape reaches it.
    PostMessageW(frame_, WM_SYSCOMMAND, SC_KEYMENU, ToolsAccessKey(options_));
    std::wstring dropped;
    WaitUntil(10000, [&] { return !(dropped = RaiseDroppedMenu(frame_)).empty(); });
    Sleep(300);  // for Wine to draw the raised menu
    report_(dropped.empty() ? L"no menu dropped" : L"menu " + dropped + L" dropped");
    Sleep(options_.pauseMs);
    // One Escape closes the dropped menu, the next leaves the menu bar.
    input::PostKey(frame_, VK_ESCAPE);
    input::PostKey(frame_, VK_ESCAPE);
    const bool closed = WaitUntil(10000, [&] {
        GUITHREADINFO state{};
        state.cbSize = sizeof(state);
        return GetGUIThreadInfo(FrameThread(), &state) && !(state.flags & GUI_INMENUMODE);
    });
    report_(closed ? L"menu closed" : L"menu stays");
}

// Runs the command of the name asked for, as its menu entry does; false when there is none.
bool Script::StartNamedCommand() {
    const auto& commands = commands_.commands;
    for (std::size_t index = 0; index < commands.size(); ++index) {
        if (lstrcmpiW(WideString(commands[index].name).c_str(), options_.runCommand.c_str()) == 0) {
            PostMessageW(frame_, WM_COMMAND, FirstCommandId + index, 0);
            return true;
        }
    }
    report_(L"no command " + options_.runCommand);
    return false;
}

// Presses the first command's key binding on the keyboard; false when no command has one.
bool Script::PressShortcut() {
    SetForegroundWindow(frame_);
    for (const auto& command : commands_.commands) {
        KeyBinding binding;
        if (!command.bindings.empty() && ParseKeyBinding(command.bindings.front(), binding)) {
            report_(L"pressing " + WideString(command.bindings.front()));
            PressBinding(binding);
            return true;
        }
    }
    report_(L"no shortcut to press");
    return false;
}

// Types into the dialog that the command opened, reports its title, and presses the keys.
void Script::DriveDialog() {
    HWND dialog = nullptr;
    WaitUntil(20000, [&] { return (dialog = input::FindDialog(FrameThread())) || commandsRun_ != 0; });
    if (!dialog) {
        report_(L"no dialog");
        return;
    }
    HWND edit = GetDlgItem(dialog, IDC_FILTER_EDIT);
    // Sent, so that the title is read once the last one has been handled.
    input::SendText(edit, options_.type);
    wchar_t title[512];
    GetWindowTextW(dialog, title, 512);
    report_(std::wstring(L"dialog ") + title);
    Sleep(options_.pauseMs);
    for (const DialogKey& key : options_.keys) {
        if (key.control) {
            input::PostClick(GetDlgItem(dialog, key.control));
        } else {
            input::PostKey(edit, key.key);
        }
    }
}

// Waits for the command to end, and for the folder window that an explore key opens (up to 15 s),
// reports its title and closes it.
void Script::AwaitCommand() {
    WaitUntil(60000, [&] { return commandsRun_ != 0 || !IsWindow(frame_); });
    for (const DialogKey& key : options_.keys) {
        if (key.control != IDC_EXPLORE) continue;
        HWND folder = nullptr;
        if (!WaitUntil(15000, [&] { return (folder = FindWindowW(FolderWindowClass, nullptr)) != nullptr; })) {
            report_(L"no folder window");
            continue;
        }
        wchar_t title[512] = {};
        // The window may be up before its title is set.
        WaitUntil(5000, [&] { return GetWindowTextW(folder, title, 512) != 0; });
        report_(std::wstring(L"explored ") + title);
        PostMessageW(folder, WM_CLOSE, 0, 0);
    }
}

}  // namespace sprig::host
