#include "addin/Module.h"

#include <new>

#include "SprigLib.h"
#include "addin/Connect.h"
#include "win/Guarded.h"
#include "win/Owners.h"
#include "addin/Registrar.h"

namespace sprig {

CAddInModule Module;

CAddInModule::CAddInModule() : entry_{__uuidof(Connect), &CConnect::Create, &ServerRegistration, nullptr} {
    // Unlike InitializeCriticalSection, this one reports running out of memory.
    initFailed_ = !InitializeCriticalSectionAndSpinCount(&lock_, 0);
}

HRESULT CAddInModule::GetClassObject(REFCLSID classId, REFIID iid, void** out) {
    if (initFailed_) return E_UNEXPECTED;
    if (!out) return E_POINTER;
    *out = nullptr;
    if (classId != entry_.classId) return CLASS_E_CLASSNOTAVAILABLE;
    CClassFactory* factory =
        MadeOnce(entry_.classObject, lock_, [&] { return new (std::nothrow) CClassFactory(entry_.createInstance); });
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(iid, out);
}

HRESULT CAddInModule::RegisterServer() {
    const SystemLocaleScope locale;
    return Guarded([&] {
        // The path is found first: a path too long to hold is never written cut.
        std::u16string path;
        HRESULT hr = ModuleFilePath(instance_, path);
        // The class implements no component categories, so there are none to register.
        if (SUCCEEDED(hr)) hr = UpdateRegistry(entry_.registration(), RegistrationMode::Register, path);
        if (SUCCEEDED(hr)) hr = RegisterTypeLibraryOf(path);
        return hr;
    });
}

HRESULT CAddInModule::UnregisterServer() {
    const SystemLocaleScope locale;
    return Guarded([&] {
        HRESULT hr = UpdateRegistry(entry_.registration(), RegistrationMode::Unregister, {});
        std::u16string path;
        if (SUCCEEDED(hr)) hr = ModuleFilePath(instance_, path);
        if (SUCCEEDED(hr)) hr = UnregisterTypeLibraryOf(path);
        return FAILED(hr) ? hr : S_OK;
    });
}

void CAddInModule::Terminate() {
    if (void* factory = InterlockedExchangePointer(reinterpret_cast<void**>(&entry_.classObject), nullptr)) {
        static_cast<CClassFactory*>(factory)->Release();
    }
    CommandTargetTypeInfo.Clear();
    ExtensibilityTypeInfo.Clear();
    if (!initFailed_) DeleteCriticalSection(&lock_);
}

}  // namespace sprig
