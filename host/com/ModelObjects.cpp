#include "host/com/ModelObjects.h"

#include <algorithm>
#include <new>

#include "addin/Automation.h"
#include "addin/HostInterfaces.h"
#include "catalogue/Text.h"

namespace sprig::host {
namespace {

using model::Fault;
using model::Member;

LONG liveReferences = 0;

enum class Shape { Get, GetPut, Method };

// One member as a caller sees it: its published name and dispatch id, how it is called, how
// many arguments it takes and what kind of value it gives.
struct MemberInfo {
    const wchar_t* name;
    DISPID id;
    Member member;
    Shape shape;
    UINT arguments;
    VARTYPE gives;
};

constexpr MemberInfo SolutionMember{L"Solution", 209, Member::Solution, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo ProjectsMember{L"Projects", 41, Member::Projects, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo ItemMember{L"Item", DISPID_VALUE, Member::Item, Shape::Method, 1, VT_DISPATCH};
constexpr MemberInfo CountMember{L"Count", 1, Member::Count, Shape::Get, 0, VT_I4};
constexpr MemberInfo NameMember{L"Name", 2, Member::Name, Shape::Get, 0, VT_BSTR};
constexpr MemberInfo ProjectNameMember{L"Name", 2, Member::Name, Shape::GetPut, 0, VT_BSTR};
constexpr MemberInfo ProjectItemsMember{L"ProjectItems", 3, Member::ProjectItems, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo FileNamesMember{L"FileNames", 11, Member::FileNames, Shape::Get, 1, VT_BSTR};
constexpr MemberInfo SubProjectMember{L"SubProject", 120, Member::SubProject, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo KindMember{L"Kind", 201, Member::Kind, Shape::Get, 0, VT_BSTR};
constexpr MemberInfo ItemOperationsMember{L"ItemOperations", 233, Member::ItemOperations, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo OpenFileMember{L"OpenFile", 3, Member::OpenFile, Shape::Method, 2, VT_DISPATCH};

// What one type of object answers to: its published interfaces and its members.
struct Face {
    const IID* interfaces[2];
    const MemberInfo* members[5];
};

constexpr Face RootFace{{&IID_DTE2, &IID_DTE}, {&SolutionMember, &ItemOperationsMember}};
constexpr Face SolutionFace{{&IID_Solution}, {&ProjectsMember}};
constexpr Face ProjectsFace{{&IID_Projects}, {&CountMember, &ItemMember}};
constexpr Face ProjectFace{{&IID_Project}, {&ProjectNameMember, &ProjectItemsMember, &KindMember}};
constexpr Face ProjectItemsFace{{&IID_ProjectItems}, {&CountMember, &ItemMember}};
constexpr Face ProjectItemFace{
    {&IID_ProjectItem}, {&KindMember, &FileNamesMember, &ProjectItemsMember, &NameMember, &SubProjectMember}};
constexpr Face ItemOperationsFace{{&IID_ItemOperations}, {&OpenFileMember}};
constexpr Face WindowFace{{&IID_Window}, {}};

std::u16string TextOf(BSTR text) { return {reinterpret_cast<const char16_t*>(text), SysStringLen(text)}; }

HRESULT GiveText(const std::u16string& text, VARIANT* result) {
    BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!copy) return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    result->bstrVal = copy;
    return S_OK;
}

// A successful call with nothing in it: a null object or text, no count.
HRESULT GiveNothing(VARTYPE type, VARIANT* result) {
    result->vt = type == VT_I4 ? static_cast<VARTYPE>(VT_EMPTY) : type;
    result->pdispVal = nullptr;  // also the null text
    return S_OK;
}

// Every object of the model: reference counting, QueryInterface by its face, IDispatch by member
// name without type information, and the model's faults, which apply before the object's own
// answer.
class ModelObject : public IDispatch {
public:
    ModelObject(const Face& face, const model::Node& node) : face_(face), node_(node) {
        InterlockedIncrement(&liveReferences);
    }
    virtual ~ModelObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && !Answers(iid)) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        InterlockedIncrement(&liveReferences);
        return InterlockedIncrement(&references_);
    }

    ULONG STDMETHODCALLTYPE Release() override {
        InterlockedDecrement(&liveReferences);
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }

    // Names match as COM matches them, regardless of case. There are no named parameters.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        const MemberInfo* member = Find(names[0]);
        if (member) ids[0] = member->id;
        return member && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const MemberInfo* member = Find(id);
        if (!member) return DISP_E_MEMBERNOTFOUND;
        if (!parameters || (parameters->cArgs && !parameters->rgvarg)) return E_INVALIDARG;
        try {
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return InvokePut(*member, flags, *parameters);
            const WORD wanted = member->shape == Shape::Method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
            if (!(flags & wanted)) return DISP_E_MEMBERNOTFOUND;
            if (parameters->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
            if (parameters->cArgs != member->arguments) return DISP_E_BADPARAMCOUNT;
            Variant discarded;
            if (!result) result = discarded.get();
            VariantInit(result);
            switch (node_.FaultOf(member->member)) {
            case Fault::Fail: return E_FAIL;
            case Fault::Nothing: return GiveNothing(member->gives, result);
            case Fault::None: break;
            }
            return Get(member->member, parameters->rgvarg, result);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

protected:
    // The answer of a get or method call; `arguments` are last to first.
    virtual HRESULT Get(Member member, const VARIANT* arguments, VARIANT* result) = 0;
    virtual HRESULT Put(Member, const VARIANT&) { return DISP_E_MEMBERNOTFOUND; }

private:
    bool Answers(REFIID iid) const {
        for (const IID* face : face_.interfaces) {
            if (face && *face == iid) return true;
        }
        return false;
    }

    const MemberInfo* Find(const wchar_t* name) const {
        if (!name) return nullptr;
        for (const MemberInfo* member : face_.members) {
            if (member && CompareIgnoringAsciiCase(reinterpret_cast<const char16_t*>(member->name),
                                                   reinterpret_cast<const char16_t*>(name)) == 0) {
                return member;
            }
        }
        return nullptr;
    }

    const MemberInfo* Find(DISPID id) const {
        for (const MemberInfo* member : face_.members) {
            if (member && member->id == id) return member;
        }
        return nullptr;
    }

    HRESULT InvokePut(const MemberInfo& member, WORD flags, const DISPPARAMS& parameters) {
        if (member.shape != Shape::GetPut || !(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
        if (parameters.cArgs != 1 || parameters.cNamedArgs != 1 || !parameters.rgdispidNamedArgs ||
            parameters.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_BADPARAMCOUNT;
        }
        if (node_.FaultOf(member.member) == Fault::Fail) return E_FAIL;
        return Put(member.member, parameters.rgvarg[0]);
    }

    const Face& face_;
    const model::Node& node_;
    LONG references_ = 1;
};

// A new object for `node` into `result`; a null object when the model has none.
template <class Object, class Node>
HRESULT GiveObject(Node* node, VARIANT* result) {
    result->vt = VT_DISPATCH;
    result->pdispVal = nullptr;
    if (!node) return S_OK;
    result->pdispVal = new (std::nothrow) Object(*node);
    return result->pdispVal ? S_OK : E_OUTOFMEMORY;
}

class ProjectItemObject;

class ProjectItemsObject final : public ModelObject {
public:
    explicit ProjectItemsObject(model::ItemCollection& items) : ModelObject(ProjectItemsFace, items), items_(items) {}

private:
    HRESULT Get(Member member, const VARIANT* arguments, VARIANT* result) override;
    model::ItemCollection& items_;
};

class ProjectObject final : public ModelObject {
public:
    explicit ProjectObject(model::Project& project) : ModelObject(ProjectFace, project), project_(project) {}

private:
    HRESULT Get(Member member, const VARIANT*, VARIANT* result) override {
        switch (member) {
        case Member::Name: return GiveText(project_.name, result);
        case Member::Kind: return GiveText(project_.kind, result);
        default: return GiveObject<ProjectItemsObject>(project_.items, result);
        }
    }

    HRESULT Put(Member, const VARIANT& value) override {
        if (value.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
        project_.name = TextOf(value.bstrVal);
        return S_OK;
    }

    model::Project& project_;
};

class ProjectItemObject final : public ModelObject {
public:
    explicit ProjectItemObject(model::Item& item) : ModelObject(ProjectItemFace, item), item_(item) {}

private:
    HRESULT Get(Member member, const VARIANT* arguments, VARIANT* result) override {
        switch (member) {
        case Member::Kind: return GiveText(item_.kind, result);
        case Member::Name: return GiveText(item_.name, result);
        case Member::ProjectItems: return GiveObject<ProjectItemsObject>(item_.children, result);
        case Member::SubProject: return GiveObject<ProjectObject>(item_.subProject, result);
        default:
            // The file's only name sits at index 0, asked for as a short.
            if (arguments[0].vt != VT_I2) return DISP_E_TYPEMISMATCH;
            if (arguments[0].iVal != 0) return E_INVALIDARG;
            return GiveText(item_.fileName, result);
        }
    }

    model::Item& item_;
};

// Count, and Item(i) for i from 1, honouring a fault set on the entry itself.
template <class Object, class T>
HRESULT CollectionGet(const model::Collection<T>& collection, Member member, const VARIANT* arguments, VARIANT* result) {
    if (member == Member::Count) {
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(collection.entries.size());
        return S_OK;
    }
    if (arguments[0].vt != VT_I4) return DISP_E_TYPEMISMATCH;
    const LONG index = arguments[0].lVal;
    if (index < 1 || static_cast<std::size_t>(index) > collection.entries.size()) return E_INVALIDARG;
    const auto& entry = collection.entries[index - 1];
    switch (entry.fault) {
    case Fault::Fail: return E_FAIL;
    case Fault::Nothing: return GiveNothing(VT_DISPATCH, result);
    case Fault::None: break;
    }
    return GiveObject<Object>(entry.object, result);
}

HRESULT ProjectItemsObject::Get(Member member, const VARIANT* arguments, VARIANT* result) {
    return CollectionGet<ProjectItemObject>(items_, member, arguments, result);
}

class ProjectsObject final : public ModelObject {
public:
    explicit ProjectsObject(model::ProjectCollection& projects) : ModelObject(ProjectsFace, projects), projects_(projects) {}

private:
    HRESULT Get(Member member, const VARIANT* arguments, VARIANT* result) override {
        return CollectionGet<ProjectObject>(projects_, member, arguments, result);
    }

    model::ProjectCollection& projects_;
};

class SolutionObject final : public ModelObject {
public:
    explicit SolutionObject(model::SolutionModel& model) : ModelObject(SolutionFace, model.solution), model_(model) {}

private:
    HRESULT Get(Member, const VARIANT*, VARIANT* result) override {
        return GiveObject<ProjectsObject>(&model_.projects, result);
    }

    model::SolutionModel& model_;
};

// A document window the environment gives for an opened file; callers only release it.
class WindowObject final : public ModelObject {
public:
    explicit WindowObject(const model::Node& node) : ModelObject(WindowFace, node) {}

private:
    HRESULT Get(Member, const VARIANT*, VARIANT*) override { return DISP_E_MEMBERNOTFOUND; }
};

class ItemOperationsObject final : public ModelObject {
public:
    explicit ItemOperationsObject(model::ItemOperations& operations)
        : ModelObject(ItemOperationsFace, operations), operations_(operations) {}

private:
    // OpenFile(FileName, ViewKind), the arguments last to first.
    HRESULT Get(Member, const VARIANT* arguments, VARIANT* result) override {
        if (arguments[1].vt != VT_BSTR || arguments[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
        operations_.calls.push_back({TextOf(arguments[1].bstrVal), TextOf(arguments[0].bstrVal)});
        const auto& refused = operations_.refused;
        if (std::find(refused.begin(), refused.end(), operations_.calls.back().fileName) != refused.end()) {
            return E_FAIL;
        }
        if (!operations_.givesWindows) return GiveNothing(VT_DISPATCH, result);
        return GiveObject<WindowObject>(&operations_, result);
    }

    model::ItemOperations& operations_;
};

class RootObject final : public ModelObject {
public:
    explicit RootObject(model::SolutionModel& model) : ModelObject(RootFace, model.root), model_(model) {}

private:
    HRESULT Get(Member member, const VARIANT*, VARIANT* result) override {
        if (member == Member::ItemOperations) return GiveObject<ItemOperationsObject>(&model_.itemOperations, result);
        return GiveObject<SolutionObject>(&model_, result);
    }

    model::SolutionModel& model_;
};

}  // namespace

ComPtr<IDispatch> CreateModelRoot(model::SolutionModel& model) {
    return ComPtr<IDispatch>::Adopt(new RootObject(model));
}

long LiveReferences() { return InterlockedCompareExchange(&liveReferences, 0, 0); }

}  // namespace sprig::host
