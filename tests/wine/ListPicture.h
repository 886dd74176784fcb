// A list view's client area as the list paints itself into a bitmap (WM_PRINTCLIENT, so that no
// window may cover it), for reading back what it drew.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "win/Owners.h"

namespace sprig::testing {

// One 0x00RRGGBB value per pixel, the top row first. The list may belong to another thread.
class Picture {
public:
    // The bitmap starts as `fill`, which shows where the window drew nothing.
    explicit Picture(HWND list, DWORD fill = 0) {
        RECT client;
        GetClientRect(list, &client);
        width = client.right;
        height = client.bottom;
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(format.bmiHeader);
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height;  // top row first
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        const std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&DeleteDC)> dc(CreateCompatibleDC(nullptr),
                                                                                  &DeleteDC);
        void* bits = nullptr;
        const GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits) return;
        std::fill_n(static_cast<DWORD*>(bits), width * height, fill);
        const HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
        SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        const auto* drawn = static_cast<const DWORD*>(bits);
        for (int i = 0; i < width * height; ++i) pixels.push_back(drawn[i] & 0xFFFFFF);
        SelectObject(dc.get(), previous);
    }

    DWORD At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }

    int width, height;
    std::vector<DWORD> pixels;
};

// "x,y" of the first pixel where two pictures of one list differ, or nothing when they are alike.
inline std::string FirstDifference(const Picture& a, const Picture& b) {
    if (a.pixels.size() != b.pixels.size()) return "sizes differ";
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        if (a.pixels[i] != b.pixels[i]) return std::to_string(i % a.width) + "," + std::to_string(i / a.width);
    }
    return "";
}

// A window-system colour as the bitmap holds it.
inline DWORD PixelOf(int colour) {
    const COLORREF c = GetSysColor(colour);
    return static_cast<DWORD>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

}  // namespace sprig::testing
