#include "win/Automation.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace sprig {
namespace {

// The exception record of one call, whose texts it frees.
struct Exception : EXCEPINFO {
    Exception() : EXCEPINFO{} {}
    Exception(const Exception&) = delete;
    Exception& operator=(const Exception&) = delete;
    ~Exception() {
        SysFreeString(bstrSource);
        SysFreeString(bstrDescription);
        SysFreeString(bstrHelpFile);
    }

    // The failure that the member reported, when it did.
    HRESULT Failure(HRESULT hr) {
        if (hr != DISP_E_EXCEPTION) return hr;
        if (pfnDeferredFillIn) pfnDeferredFillIn(this);
        return FAILED(scode) ? scode : hr;
    }
};

// The DISPID of `name` on `object`.
HRESULT LookUp(IDispatch* object, const wchar_t* name, DISPID& id) {
    LPOLESTR names = const_cast<LPOLESTR>(name);
    return object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
}

// Calls member `id`. DISPPARAMS wants the arguments last to first; a put passes its value (the
// last argument) as the one named argument DISPID_PROPERTYPUT.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, Arguments arguments, VARIANT* result) {
    // The few arguments of the calls made per file are reversed on the stack, without a heap block.
    VARIANT onStack[4];
    std::vector<VARIANT> onHeap;
    VARIANT* reversed = onStack;
    if (arguments.size() > std::size(onStack)) {
        onHeap.resize(arguments.size());
        reversed = onHeap.data();
    }
    std::reverse_copy(arguments.begin(), arguments.end(), reversed);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters = {reversed, nullptr, static_cast<UINT>(arguments.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    Exception exception;
    return exception.Failure(
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, &exception, nullptr));
}

// Calls `member` through the object's face for the member's interface with the DISPID learned
// for it. A refused DISPID is asked for anew; when the object numbers the member otherwise, the
// new number is kept and the call made again (a refusal means the member was not reached). False
// when the object does not answer the interface.
bool CallAsInterfaceMember(IDispatch* object, InterfaceMember& member, WORD flags, Arguments arguments, VARIANT* result,
                           HRESULT& hr) {
    ComPtr<IDispatch> face;
    if (FAILED(object->QueryInterface(member.iid, reinterpret_cast<void**>(face.put()))) || !face) return false;
    DISPID id = member.id.load(std::memory_order_relaxed);
    const bool learned = id != DISPID_UNKNOWN;
    if (!learned) {
        hr = LookUp(face.get(), member.name, id);
        if (FAILED(hr)) return true;
        member.id.store(id, std::memory_order_relaxed);
    }
    hr = Call(face.get(), id, flags, arguments, result);
    if (hr != DISP_E_MEMBERNOTFOUND || !learned) return true;
    DISPID renumbered;
    if (FAILED(LookUp(face.get(), member.name, renumbered)) || renumbered == id) return true;
    member.id.store(renumbered, std::memory_order_relaxed);
    hr = Call(face.get(), renumbered, flags, arguments, result);
    return true;
}

HRESULT Invoke(IDispatch* object, MemberName member, WORD flags, Arguments arguments, VARIANT* result) {
    if (!object) return E_POINTER;
    HRESULT hr;
    if (member.member() && CallAsInterfaceMember(object, *member.member(), flags, arguments, result, hr)) return hr;
    DISPID id;
    hr = LookUp(object, member.name(), id);
    return FAILED(hr) ? hr : Call(object, id, flags, arguments, result);
}

Variant Answer(IDispatch* object, MemberName member, WORD flags, Arguments arguments) {
    Variant result;
    if (FAILED(Invoke(object, member, flags, arguments, result.get()))) VariantClear(result.get());
    return result;
}

ComPtr<IDispatch> ObjectOf(Variant answer) {
    VARIANT& value = *answer.get();
    if (value.vt == VT_DISPATCH) {
        value.vt = VT_EMPTY;
        return ComPtr<IDispatch>::Adopt(value.pdispVal);
    }
    if (value.vt == VT_UNKNOWN) return QueryDispatch(value.punkVal, IID_IDispatch);
    return nullptr;
}

HRESULT RequireObject(IDispatch* object, MemberName member, WORD flags, Arguments arguments,
                      ComPtr<IDispatch>& result) {
    result = nullptr;
    Variant answer;
    const HRESULT hr = Invoke(object, member, flags, arguments, answer.get());
    if (FAILED(hr)) return hr;
    result = ObjectOf(std::move(answer));
    return result ? S_OK : E_FAIL;
}

}  // namespace

HRESULT RequireProperty(IDispatch* object, MemberName member, ComPtr<IDispatch>& result, Arguments arguments) {
    return RequireObject(object, member, DISPATCH_PROPERTYGET, arguments, result);
}

HRESULT RequireMethod(IDispatch* object, MemberName member, ComPtr<IDispatch>& result, Arguments arguments) {
    return RequireObject(object, member, DISPATCH_METHOD, arguments, result);
}

ComPtr<IDispatch> PropertyObject(IDispatch* object, MemberName member, Arguments arguments) {
    ComPtr<IDispatch> result;
    RequireProperty(object, member, result, arguments);
    return result;
}

ComPtr<IDispatch> MethodObject(IDispatch* object, MemberName member, Arguments arguments) {
    ComPtr<IDispatch> result;
    RequireMethod(object, member, result, arguments);
    return result;
}

HRESULT RequireItem(IDispatch* collection, const VARIANT& index, ComPtr<IDispatch>& result, MemberName item) {
    return RequireObject(collection, item, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {index}, result);
}

ComPtr<IDispatch> ItemObject(IDispatch* collection, const VARIANT& index, MemberName item) {
    ComPtr<IDispatch> result;
    RequireItem(collection, index, result, item);
    return result;
}

Bstr PropertyText(IDispatch* object, MemberName member, Arguments arguments) {
    Variant answer = Answer(object, member, DISPATCH_PROPERTYGET, arguments);
    VARIANT& value = *answer.get();
    if (value.vt != VT_BSTR || SysStringLen(value.bstrVal) == 0) return Bstr();
    value.vt = VT_EMPTY;
    return Bstr::Adopt(value.bstrVal);
}

std::optional<std::int32_t> PropertyInt32(IDispatch* object, MemberName member) {
    Variant answer = Answer(object, member, DISPATCH_PROPERTYGET, {});
    VARIANT* value = answer.get();
    if (value->vt == VT_EMPTY || value->vt == VT_NULL) return std::nullopt;
    if (FAILED(VariantChangeType(value, value, 0, VT_I4))) return std::nullopt;
    return value->lVal;
}

bool PutProperty(IDispatch* object, MemberName member, const VARIANT& value) {
    return SUCCEEDED(Invoke(object, member, DISPATCH_PROPERTYPUT, {value}, nullptr));
}

ComPtr<IDispatch> QueryDispatch(IUnknown* object, REFIID iid) {
    ComPtr<IDispatch> face;
    QueryFace(object, {&iid}, face);
    return face;
}

HRESULT QueryFace(IUnknown* object, std::initializer_list<const IID*> iids, ComPtr<IDispatch>& face) {
    face = nullptr;
    if (!object) return E_POINTER;
    HRESULT hr = E_NOINTERFACE;
    for (const IID* iid : iids) {
        hr = object->QueryInterface(*iid, reinterpret_cast<void**>(face.put()));
        if (SUCCEEDED(hr) && face) return S_OK;
        if (SUCCEEDED(hr)) hr = E_NOINTERFACE;  // a success that gives nothing is a refusal
    }
    return hr;
}

}  // namespace sprig
