// IDispatch for one face of an object, carried out by the type information of the face's
// interface in a type library (registered, or among the module's own resources). The type
// information is loaded on first use and kept until the module unloads.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace sprig {

// The type information of one interface of a library. The cache has no destructor: the module
// clears it when the DLL is freed, and leaves it to the system when the process ends.
class TypeInfoCache {
public:
    using LibraryLoader = HRESULT (*)(ITypeLib** library);

    // From the registered library of that identifier and version.
    constexpr TypeInfoCache(const GUID& library, WORD major, WORD minor, const IID& face)
        : library_(&library), major_(major), minor_(minor), face_(face) {}
    // From the library that `load` gives.
    constexpr TypeInfoCache(LibraryLoader load, const IID& face) : load_(load), face_(face) {}
    TypeInfoCache(const TypeInfoCache&) = delete;
    TypeInfoCache& operator=(const TypeInfoCache&) = delete;

    // The type information, loaded on the first call; the cache keeps the reference. A failure to
    // load is answered and tried again on the next call.
    HRESULT Get(ITypeInfo*& info);
    // Gives the cached reference back; the next Get loads anew.
    void Clear();

private:
    const GUID* library_ = nullptr;
    WORD major_ = 0, minor_ = 0;
    LibraryLoader load_ = nullptr;
    const IID& face_;
    ITypeInfo* info_ = nullptr;  // published once, by an interlocked exchange
};

// The IDispatch members carried out by the type information in `typeInfo`, for an object whose
// face `face` is the vtable that the type information describes. Every dispatching object of the
// add-in and of the stand-in environment answers through these.
HRESULT GiveTypeInfoCount(UINT* count);
HRESULT GiveTypeInfo(TypeInfoCache& typeInfo, UINT index, ITypeInfo** out);
HRESULT DispatchIdsOfNames(TypeInfoCache& typeInfo, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT DispatchInvoke(TypeInfoCache& typeInfo, void* face, DISPID id, REFIID iid, WORD flags, DISPPARAMS* parameters,
                       VARIANT* result, EXCEPINFO* exception, UINT* argumentError);

// Implements the IDispatch members of the interface Face from `typeInfo`; the object that derives
// from it implements IUnknown and the members of Face.
template <class Face, TypeInfoCache& typeInfo>
class DispatchFace : public Face {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return GiveTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        return GiveTypeInfo(typeInfo, index, out);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return DispatchIdsOfNames(typeInfo, iid, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        return DispatchInvoke(typeInfo, static_cast<Face*>(this), id, iid, flags, parameters, result, exception,
                              argumentError);
    }
};

}  // namespace sprig
