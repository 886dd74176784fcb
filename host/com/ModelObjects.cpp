#include "host/com/ModelObjects.h"

#include <algorithm>
#include <new>

#include "addin/HostInterfaces.h"
#include "addin/TypeInfo.h"
#include "catalogue/Text.h"
#include "host/com/TypeLibraries.h"
#include "host/typelib/Automation.h"
#include "host/typelib/CommandBars.h"
#include "host/typelib/TypeLibraryIds.h"
#include "win/Automation.h"
#include "win/Guarded.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

using model::Fault;
using model::Member;

LONG liveReferences = 0;

// Answered only by the objects of this file, so that an object passed back as an argument can be
// known as one of the model's.
constexpr IID IID_ModelObject = {0x5E0C7A52, 0x2D6B, 0x4F4E, {0x9C, 0x31, 0x7A, 0x08, 0x4B, 0x1D, 0xE2, 0x63}};

template <int resource>
HRESULT LoadLibraryResource(ITypeLib** library) {
    return LoadHostTypeLibrary(resource, library);
}
constexpr auto EnvDTE = LoadLibraryResource<SPRIG_ENVDTE_TYPELIB>;
constexpr auto EnvDTE80 = LoadLibraryResource<SPRIG_ENVDTE80_TYPELIB>;
constexpr auto CommandBars = LoadLibraryResource<SPRIG_COMMANDBARS_TYPELIB>;
constexpr auto OfficeCommandBars = LoadLibraryResource<SPRIG_OFFICE_COMMANDBARS_TYPELIB>;

// One published face of an object: the interfaces it answers (its interface and the one that
// interface extends) and the type information that carries out its IDispatch.
struct Face {
    const IID* interfaces[2];
    TypeInfoCache& typeInfo;
};

TypeInfoCache DteInfo{EnvDTE80, IID_DTE2};
TypeInfoCache SolutionInfo{EnvDTE, IID_Solution};
TypeInfoCache ProjectsInfo{EnvDTE, IID_Projects};
TypeInfoCache ProjectInfo{EnvDTE, IID_Project};
TypeInfoCache ProjectItemsInfo{EnvDTE, IID_ProjectItems};
TypeInfoCache ProjectItemInfo{EnvDTE, IID_ProjectItem};
TypeInfoCache AddInInfo{EnvDTE, IID_AddIn};
TypeInfoCache CommandsInfo{EnvDTE80, IID_Commands2};
TypeInfoCache CommandInfo{EnvDTE, IID_Command};
TypeInfoCache ItemOperationsInfo{EnvDTE, IID_ItemOperations};
TypeInfoCache WindowInfo{EnvDTE, IID_Window};
TypeInfoCache TextSelectionInfo{EnvDTE, IID_TextSelection};

const Face RootFace{{&IID_DTE2, &IID_DTE}, DteInfo};
const Face SolutionFace{{&IID_Solution}, SolutionInfo};
const Face ProjectsFace{{&IID_Projects}, ProjectsInfo};
const Face ProjectFace{{&IID_Project}, ProjectInfo};
const Face ProjectItemsFace{{&IID_ProjectItems}, ProjectItemsInfo};
const Face ProjectItemFace{{&IID_ProjectItem}, ProjectItemInfo};
const Face AddInFace{{&IID_AddIn}, AddInInfo};
const Face CommandsFace{{&IID_Commands2, &IID_Commands}, CommandsInfo};
const Face CommandFace{{&IID_Command}, CommandInfo};
const Face ItemOperationsFace{{&IID_ItemOperations}, ItemOperationsInfo};
const Face WindowFace{{&IID_Window}, WindowInfo};
const Face TextSelectionFace{{&IID_TextSelection}, TextSelectionInfo};

// The faces of the command-bar objects, from one of the two command-bar libraries.
struct CommandBarFaces {
    Face bars, bar, controls, control, popup;
};

