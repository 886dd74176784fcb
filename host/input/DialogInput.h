// The hands that work the file dialog from outside it, as a person would: finding it on its
// thread, typing into it, pressing keys and clicking its buttons. The stand-in environment's
// scripted run, show-dialog and the Wine tests drive the dialog through these alone.
#pragma once

#include <windows.h>

#include <string_view>

namespace sprig::input {

// Polls `done` every `stepMs` until it holds or `timeoutMs` has passed; gives its last answer.
template <typename Condition>
bool WaitUntil(DWORD timeoutMs, Condition done, DWORD stepMs = 20) {
    for (DWORD waited = 0; waited < timeoutMs; waited += stepMs) {
        if (done()) return true;
        Sleep(stepMs);
    }
    return done();
}

// The visible window of `thread` that has the filter box, or null.
HWND FindDialog(DWORD thread);

// Types `text` into `window` as characters. Sent, they are handled by the time this returns;
// posted, they go through the thread's message loop, in order after what was posted before.
void SendText(HWND window, std::wstring_view text);
// The Post calls answer false when a message could not be posted (no window, or it is gone).
bool PostText(HWND window, std::wstring_view text);

// A key's press and release, as the keyboard delivers them.
bool PostKey(HWND window, UINT key);

// A click on a button: its command reaches the dialog as from the mouse.
bool PostClick(HWND button);

// The close command of the window's system menu.
bool PostClose(HWND window);

}  // namespace sprig::input
