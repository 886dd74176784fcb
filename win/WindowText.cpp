#include "win/WindowText.h"

#include "win/WideText.h"

namespace sprig {

std::u16string WindowText(HWND window) {
    if (!window) return {};
    // Room for the terminator the copy writes; the length may overstate the text, and the copy
    // says how much there is.
    const int room = GetWindowTextLengthW(window) + 1;
    std::u16string text(static_cast<std::size_t>(room), u'\0');
    const int copied = GetWindowTextW(window, Wide(text.data()), room);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace sprig
