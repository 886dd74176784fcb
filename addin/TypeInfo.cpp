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
    HRESULT hr = load_ ? load_(library.put()) : LoadRegTypeLib(*library_, major_, minor_, 0, library.put());
    ComPtr<ITypeInfo> loaded;
    if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(face_, loaded.put());
    if (FAILED(hr)) return hr;
    // Two apartments may load at once; the first to publish wins and the other's copy goes.
    void* previous = InterlockedCompareExchangePointer(reinterpret_cast<void**>(&info_), loaded.get(), nullptr);
    info = previous ? static_cast<ITypeInfo*>(previous) : loaded.release();
    return S_OK;
}

HRESULT GiveTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT GiveTypeInfo(TypeInfoCache& typeInfo, UINT index, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* info;
    const HRESULT hr = typeInfo.Get(info);
    if (FAILED(hr)) return hr;
    info->AddRef();
    *out = info;
    return S_OK;
}

HRESULT DispatchIdsOfNames(TypeInfoCache& typeInfo, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info;
    const HRESULT hr = typeInfo.Get(info);
    return FAILED(hr) ? hr : DispGetIDsOfNames(info, names, count, ids);
}

HRESULT DispatchInvoke(TypeInfoCache& typeInfo, void* face, DISPID id, REFIID iid, WORD flags, DISPPARAMS* parameters,
                       VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info;
    const HRESULT hr = typeInfo.Get(info);
    if (FAILED(hr)) return hr;
    // The type information checks the call's shape and arguments and calls the face's own vtable.
    return DispInvoke(face, info, id, flags, parameters, result, exception, argumentError);
}

}  // namespace sprig
