// Owners of the window system's and the kernel's handles, one deleter each, so that no path
// releases by hand. Registry keys have their own owner in KeyOwner.h.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <type_traits>

namespace sprig {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A kernel handle: a thread, an event, a file.
using Handle = std::unique_ptr<void, HandleCloser>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
// A font, a bitmap or another drawing object.
template <class H>
using GdiObject = std::unique_ptr<std::remove_pointer_t<H>, GdiObjectDeleter>;
using Font = GdiObject<HFONT>;

// A drawing context made in memory (CreateCompatibleDC).
struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// A menu that no window owns (a window destroys the menu it shows).
struct MenuDestroyer {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

struct AcceleratorDestroyer {
    void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
};
using Accelerators = std::unique_ptr<std::remove_pointer_t<HACCEL>, AcceleratorDestroyer>;

struct HookRemover {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using Hook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookRemover>;

// A library loaded with LoadLibrary.
struct LibraryFreer {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

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
struct TaskMemoryFree {
    void operator()(void* block) const { CoTaskMemFree(block); }
};
template <class T>
using TaskMemory = std::unique_ptr<T, TaskMemoryFree>;

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