TypeInfoCache BarsInfo{CommandBars, IID_CommandBars};
TypeInfoCache BarInfo{CommandBars, IID_CommandBar};
TypeInfoCache ControlsInfo{CommandBars, IID_CommandBarControls};
TypeInfoCache ControlInfo{CommandBars, IID_CommandBarControl};
TypeInfoCache PopupInfo{CommandBars, IID_CommandBarPopup};
TypeInfoCache OfficeBarsInfo{OfficeCommandBars, IID_OfficeCommandBars};
TypeInfoCache OfficeBarInfo{OfficeCommandBars, IID_OfficeCommandBar};
TypeInfoCache OfficeControlsInfo{OfficeCommandBars, IID_OfficeCommandBarControls};
TypeInfoCache OfficeControlInfo{OfficeCommandBars, IID_OfficeCommandBarControl};
TypeInfoCache OfficePopupInfo{OfficeCommandBars, IID_OfficeCommandBarPopup};

const CommandBarFaces EnvironmentBarFaces{{{&IID_CommandBars}, BarsInfo},
                                          {{&IID_CommandBar}, BarInfo},
                                          {{&IID_CommandBarControls}, ControlsInfo},
                                          {{&IID_CommandBarControl}, ControlInfo},
                                          {{&IID_CommandBarPopup, &IID_CommandBarControl}, PopupInfo}};
const CommandBarFaces OfficeBarFaces{{{&IID_OfficeCommandBars}, OfficeBarsInfo},
                                     {{&IID_OfficeCommandBar}, OfficeBarInfo},
                                     {{&IID_OfficeCommandBarControls}, OfficeControlsInfo},
                                     {{&IID_OfficeCommandBarControl}, OfficeControlInfo},
                                     {{&IID_OfficeCommandBarPopup, &IID_OfficeCommandBarControl}, OfficePopupInfo}};

