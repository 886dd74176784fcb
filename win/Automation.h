// The add-in's one way of calling the environment: late binding through IDispatch by member
// name, so that no layout of the environment's interfaces is declared here. A member called often
// is named as a member of its published interface (`InterfaceMember`), whose DISPID is then asked
// for once instead of at every call. A failed call and an
// empty answer (null object, empty text, no value) both come back as nothing. A call that the
// member itself failed answers the member's own failure, not the dispatch's DISP_E_EXCEPTION. Every reference,
// string and VARIANT is held by an owner.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

#include "win/ComPtr.h"

namespace sprig {

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : text_(SysAllocString(text)) {}
    Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(text_, other.text_);
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }

    explicit operator bool() const { return text_ != nullptr; }
    BSTR get() const { return text_; }
    UINT length() const { return SysStringLen(text_); }
    // Gives up ownership to the caller, who must free the string.
    BSTR release() { return std::exchange(text_, nullptr); }
    // Takes a string the caller owned.
    static Bstr Adopt(BSTR text) {
        Bstr owner;
        owner.text_ = text;
        return owner;
    }

private:
    BSTR text_ = nullptr;
};

// Owns one VARIANT and clears it when done.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    explicit Variant(std::int32_t value) : Variant() {
        value_.vt = VT_I4;
        value_.lVal = value;
    }
    explicit Variant(std::int16_t value) : Variant() {
        value_.vt = VT_I2;
        value_.iVal = value;
    }
    explicit Variant(bool value) : Variant() {
        value_.vt = VT_BOOL;
        value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    explicit Variant(Bstr text) : Variant() {
        value_.vt = VT_BSTR;
        value_.bstrVal = text.release();
    }
    explicit Variant(ComPtr<IDispatch> object) : Variant() {
        value_.vt = VT_DISPATCH;
        value_.pdispVal = object.release();
    }
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// Arguments go in the member's own order; they stay owned by the caller.
using Arguments = std::initializer_list<VARIANT>;

// One member of a published dual interface, with the DISPID learned for it. Every object that
// answers the interface's IID shares that interface's DISPIDs, so the name is looked up on the
// first call through such an object, and again only when a call with the learned DISPID answers
// DISP_E_MEMBERNOTFOUND (an object that numbers its members otherwise). An object that does not
// answer the IID is called by name, as any member is. Define one for the life of the module.
class InterfaceMember {
public:
    constexpr InterfaceMember(const IID& iid, const wchar_t* name) : iid(iid), name(name) {}
    InterfaceMember(const InterfaceMember&) = delete;
    InterfaceMember& operator=(const InterfaceMember&) = delete;

    const IID& iid;
    const wchar_t* const name;
    // DISPID_UNKNOWN until learned; never a member's own number. Atomic since every apartment of
    // the process shares it.
    std::atomic<DISPID> id{DISPID_UNKNOWN};
};

// How a call names its member: by name alone, or as a member of its published interface.
class MemberName {
public:
    MemberName(const wchar_t* name) : name_(name) {}
    MemberName(InterfaceMember& member) : name_(member.name), member_(&member) {}

    const wchar_t* name() const { return name_; }
    InterfaceMember* member() const { return member_; }

private:
    const wchar_t* name_;
    InterfaceMember* member_ = nullptr;
};

// Property get by name: the object it gives, or nothing.
ComPtr<IDispatch> PropertyObject(IDispatch* object, MemberName member, Arguments arguments = {});
// Method call by name: the object it gives, or nothing.
ComPtr<IDispatch> MethodObject(IDispatch* object, MemberName member, Arguments arguments = {});
// The same for a step that cannot go on without the object: the call's failure, or E_FAIL when
// it succeeds with no object; `result` holds the object only on success.
HRESULT RequireProperty(IDispatch* object, MemberName member, ComPtr<IDispatch>& result, Arguments arguments = {});
HRESULT RequireMethod(IDispatch* object, MemberName member, ComPtr<IDispatch>& result, Arguments arguments = {});
// A collection's Item(index), called as late-bound clients call it, as a method and a property get
// at once, so that a collection that publishes either shape serves it. `item` is "Item", named as
// the member of the collection's interface where that is known.
ComPtr<IDispatch> ItemObject(IDispatch* collection, const VARIANT& index, MemberName item = L"Item");
HRESULT RequireItem(IDispatch* collection, const VARIANT& index, ComPtr<IDispatch>& result, MemberName item = L"Item");
// Property get by name: a non-empty text, or nothing.
Bstr PropertyText(IDispatch* object, MemberName member, Arguments arguments = {});
// Property get by name: a value that converts to a 32-bit integer, or nothing.
std::optional<std::int32_t> PropertyInt32(IDispatch* object, MemberName member);
// Property put by name; false when the call failed.
bool PutProperty(IDispatch* object, MemberName member, const VARIANT& value);
// The object's face for a published interface, used through IDispatch; nothing when refused.
ComPtr<IDispatch> QueryDispatch(IUnknown* object, REFIID iid);
// The object's face for the first of `iids` that it answers, into `face`; the last refusal when it
// answers none of them.
HRESULT QueryFace(IUnknown* object, std::initializer_list<const IID*> iids, ComPtr<IDispatch>& face);

}  // namespace sprig
