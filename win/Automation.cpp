#include "win/Automation.h"

#include <algorithm>
#include <vector>

namespace sprig {
namespace {

// Calls `member` by name. DISPPARAMS wants the arguments last to first; a put passes its value
// (the last argument) as the one named argument DISPID_PROPERTYPUT.
HRESULT Invoke(IDispatch* object, const wchar_t* member, WORD flags, Arguments arguments, VARIANT* result) {
    if (!object) return E_POINTER;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    DISPID id;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(arguments.size());
    std::copy(arguments.begin(), arguments.end(), reversed.rbegin());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    ExceptionInfo exception;
    return exception.Failure(
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, &exception, nullptr));
}

Variant Answer(IDispatch* object, const wchar_t* member, WORD flags, Arguments arguments) {
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

HRESULT RequireObject(IDispatch* object, const wchar_t* member, WORD flags, Arguments arguments,
                      ComPtr<IDispatch>& result) {
    result = nullptr;
    Variant answer;
    const HRESULT hr = Invoke(object, member, flags, arguments, answer.get());
    if (FAILED(hr)) return hr;
    result = ObjectOf(std::move(answer));
    return result ? S_OK : E_FAIL;
}

}  // namespace

HRESULT RequireProperty(IDispatch* object, const wchar_t* member, ComPtr<IDispatch>& result, Arguments arguments) {
    return RequireObject(object, member, DISPATCH_PROPERTYGET, arguments, result);
}

HRESULT RequireMethod(IDispatch* object, const wchar_t* member, ComPtr<IDispatch>& result, Arguments arguments) {
    return RequireObject(object, member, DISPATCH_METHOD, arguments, result);
}

ComPtr<IDispatch> PropertyObject(IDispatch* object, const wchar_t* member, Arguments arguments) {
    ComPtr<IDispatch> result;
    RequireProperty(object, member, result, arguments);
    return result;
}

ComPtr<IDispatch> MethodObject(IDispatch* object, const wchar_t* member, Arguments arguments) {
    ComPtr<IDispatch> result;
    RequireMethod(object, member, result, arguments);
    return result;
}

HRESULT RequireItem(IDispatch* collection, const VARIANT& index, ComPtr<IDispatch>& result) {
    return RequireObject(collection, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {index}, result);
}

ComPtr<IDispatch> ItemObject(IDispatch* collection, const VARIANT& index) {
    ComPtr<IDispatch> result;
    RequireItem(collection, index, result);
    return result;
}

Bstr PropertyText(IDispatch* object, const wchar_t* member, Arguments arguments) {
    Variant answer = Answer(object, member, DISPATCH_PROPERTYGET, arguments);
    VARIANT& value = *answer.get();
    if (value.vt != VT_BSTR || SysStringLen(value.bstrVal) == 0) return Bstr();
    value.vt = VT_EMPTY;
    return Bstr::Adopt(value.bstrVal);
}

std::optional<std::int32_t> PropertyInt32(IDispatch* object, const wchar_t* member) {
    Variant answer = Answer(object, member, DISPATCH_PROPERTYGET, {});
    VARIANT* value = answer.get();
    if (value->vt == VT_EMPTY || value->vt == VT_NULL) return std::nullopt;
    if (FAILED(VariantChangeType(value, value, 0, VT_I4))) return std::nullopt;
    return value->lVal;
}

bool PutProperty(IDispatch* object, const wchar_t* member, const VARIANT& value) {
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
