#include "addin/TypeInfo.h"

#include "win/ComPtr.h"

namespace sprig {

void TypeInfoCache::Clear() {
    if (void* info = InterlockedExchangePointer(reinterpret_cast<void**>(&info_), nullptr)) {
        static_cast<ITypeInfo*>(info)->Release();
    }
}

HRESULT TypeInfoCache::Get(ITypeInfo*& info) {
    info =
        static_cast<ITypeInfo*>(InterlockedCompareExchangePointer(reinterpret_cast<void**>(&info_), nullptr, nullptr));
    if (info) return S_OK;
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(library_, major_, minor_, 0, library.put());
    ComPtr<ITypeInfo> loaded;
    if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(face_, loaded.put());
    if (FAILED(hr)) return hr;
    // Two apartments may load at once; the first to publish wins and the other's copy goes.
    void* previous = InterlockedCompareExchangePointer(reinterpret_cast<void**>(&info_), loaded.get(), nullptr);
    info = previous ? static_cast<ITypeInfo*>(previous) : loaded.release();
    return S_OK;
}

}  // namespace sprig
