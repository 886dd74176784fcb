#include "addin/ClassFactory.h"

#include "addin/Module.h"

namespace sprig {

HRESULT CClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG CClassFactory::AddRef() {
    const LONG count = InterlockedIncrement(&references_);
    if (count == 2) Module.Lock();
    return count;
}

ULONG CClassFactory::Release() {
    const LONG count = InterlockedDecrement(&references_);
    if (count == 1) Module.Unlock();
    if (count == 0) delete this;
    return count;
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, out);
}

HRESULT CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        Module.Lock();
    } else {
        Module.Unlock();
    }
    return S_OK;
}

}  // namespace sprig
