// IDispatch for one face of an object, carried out by the type information of the face's
// interface in a registered type library. The type information is loaded on first use and kept
// until the module unloads.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace sprig {

// The type information of one interface of a registered library.
class TypeInfoCache {
public:
    constexpr TypeInfoCache(const GUID& library, WORD major, WORD minor, const IID& face)
        : library_(library), major_(major), minor_(minor), face_(face) {}
    TypeInfoCache(const TypeInfoCache&) = delete;
    TypeInfoCache& operator=(const TypeInfoCache&) = delete;
    ~TypeInfoCache();

    // The type information, loaded on the first call; the cache keeps the reference. A failure to
    // load is answered and tried again on the next call.
    HRESULT Get(ITypeInfo*& info);

private:
    const GUID& library_;
    WORD major_, minor_;
    const IID& face_;
    ITypeInfo* info_ = nullptr;  // published once, by an interlocked exchange
};

// Implements the IDispatch members of the interface Face from `typeInfo`; the object that derives
// from it implements IUnknown and the members of Face.
template <class Face, TypeInfoCache& typeInfo>
class DispatchFace : public Face {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
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

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* info;
        const HRESULT hr = typeInfo.Get(info);
        return FAILED(hr) ? hr : DispGetIDsOfNames(info, names, count, ids);
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* info;
        const HRESULT hr = typeInfo.Get(info);
        if (FAILED(hr)) return hr;
        // The type information calls this face's own vtable.
        return DispInvoke(static_cast<Face*>(this), info, id, flags, parameters, result, exception, argumentError);
    }
};

}  // namespace sprig
