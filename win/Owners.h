// Owners of the window system's and the kernel's handles, each releasing with its one call, so
// that no path releases by hand. Registry keys have their own owner in KeyOwner.h.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <type_traits>

namespace sprig {

// Releases a handle with `Release`, one call, whatever it answers: an owner's destructor has no
// one to tell of a failure.
template <auto Release>
struct Releaser {
    template <class H>
    void operator()(H handle) const {
        Release(handle);
    }
};
// Owns a handle of type `H` (a pointer type) and releases it with `Release`.
template <class H, auto Release>
using Owner = std::unique_ptr<std::remove_pointer_t<H>, Releaser<Release>>;

// A kernel handle: a thread, an event, a file.
using Handle = Owner<HANDLE, CloseHandle>;

using Icon = Owner<HICON, DestroyIcon>;

// A font, a bitmap or another drawing object.
template <class H>
using GdiObject = Owner<H, DeleteObject>;
using Font = GdiObject<HFONT>;

// A drawing context made in memory (CreateCompatibleDC).
using MemoryDc = Owner<HDC, DeleteDC>;

using Window = Owner<HWND, DestroyWindow>;

// A menu that no window owns (a window destroys the menu it shows).
using Menu = Owner<HMENU, DestroyMenu>;

using Accelerators = Owner<HACCEL, DestroyAcceleratorTable>;

using Hook = Owner<HHOOK, UnhookWindowsHookEx>;

// A library loaded with LoadLibrary.
using Library = Owner<HMODULE, FreeLibrary>;

// A window's drawing context, given back to the window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A block from the COM task allocator.
template <class T>
using TaskMemory = std::unique_ptr<T, Releaser<CoTaskMemFree>>;

// A critical section for the life of its owner.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    CRITICAL_SECTION& get() { return section_; }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section for the life of the scope.
class CriticalSectionHold {
public:
    explicit CriticalSectionHold(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    ~CriticalSectionHold() { LeaveCriticalSection(&section_); }
    CriticalSectionHold(const CriticalSectionHold&) = delete;
    CriticalSectionHold& operator=(const CriticalSectionHold&) = delete;

private:
    CRITICAL_SECTION& section_;
};

// The object in `slot`, made by `make` the first time however many threads ask at once. A thread
// that finds none takes `lock` and looks again before making one: another thread may have made it
// while this one waited. `make` answers null when it cannot; the slot then stays empty.
template <class T, class Make>
T* MadeOnce(T*& slot, CRITICAL_SECTION& lock, Make make) {
    auto published = [&slot] {
        return static_cast<T*>(InterlockedCompareExchangePointer(reinterpret_cast<void**>(&slot), nullptr, nullptr));
    };
    if (T* made = published()) return made;
    const CriticalSectionHold hold(lock);
    if (T* made = published()) return made;
    T* made = make();
    if (made) InterlockedExchangePointer(reinterpret_cast<void**>(&slot), made);
    return made;
}

}  // namespace sprig
