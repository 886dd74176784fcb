// The DLL's module object: the lock count that decides when the DLL may unload, the module
// instance, the one class that the DLL serves and its cached class object, registration, and the
// release of what the module keeps at unload.
#pragma once

#include <windows.h>

#include <vector>

#include "addin/ClassFactory.h"
#include "addin/core/Registration.h"

namespace sprig {

// One class that the DLL serves.
struct ClassEntry {
    const CLSID& classId;
    CClassFactory::CreateFunction createInstance;
    const std::vector<RegistryTree>& (*registration)();
    // Created on first request and kept until unload; published by an interlocked exchange.
    CClassFactory* classObject;
};

class CAddInModule {
public:
    CAddInModule();
    CAddInModule(const CAddInModule&) = delete;
    CAddInModule& operator=(const CAddInModule&) = delete;

    // The lock count counts the reasons not to unload: each live connection object, each
    // LockServer(TRUE) not yet undone, each client reference on the class object. Each answers
    // the new count; any thread may call them.
    long Lock() { return InterlockedIncrement(&lockCount_); }
    long Unlock() { return InterlockedDecrement(&lockCount_); }
    long GetLockCount() { return InterlockedCompareExchange(&lockCount_, 0, 0); }

    // True when the module's lock could not be made; the entry point then refuses the load.
    bool InitFailed() const { return initFailed_; }
    void SetInstance(HINSTANCE instance) { instance_ = instance; }

    // The class object for `classId`, asked for `iid`, created once however many threads ask.
    HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out);
    // The registry entries and the type library, written or removed in the system's default locale.
    HRESULT RegisterServer();
    HRESULT UnregisterServer();
    // At unload: releases the class object and the cached type information, deletes the lock.
    void Terminate();

private:
    LONG lockCount_ = 0;
    HINSTANCE instance_ = nullptr;  // set by the entry point
    bool initFailed_ = false;
    CRITICAL_SECTION lock_;  // guards the first creation of the class object
    ClassEntry entry_;
};

// The one module object, built before the entry point runs.
extern CAddInModule Module;

}  // namespace sprig
