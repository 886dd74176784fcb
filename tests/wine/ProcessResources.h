// What the test program holds, counted so that a test can see a leak: GDI objects, heap blocks of
// the program's own operator new, and the process's private memory. The operator new that counts
// (and can refuse) is defined once for the program, in dialog_failure_test.cpp.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstddef>
#include <vector>

#include "win/Owners.h"

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

// The identifiers of the process's threads that are alive.
inline std::vector<DWORD> LiveThreads() {
    std::vector<DWORD> threads;
    const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.push_back(entry.th32ThreadID);
    }
    return threads;
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