HRESULT GiveText(const std::u16string& text, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::u16string TextOf(BSTR text) { return std::u16string(Units(text), SysStringLen(text)); }

// Every object of the model, serving the dual interface Interface: reference counting,
// QueryInterface by its face, IDispatch carried out by the face's type information (which
// resolves names, checks each call's shape and arguments and calls the vtable), and the model's
// faults, which apply in each vtable member before the object's own answer.
template <class Interface>
class ModelObject : public Interface {
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
        *out = static_cast<Interface*>(this);
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

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return GiveTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        return GiveTypeInfo(face_.typeInfo, index, out);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return DispatchIdsOfNames(face_.typeInfo, iid, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        return DispatchInvoke(face_.typeInfo, static_cast<Interface*>(this), id, iid, flags, parameters, result,
                              exception, argumentError);
    }

protected:
    // One call of `member` that answers through `out`: counted, then its fault applies (a failure,
    // or success with nothing in `out`), then `answer` fills `out`.
    template <class Out, class Answer>
    HRESULT Serve(Member member, Out* out, Answer answer) {
        if (!out) return E_POINTER;
        *out = Out{};
        ++node_.calls[static_cast<std::size_t>(member)];
        switch (node_.FaultOf(member)) {
        case Fault::Fail:
            return E_FAIL;
        case Fault::Nothing:
            return S_OK;
        case Fault::None:
            break;
        }
        return Guarded(answer);
    }

    // One property put of `member`, or one call that answers nothing: counted, refused by a
    // failure fault, otherwise carried out.
    template <class Answer>
    HRESULT Put(Member member, Answer answer) {
        ++node_.calls[static_cast<std::size_t>(member)];
        return node_.FaultOf(member) == Fault::Fail ? E_FAIL : Guarded(answer);
    }

private:
    bool Answers(REFIID iid) const {
        for (const IID* face : face_.interfaces) {
            if (face && *face == iid) return true;
        }
        return false;
    }

    const Face& face_;
    model::Node& node_;
    LONG references_ = 1;
};

// A new object for `node` (and whatever else its constructor takes) into `out`; a null object
// when the model has none.
template <class Object, class Out, class Node, class... Context>
HRESULT GiveObject(Out** out, Node* node, Context&... context) {
    *out = nullptr;
    if (!node) return S_OK;
    *out = new (std::nothrow) Object(*node, context...);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The model data behind `argument` when it is one of this file's objects of class Object; null
// for anything else.
template <class Object>
typename Object::Data* ArgumentData(IUnknown* argument) {
    if (!argument) return nullptr;
    ComPtr<IUnknown> object;
    if (FAILED(argument->QueryInterface(IID_ModelObject, reinterpret_cast<void**>(object.put())))) return nullptr;
    auto* known = dynamic_cast<Object*>(object.get());
    return known ? &known->data : nullptr;
}

// The answer of an Item call that found `entry`, honouring a fault set on the entry itself.
template <class Object, class Out, class T, class... Context>
HRESULT GiveEntry(const typename model::Collection<T>::Entry& entry, Out** out, Context&... context) {
    switch (entry.fault) {
    case Fault::Fail:
        return E_FAIL;
    case Fault::Nothing:
        return S_OK;
    case Fault::None:
        break;
    }
    return GiveObject<Object>(out, entry.object, context...);
}

// Item(i) for i from 1; any index that converts to a 32-bit integer.
template <class Object, class Out, class T>
HRESULT ItemAt(model::Collection<T>& collection, VARIANT index, Out** out) {
    Variant position;
    if (FAILED(VariantChangeType(position.get(), &index, 0, VT_I4))) return E_INVALIDARG;
    const LONG at = position.get()->lVal;
    if (at < 1 || static_cast<std::size_t>(at) > collection.entries.size()) return E_INVALIDARG;
    return GiveEntry<Object, Out, T>(collection.entries[at - 1], out);
}

// Item(name), ignoring ASCII case.
template <class Object, class Out, class T>
HRESULT ItemNamed(model::Collection<T>& collection, VARIANT index, Out** out, const CommandBarFaces& faces) {
    Variant name;
    if (FAILED(VariantChangeType(name.get(), &index, 0, VT_BSTR))) return E_INVALIDARG;
    const std::u16string wanted = TextOf(name.get()->bstrVal);
    for (const auto& entry : collection.entries) {
        if (CompareIgnoringAsciiCase(entry.object->name.c_str(), wanted.c_str()) == 0) {
            return GiveEntry<Object, Out, T>(entry, out, faces);
        }
    }
    return E_INVALIDARG;
}

class ProjectItemObject;

class ProjectItemsObject final : public ModelObject<::ProjectItems> {
public:
    explicit ProjectItemsObject(model::ItemCollection& items) : ModelObject(ProjectItemsFace, items), items_(items) {}

    HRESULT STDMETHODCALLTYPE Item(VARIANT index, ::ProjectItem** out) override;
    HRESULT STDMETHODCALLTYPE get_Count(long* out) override {
        return Serve(Member::Count, out, [&] {
            *out = static_cast<long>(items_.entries.size());
            return S_OK;
        });
    }

private:
    model::ItemCollection& items_;
};

class ProjectObject final : public ModelObject<::Project> {
public:
    explicit ProjectObject(model::Project& project) : ModelObject(ProjectFace, project), project_(project) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override {
        return Serve(Member::Name, out, [&] { return GiveText(project_.name, out); });
    }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override {
        return Put(Member::Name, [&] {
            project_.name = TextOf(name);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_ProjectItems(::ProjectItems** out) override {
        return Serve(Member::ProjectItems, out, [&] { return GiveObject<ProjectItemsObject>(out, project_.items); });
    }
    HRESULT STDMETHODCALLTYPE get_Kind(BSTR* out) override {
        return Serve(Member::Kind, out, [&] { return GiveText(project_.kind, out); });
    }

private:
    model::Project& project_;
};

class ProjectItemObject final : public ModelObject<::ProjectItem> {
public:
    explicit ProjectItemObject(model::Item& item) : ModelObject(ProjectItemFace, item), item_(item) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override {
        return Serve(Member::Name, out, [&] { return GiveText(item_.name, out); });
    }
    HRESULT STDMETHODCALLTYPE get_ProjectItems(::ProjectItems** out) override {
        return Serve(Member::ProjectItems, out, [&] { return GiveObject<ProjectItemsObject>(out, item_.children); });
    }
    // The file's only name sits at one index: 0, or 1 for a solution folder's items.
    HRESULT STDMETHODCALLTYPE get_FileNames(short index, BSTR* out) override {
        return Serve(Member::FileNames, out, [&] {
            if (index != item_.fileNameIndex) return E_INVALIDARG;
            return GiveText(model::FileNameOf(item_), out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_SubProject(::Project** out) override {
        return Serve(Member::SubProject, out, [&] { return GiveObject<ProjectObject>(out, item_.subProject); });
    }
    HRESULT STDMETHODCALLTYPE get_Kind(BSTR* out) override {
        return Serve(Member::Kind, out, [&] { return GiveText(item_.kind, out); });
    }

private:
    model::Item& item_;
};

HRESULT ProjectItemsObject::Item(VARIANT index, ::ProjectItem** out) {
    return Serve(Member::Item, out, [&] { return ItemAt<ProjectItemObject>(items_, index, out); });
}

class ProjectsObject final : public ModelObject<::Projects> {
public:
    explicit ProjectsObject(model::ProjectCollection& projects)
        : ModelObject(ProjectsFace, projects), projects_(projects) {}

    HRESULT STDMETHODCALLTYPE Item(VARIANT index, ::Project** out) override {
        return Serve(Member::Item, out, [&] { return ItemAt<ProjectObject>(projects_, index, out); });
    }
    HRESULT STDMETHODCALLTYPE get_Count(long* out) override {
        return Serve(Member::Count, out, [&] {
            *out = static_cast<long>(projects_.entries.size());
            return S_OK;
        });
    }

private:
    model::ProjectCollection& projects_;
};

class SolutionObject final : public ModelObject<::_Solution> {
public:
    explicit SolutionObject(model::SolutionModel& model) : ModelObject(SolutionFace, model.solution), model_(model) {}

    HRESULT STDMETHODCALLTYPE get_Projects(::Projects** out) override {
        return Serve(Member::Projects, out, [&] { return GiveObject<ProjectsObject>(out, &model_.projects); });
    }

private:
    model::SolutionModel& model_;
};

class AddInObject final : public ModelObject<::AddIn> {
public:
    using Data = model::AddIn;
    explicit AddInObject(model::AddIn& addIn) : ModelObject(AddInFace, addIn), data(addIn) {}
    model::AddIn& data;
};

class CommandBarObject;

// A control answers CommandBarPopup, and gives its own bar, only when it is a popup.
class ControlObject final : public ModelObject<::CommandBarPopup> {
public:
    using Data = model::CommandBarControl;
    ControlObject(model::CommandBarControl& control, const CommandBarFaces& faces)
        : ModelObject(control.popup ? faces.popup : faces.control, control), data(control), faces_(faces) {}
    model::CommandBarControl& data;

    HRESULT STDMETHODCALLTYPE get_CommandBar(::CommandBar** out) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* out) override {
        return Serve(Member::Caption, out,
                     [&] { return GiveText(data.caption.empty() ? data.name : data.caption, out); });
    }

private:
    const CommandBarFaces& faces_;
};

class ControlsObject final : public ModelObject<::CommandBarControls> {
public:
    ControlsObject(model::ControlCollection& controls, const CommandBarFaces& faces)
        : ModelObject(faces.controls, controls), controls_(controls), faces_(faces) {}

    // Item by caption, or by position from 1 for an index that is a number.
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ::CommandBarControl** out) override {
        return Serve(Member::Item, out, [&] {
            if (index.vt == VT_BSTR) return ItemNamed<ControlObject>(controls_, index, out, faces_);
            Variant position;
            if (FAILED(VariantChangeType(position.get(), &index, 0, VT_I4))) return E_INVALIDARG;
            const LONG at = position.get()->lVal;
            if (at < 1 || static_cast<std::size_t>(at) > controls_.entries.size()) return E_INVALIDARG;
            return GiveEntry<ControlObject, ::CommandBarControl, model::CommandBarControl>(controls_.entries[at - 1],
                                                                                           out, faces_);
        });
    }
    HRESULT STDMETHODCALLTYPE get_Count(int* out) override {
        return Serve(Member::Count, out, [&] {
            *out = static_cast<int>(controls_.entries.size());
            return S_OK;
        });
    }

private:
    model::ControlCollection& controls_;
    const CommandBarFaces& faces_;
};

class CommandBarObject final : public ModelObject<::CommandBar> {
public:
    using Data = model::CommandBar;
    CommandBarObject(model::CommandBar& bar, const CommandBarFaces& faces)
        : ModelObject(faces.bar, bar), data(bar), faces_(faces) {}
    model::CommandBar& data;

    HRESULT STDMETHODCALLTYPE get_Controls(::CommandBarControls** out) override {
        return Serve(Member::Controls, out, [&] { return GiveObject<ControlsObject>(out, &data.controls, faces_); });
    }

private:
    const CommandBarFaces& faces_;
};

HRESULT ControlObject::get_CommandBar(::CommandBar** out) {
    return Serve(Member::CommandBar, out, [&] { return GiveObject<CommandBarObject>(out, data.popup, faces_); });
}

class CommandBarsObject final : public ModelObject<::_CommandBars> {
public:
    CommandBarsObject(model::CommandBarCollection& bars, const CommandBarFaces& faces)
        : ModelObject(faces.bars, bars), bars_(bars), faces_(faces) {}

    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ::CommandBar** out) override {
        return Serve(Member::Item, out, [&] { return ItemNamed<CommandBarObject>(bars_, index, out, faces_); });
    }

private:
    model::CommandBarCollection& bars_;
    const CommandBarFaces& faces_;
};

// A command takes texts for its key binding, and places controls on command bars of the model.
class CommandObject final : public ModelObject<::Command> {
public:
    CommandObject(model::Command& command, model::SolutionModel& model)
        : ModelObject(CommandFace, command), command_(command), model_(model) {}

    HRESULT STDMETHODCALLTYPE put_Bindings(VARIANT binding) override {
        return Put(Member::Bindings, [&] {
            if (binding.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
            command_.bindings.push_back(TextOf(binding.bstrVal));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE AddControl(IDispatch* owner, long position, IDispatch** out) override {
        return Serve(Member::AddControl, out, [&] {
            model::CommandBar* bar = ArgumentData<CommandBarObject>(owner);
            model::CommandBarControl* control = model_.AddCommandControl(command_, bar, position);
            if (!control) return E_INVALIDARG;
            return GiveObject<ControlObject>(out, control,
                                             model_.officeCommandBars ? OfficeBarFaces : EnvironmentBarFaces);
        });
    }

private:
    model::Command& command_;
    model::SolutionModel& model_;
};

// The commands record every AddNamedCommand2 that reaches them, argument by argument.
class CommandsObject final : public ModelObject<::Commands2> {
public:
    CommandsObject(model::CommandTable& commands, model::SolutionModel& model)
        : ModelObject(CommandsFace, commands), model_(model) {}

    HRESULT STDMETHODCALLTYPE AddNamedCommand2(::AddIn* addIn, BSTR name, BSTR buttonText, BSTR tooltip,
                                               VARIANT_BOOL msoButton, VARIANT bitmap, SAFEARRAY** contextGuids,
                                               long status, long style, vsCommandControlType controlType,
                                               ::Command** out) override {
        return Serve(Member::AddNamedCommand2, out, [&] {
            model::CommandRequest request;
            request.addIn = ArgumentData<AddInObject>(addIn);
            request.name = TextOf(name);
            request.buttonText = TextOf(buttonText);
            request.tooltip = TextOf(tooltip);
            request.msoButton = msoButton != VARIANT_FALSE;
            request.bitmapType = bitmap.vt;
            request.bitmap = bitmap.vt == VT_I4 ? bitmap.lVal : 0;
            request.contextGuids = !contextGuids    ? model::ArrayArgument::NoReference
                                   : !*contextGuids ? model::ArrayArgument::NoArray
                                                    : model::ArrayArgument::Array;
            request.status = status;
            request.style = style;
            request.controlType = controlType;
            model::Command* command = model_.AddNamedCommand(request);
            if (!command) return E_INVALIDARG;
            return GiveObject<CommandObject>(out, command, model_);
        });
    }

private:
    model::SolutionModel& model_;
};

// The text selection of the window opened by request `request`: GotoLine records the line there.
class TextSelectionObject final : public ModelObject<::TextSelection> {
public:
    TextSelectionObject(model::ItemOperations& operations, std::size_t& request)
        : ModelObject(TextSelectionFace, operations), operations_(operations), request_(request) {}

    HRESULT STDMETHODCALLTYPE GotoLine(LONG line, VARIANT_BOOL) override {
        return Put(Member::GotoLine, [&] {
            // Lines count from 1; a line past the end is the view's to clamp.
            if (line < 1) return E_INVALIDARG;
            if (request_ < operations_.requests.size()) operations_.requests[request_].line = line;
            return S_OK;
        });
    }

private:
    model::ItemOperations& operations_;
    std::size_t request_;
};

// A document window the environment gives for the file of request `request`; its selection is a
// text selection.
class WindowObject final : public ModelObject<::Window> {
public:
    WindowObject(model::ItemOperations& operations, std::size_t& request)
        : ModelObject(WindowFace, operations), operations_(operations), request_(request) {}

    HRESULT STDMETHODCALLTYPE get_Selection(IDispatch** out) override {
        return Serve(Member::Selection, out,
                     [&] { return GiveObject<TextSelectionObject>(out, &operations_, request_); });
    }

private:
    model::ItemOperations& operations_;
    std::size_t request_;
};

class ItemOperationsObject final : public ModelObject<::ItemOperations> {
public:
    explicit ItemOperationsObject(model::ItemOperations& operations)
        : ModelObject(ItemOperationsFace, operations), operations_(operations) {}

    HRESULT STDMETHODCALLTYPE OpenFile(BSTR fileName, BSTR viewKind, ::Window** out) override {
        return Serve(Member::OpenFile, out, [&] {
            operations_.requests.push_back({TextOf(fileName), TextOf(viewKind)});
            const auto& refused = operations_.refused;
            if (std::find(refused.begin(), refused.end(), operations_.requests.back().fileName) != refused.end()) {
                return E_FAIL;
            }
            if (!operations_.givesWindows) return S_OK;
            std::size_t request = operations_.requests.size() - 1;
            return GiveObject<WindowObject>(out, &operations_, request);
        });
    }

private:
    model::ItemOperations& operations_;
};

class RootObject final : public ModelObject<::DTE2> {
public:
    explicit RootObject(model::SolutionModel& model) : ModelObject(RootFace, model.root), model_(model) {}

    HRESULT STDMETHODCALLTYPE get_Solution(::_Solution** out) override {
        return Serve(Member::Solution, out, [&] { return GiveObject<SolutionObject>(out, &model_); });
    }
    HRESULT STDMETHODCALLTYPE get_Commands(::Commands** out) override {
        return Serve(Member::Commands, out, [&] { return GiveObject<CommandsObject>(out, &model_.commands, model_); });
    }
    HRESULT STDMETHODCALLTYPE get_CommandBars(IDispatch** out) override {
        return Serve(Member::CommandBars, out, [&] {
            return GiveObject<CommandBarsObject>(out, &model_.commandBars,
                                                 model_.officeCommandBars ? OfficeBarFaces : EnvironmentBarFaces);
        });
    }
    HRESULT STDMETHODCALLTYPE get_ItemOperations(::ItemOperations** out) override {
        return Serve(Member::ItemOperations, out,
                     [&] { return GiveObject<ItemOperationsObject>(out, &model_.itemOperations); });
    }
    HRESULT STDMETHODCALLTYPE get_LocaleID(long* out) override {
        return Serve(Member::LocaleID, out, [&] {
            *out = model_.localeId;
            return S_OK;
        });
    }

private:
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
