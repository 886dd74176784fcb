// The files that add-ins open through ItemOperations, shown as read-only document views: child
// windows of the main window's client area, each an edit control with the file's text, titled
// with the file and the view kind it was asked for. The Window menu lists them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace sprig::host {

// The view kind's name for a title: "Code", "Primary", or the kind's text as given.
std::wstring ViewKindName(const std::u16string& viewKind);

class DocumentViews {
public:
    // Makes the client area of `frame`, which lists the views at the end of `windowMenu`.
    bool Create(HWND frame, HMENU windowMenu);
    HWND Client() const { return client_; }
    // A new view of `file`, brought to the front; its title is what it answers. With a `line`
    // above 0 the caret stands at the start of that line (the last one when the text is shorter),
    // scrolled to the top of the view.
    std::wstring Open(const std::u16string& file, const std::u16string& viewKind, std::int32_t line = 0);

private:
    HWND client_ = nullptr;
};

}  // namespace sprig::host
