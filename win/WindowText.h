// The text a window holds, read whole.
#pragma once

#include <windows.h>

#include <string>

namespace sprig {

// The window's text; empty for no window.
std::u16string WindowText(HWND window);

}  // namespace sprig
