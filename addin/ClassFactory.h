// The class object of the DLL's one class. The module keeps one reference of its own from the
// first request until unload; that reference does not keep the DLL loaded, every client's does.
#pragma once

#include <windows.h>

namespace sprig {

class CClassFactory final : public IClassFactory {
public:
    // A new object makes its instances with `create` (the interface asked for, the out pointer).
    // It starts with the one reference that the module keeps.
    using CreateFunction = HRESULT (*)(REFIID iid, void** out);
    explicit CClassFactory(CreateFunction create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    // A client's first reference (1 to 2) locks the module; giving back the last (2 to 1) unlocks it.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CClassFactory() = default;
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    LONG references_ = 1;  // any thread may hold the class object
    CreateFunction create_;
};

}  // namespace sprig
