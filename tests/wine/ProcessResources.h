// What the test program holds, counted so that a test can see a leak: GDI objects, heap blocks of
// the program's own operator new, and the process's private memory. The operator new that counts
// (and can refuse) is defined once for the program, in dialog_failure_test.cpp.
#pragma once

#include <windows.h>

#include <cstddef>

namespace sprig::testing {

// Live GDI objects of the process. Wine's GetGuiResources answers 0, so there the handle table is
// probed: a handle's low word is its index, and a handle with a high word of 0 stands for
// whatever object lives at that index.
inline long LiveGdiObjects() {
    if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(counted);
    long live = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) live += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    return live;
}

// Blocks of operator new not yet deleted, on every thread.
long LiveHeapBlocks();

// The process's private memory in bytes, as the system counts it.
std::size_t PrivateBytes();

// From now on allocations on `thread` are counted; after `allowed` of them, the next `refusals`
// throw std::bad_alloc. StopRefusing ends it and answers how many were refused.
void RefuseAllocations(DWORD thread, long allowed, long refusals = 0x7FFFFFFF);
long StopRefusing();
// How many allocations the thread made since RefuseAllocations.
long AllocationsCounted();

}  // namespace sprig::testing
