#include "host/com/ModelObjects.h"

#include <algorithm>
#include <new>

#include "win/Automation.h"
#include "addin/HostInterfaces.h"
#include "catalogue/Text.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

using model::Fault;
using model::Member;

LONG liveReferences = 0;

// Answered only by the objects of this file, so that an object passed back as an argument can be
// known as one of the model's.
constexpr IID IID_ModelObject = {0x5E0C7A52, 0x2D6B, 0x4F4E, {0x9C, 0x31, 0x7A, 0x08, 0x4B, 0x1D, 0xE2, 0x63}};

enum class Shape { Get, GetPut, Put, Method };

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
constexpr MemberInfo CommandsMember{L"Commands", 210, Member::Commands, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo CommandBarsMember{L"CommandBars", 108, Member::CommandBars, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo AddNamedCommand2Member{L"AddNamedCommand2", 20, Member::AddNamedCommand2,
                                            Shape::Method,       10, VT_DISPATCH};
constexpr MemberInfo BindingsMember{L"Bindings", 5, Member::Bindings, Shape::Put, 1, VT_EMPTY};
constexpr MemberInfo AddControlMember{L"AddControl", 7, Member::AddControl, Shape::Method, 2, VT_DISPATCH};
// The command bar collections take their Item as a property with the name as index.
constexpr MemberInfo NamedItemMember{L"Item", DISPID_VALUE, Member::Item, Shape::Get, 1, VT_DISPATCH};
constexpr MemberInfo ControlsMember{L"Controls", 3, Member::Controls, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo PopupBarMember{L"CommandBar", 4, Member::CommandBar, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo ItemOperationsMember{L"ItemOperations", 233, Member::ItemOperations, Shape::Get, 0, VT_DISPATCH};
constexpr MemberInfo OpenFileMember{L"OpenFile", 3, Member::OpenFile, Shape::Method, 2, VT_DISPATCH};

// What one type of object answers to: its published interfaces and its members.
struct Face {
    const IID* interfaces[2];
    const MemberInfo* members[5];
};

constexpr Face RootFace{{&IID_DTE2, &IID_DTE},
                        {&SolutionMember, &CommandsMember, &CommandBarsMember, &ItemOperationsMember}};
constexpr Face SolutionFace{{&IID_Solution}, {&ProjectsMember}};
constexpr Face ProjectsFace{{&IID_Projects}, {&CountMember, &ItemMember}};
constexpr Face ProjectFace{{&IID_Project}, {&ProjectNameMember, &ProjectItemsMember, &KindMember}};
constexpr Face ProjectItemsFace{{&IID_ProjectItems}, {&CountMember, &ItemMember}};
constexpr Face ProjectItemFace{{&IID_ProjectItem},
                               {&KindMember, &FileNamesMember, &ProjectItemsMember, &NameMember, &SubProjectMember}};
constexpr Face AddInFace{{&IID_AddIn}, {}};
constexpr Face CommandsFace{{&IID_Commands, &IID_Commands2}, {&AddNamedCommand2Member}};
constexpr Face CommandFace{{&IID_Command}, {&BindingsMember, &AddControlMember}};
constexpr Face CommandBarsFace{{&IID_CommandBars}, {&NamedItemMember}};
constexpr Face CommandBarFace{{&IID_CommandBar}, {&ControlsMember}};
constexpr Face ControlsFace{{&IID_CommandBarControls}, {&NamedItemMember}};
constexpr Face ControlFace{{&IID_CommandBarControl}, {}};
constexpr Face PopupFace{{&IID_CommandBarControl, &IID_CommandBarPopup}, {&PopupBarMember}};
constexpr Face ItemOperationsFace{{&IID_ItemOperations}, {&OpenFileMember}};
constexpr Face WindowFace{{&IID_Window}, {}};

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
    ModelObject(const Face& face, model::Node& node) : face_(face), node_(node) {
        InterlockedIncrement(&liveReferences);
    }
    virtual ~ModelObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const bool published = Answers(iid) && node_.FaultOf(Member::Interface) == Fault::None;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_ModelObject && !published) return E_NOINTERFACE;
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

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const MemberInfo* member = Find(id);
        if (!member) return DISP_E_MEMBERNOTFOUND;
        if (!parameters || (parameters->cArgs && !parameters->rgvarg)) return E_INVALIDARG;
        ++node_.calls[static_cast<std::size_t>(member->member)];
        try {
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return InvokePut(*member, flags, *parameters);
            const WORD wanted = member->shape == Shape::Method ? DISPATCH_METHOD
                                : member->shape == Shape::Put  ? 0
                                                               : DISPATCH_PROPERTYGET;
            if (!(flags & wanted)) return DISP_E_MEMBERNOTFOUND;
            if (parameters->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
            if (parameters->cArgs != member->arguments) return DISP_E_BADPARAMCOUNT;
            Variant discarded;
            if (!result) result = discarded.get();
            VariantInit(result);
            switch (node_.FaultOf(member->member)) {
            case Fault::Fail:
                return E_FAIL;
            case Fault::Nothing:
                return GiveNothing(member->gives, result);
            case Fault::None:
                break;
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
            if (member && CompareIgnoringAsciiCase(Units(member->name), Units(name)) == 0) {
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
        const bool puts = member.shape == Shape::GetPut || member.shape == Shape::Put;
        if (!puts || !(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
        if (parameters.cArgs != 1 || parameters.cNamedArgs != 1 || !parameters.rgdispidNamedArgs ||
            parameters.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_BADPARAMCOUNT;
        }
        if (node_.FaultOf(member.member) == Fault::Fail) return E_FAIL;
        return Put(member.member, parameters.rgvarg[0]);
    }

    const Face& face_;
    model::Node& node_;
    LONG references_ = 1;
};

// A new object for `node` (and whatever else its constructor takes) into `result`; a null object
// when the model has none.
template <class Object, class Node, class... Context>
HRESULT GiveObject(Node* node, VARIANT* result, Context&... context) {
    result->vt = VT_DISPATCH;
    result->pdispVal = nullptr;
    if (!node) return S_OK;
    result->pdispVal = new (std::nothrow) Object(*node, context...);
    return result->pdispVal ? S_OK : E_OUTOFMEMORY;
}

// The model data behind `argument` when it is one of this file's objects of class Object; null
// for anything else.
template <class Object>
typename Object::Data* ArgumentData(const VARIANT& argument) {
    if (argument.vt != VT_DISPATCH || !argument.pdispVal) return nullptr;
    ComPtr<ModelObject> object;
    if (FAILED(argument.pdispVal->QueryInterface(IID_ModelObject, reinterpret_cast<void**>(object.put())))) {
        return nullptr;
    }
    auto* known = dynamic_cast<Object*>(object.get());
    return known ? &known->data : nullptr;
}

std::u16string TextOf(BSTR text) { return std::u16string(Units(text), SysStringLen(text)); }

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
        case Member::Name:
            return GiveText(project_.name, result);
        case Member::Kind:
            return GiveText(project_.kind, result);
        default:
            return GiveObject<ProjectItemsObject>(project_.items, result);
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
        case Member::Kind:
            return GiveText(item_.kind, result);
        case Member::Name:
            return GiveText(item_.name, result);
        case Member::ProjectItems:
            return GiveObject<ProjectItemsObject>(item_.children, result);
        case Member::SubProject:
            return GiveObject<ProjectObject>(item_.subProject, result);
        default:
            // The file's only name sits at index 0, asked for as a short.
            if (arguments[0].vt != VT_I2) return DISP_E_TYPEMISMATCH;
            if (arguments[0].iVal != 0) return E_INVALIDARG;
            return GiveText(model::FileNameOf(item_), result);
        }
    }

    model::Item& item_;
};

// Count, and Item(i) for i from 1, honouring a fault set on the entry itself.
template <class Object, class T>
HRESULT CollectionGet(const model::Collection<T>& collection, Member member, const VARIANT* arguments,
                      VARIANT* result) {
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
    case Fault::Fail:
        return E_FAIL;
    case Fault::Nothing:
        return GiveNothing(VT_DISPATCH, result);
    case Fault::None:
        break;
    }
    return GiveObject<Object>(entry.object, result);
}

HRESULT ProjectItemsObject::Get(Member member, const VARIANT* arguments, VARIANT* result) {
    return CollectionGet<ProjectItemObject>(items_, member, arguments, result);
}

class ProjectsObject final : public ModelObject {
public:
    explicit ProjectsObject(model::ProjectCollection& projects)
        : ModelObject(ProjectsFace, projects), projects_(projects) {}

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

class AddInObject final : public ModelObject {
public:
    using Data = model::AddIn;
    explicit AddInObject(model::AddIn& addIn) : ModelObject(AddInFace, addIn), data(addIn) {}
    model::AddIn& data;

private:
    HRESULT Get(Member, const VARIANT*, VARIANT*) override { return DISP_E_MEMBERNOTFOUND; }
};

class CommandBarObject;

// Item by name, ignoring ASCII case, honouring a fault set on the entry itself.
template <class Object, class T>
HRESULT NamedItem(const model::Collection<T>& collection, const VARIANT& index, VARIANT* result) {
    if (index.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    const std::u16string name = TextOf(index.bstrVal);
    for (const auto& entry : collection.entries) {
        if (CompareIgnoringAsciiCase(entry.object->name.c_str(), name.c_str()) != 0) continue;
        switch (entry.fault) {
        case Fault::Fail:
            return E_FAIL;
        case Fault::Nothing:
            return GiveNothing(VT_DISPATCH, result);
        case Fault::None:
            break;
        }
        return GiveObject<Object>(entry.object, result);
    }
    return E_INVALIDARG;
}

// A control answers CommandBarPopup, and gives its own bar, only when it is a popup.
class ControlObject final : public ModelObject {
public:
    using Data = model::CommandBarControl;
    explicit ControlObject(model::CommandBarControl& control)
        : ModelObject(control.popup ? PopupFace : ControlFace, control), data(control) {}
    model::CommandBarControl& data;

private:
    HRESULT Get(Member, const VARIANT*, VARIANT* result) override {
        return GiveObject<CommandBarObject>(data.popup, result);
    }
};

// The command bars, and the controls of one bar: Item by name.
template <class Object, const Face& face>
class NamedCollectionObject final : public ModelObject {
public:
    explicit NamedCollectionObject(model::Collection<typename Object::Data>& items)
        : ModelObject(face, items), items_(items) {}

private:
    HRESULT Get(Member, const VARIANT* arguments, VARIANT* result) override {
        return NamedItem<Object>(items_, arguments[0], result);
    }

    model::Collection<typename Object::Data>& items_;
};

class CommandBarObject final : public ModelObject {
public:
    using Data = model::CommandBar;
    explicit CommandBarObject(model::CommandBar& bar) : ModelObject(CommandBarFace, bar), data(bar) {}
    model::CommandBar& data;

private:
    HRESULT Get(Member, const VARIANT*, VARIANT* result) override {
        return GiveObject<NamedCollectionObject<ControlObject, ControlsFace>>(&data.controls, result);
    }
};

// A command takes texts for its key binding, and places controls on command bars of the model.
class CommandObject final : public ModelObject {
public:
    CommandObject(model::Command& command, model::SolutionModel& model)
        : ModelObject(CommandFace, command), command_(command), model_(model) {}

private:
    HRESULT Get(Member, const VARIANT* arguments, VARIANT* result) override {
        if (arguments[0].vt != VT_I4) return DISP_E_TYPEMISMATCH;
        model::CommandBar* owner = ArgumentData<CommandBarObject>(arguments[1]);
        model::CommandBarControl* control = model_.AddCommandControl(command_, owner, arguments[0].lVal);
        if (!control) return E_INVALIDARG;
        return GiveObject<ControlObject>(control, result);
    }

    HRESULT Put(Member, const VARIANT& value) override {
        if (value.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
        command_.bindings.push_back(TextOf(value.bstrVal));
        return S_OK;
    }

    model::Command& command_;
    model::SolutionModel& model_;
};

// AddNamedCommand2 takes its arguments in the published types only; a call that brings others is
// refused as a typed host would refuse it, before anything is recorded.
class CommandsObject final : public ModelObject {
public:
    CommandsObject(model::CommandTable& commands, model::SolutionModel& model)
        : ModelObject(CommandsFace, commands), model_(model) {}

private:
    HRESULT Get(Member, const VARIANT* arguments, VARIANT* result) override {
        // Argument n in the member's own order: AddInInstance 0, Name 1, ButtonText 2, Tooltip 3,
        // MSOButton 4, Bitmap 5, ContextUIGUIDs 6, status 7, style 8, control type 9.
        const auto at = [arguments](int n) -> const VARIANT& { return arguments[9 - n]; };
        if (at(1).vt != VT_BSTR || at(2).vt != VT_BSTR || at(3).vt != VT_BSTR || at(4).vt != VT_BOOL ||
            at(6).vt != (VT_BYREF | VT_ARRAY | VT_VARIANT) || at(7).vt != VT_I4 || at(8).vt != VT_I4 ||
            at(9).vt != VT_I4) {
            return DISP_E_TYPEMISMATCH;
        }
        model::CommandRequest request;
        request.addIn = ArgumentData<AddInObject>(at(0));
        request.name = TextOf(at(1).bstrVal);
        request.buttonText = TextOf(at(2).bstrVal);
        request.tooltip = TextOf(at(3).bstrVal);
        request.msoButton = at(4).boolVal != VARIANT_FALSE;
        request.bitmapType = at(5).vt;
        request.bitmap = at(5).vt == VT_I4 ? at(5).lVal : 0;
        request.noContextGuids = !at(6).pparray || !*at(6).pparray;
        request.status = at(7).lVal;
        request.style = at(8).lVal;
        request.controlType = at(9).lVal;
        model::Command* command = model_.AddNamedCommand(request);
        if (!command) return E_INVALIDARG;
        return GiveObject<CommandObject>(command, result, model_);
    }

    model::SolutionModel& model_;
};

// A document window the environment gives for an opened file; callers only release it.
class WindowObject final : public ModelObject {
public:
    explicit WindowObject(model::Node& node) : ModelObject(WindowFace, node) {}

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
        operations_.requests.push_back({TextOf(arguments[1].bstrVal), TextOf(arguments[0].bstrVal)});
        const auto& refused = operations_.refused;
        if (std::find(refused.begin(), refused.end(), operations_.requests.back().fileName) != refused.end()) {
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
        switch (member) {
        case Member::Commands:
            return GiveObject<CommandsObject>(&model_.commands, result, model_);
        case Member::CommandBars:
            return GiveObject<NamedCollectionObject<CommandBarObject, CommandBarsFace>>(&model_.commandBars, result);
        case Member::ItemOperations:
            return GiveObject<ItemOperationsObject>(&model_.itemOperations, result);
        default:
            return GiveObject<SolutionObject>(&model_, result);
        }
    }

    model::SolutionModel& model_;
};

}  // namespace

ComPtr<IDispatch> CreateModelRoot(model::SolutionModel& model) {
    return ComPtr<IDispatch>::Adopt(new RootObject(model));
}

ComPtr<IDispatch> CreateModelAddIn(model::SolutionModel& model) {
    return ComPtr<IDispatch>::Adopt(new AddInObject(model.addIn));
}

long LiveReferences() { return InterlockedCompareExchange(&liveReferences, 0, 0); }

}  // namespace sprig::host
