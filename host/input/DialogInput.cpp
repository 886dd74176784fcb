#include "host/input/DialogInput.h"

#include "resources/resource.h"

namespace sprig::input {
namespace {

BOOL CALLBACK TakeDialog(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, IDC_FILTER_EDIT)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A null window would post to this thread's own queue.
bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return window && PostMessageW(window, message, wParam, lParam);
}

}  // namespace

HWND FindDialog(DWORD thread) {
    HWND dialog = nullptr;
    EnumThreadWindows(thread, TakeDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

void SendText(HWND window, std::wstring_view text) {
    for (const wchar_t unit : text) SendMessageW(window, WM_CHAR, unit, 1);
}

bool PostText(HWND window, std::wstring_view text) {
    bool posted = true;
    for (const wchar_t unit : text) posted = Post(window, WM_CHAR, unit, 1) && posted;
    return posted;
}

bool PostKey(HWND window, UINT key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, 0 /* MAPVK_VK_TO_VSC */)) << 16;
    const bool down = Post(window, WM_KEYDOWN, key, scan | 1);
    const bool up = Post(window, WM_KEYUP, key, scan | 1 | 0xC0000000);
    return down && up;
}

bool PostClick(HWND button) { return Post(button, BM_CLICK, 0, 0); }

bool PostClose(HWND window) { return Post(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace sprig::input
