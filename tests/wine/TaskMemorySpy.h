// Watches the COM task allocator (CoTaskMemAlloc, CoTaskMemFree) of the whole process through a
// registered malloc spy: which blocks were handed out while it watched, which of them are still
// not freed, and how many were live at most at any one time.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <set>

// oleaut32's switch for its cache of freed BSTRs (no header declares it).
extern "C" void SetOaNoCache();

namespace sprig::testing {

class TaskMemorySpy final : public IMallocSpy {
public:
    // One spy for the process: COM keeps a spy that is revoked while blocks it saw are still
    // live, so it must never go away.
    static TaskMemorySpy& Instance() {
        static TaskMemorySpy* const spy = new TaskMemorySpy;
        return *spy;
    }

    // Forgets what it saw and starts watching; false when COM refused. A spy stopped while blocks
    // it saw were live is still registered. Freed BSTRs go back to the allocator from then on,
    // instead of into a cache where they would look live (and where Wine's allocator trips over
    // its spy).
    bool Start() {
        SetOaNoCache();
        {
            const Lock lock(*this);
            live_.clear();
            seen_.clear();
            peak_ = 0;
        }
        const HRESULT hr = CoRegisterMallocSpy(this);
        return SUCCEEDED(hr) || hr == CO_E_OBJISREG;
    }
    void Stop() { CoRevokeMallocSpy(); }

    std::size_t Live() const {
        const Lock lock(*this);
        return live_.size();
    }
    std::size_t Peak() const {
        const Lock lock(*this);
        return peak_;
    }
    bool Seen(const void* block) const {
        const Lock lock(*this);
        return seen_.count(block) != 0;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IMallocSpy ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override {
        if (block) Add(block);
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
        const Lock lock(*this);
        live_.erase(block);
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** request, BOOL) override {
        PreFree(block, FALSE);
        *request = block;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return PostAlloc(block); }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int answer) override { return answer; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    TaskMemorySpy() { InitializeCriticalSection(&lock_); }

    // The allocator calls the spy from whichever thread allocates.
    struct Lock {
        explicit Lock(const TaskMemorySpy& spy) : section(spy.lock_) { EnterCriticalSection(&section); }
        ~Lock() { LeaveCriticalSection(&section); }
        CRITICAL_SECTION& section;
    };

    void Add(void* block) {
        const Lock lock(*this);
        live_.insert(block);
        seen_.insert(block);
        peak_ = std::max(peak_, live_.size());
    }

    mutable CRITICAL_SECTION lock_;
    std::set<const void*> live_;
    std::set<const void*> seen_;
    std::size_t peak_ = 0;
};

}  // namespace sprig::testing
