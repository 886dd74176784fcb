#include "addin/Connect.h"

#include <new>
#include <optional>
#include <string_view>

#include "win/Automation.h"
#include "win/Guarded.h"
#include "win/WideText.h"
#include "addin/HostInterfaces.h"
#include "addin/DispatchSolutionView.h"
#include "addin/Module.h"
#include "addin/core/ToolsMenu.h"
#include "catalogue/Text.h"
#include "dialog/Sprig.h"

namespace sprig {

TypeInfoCache CommandTargetTypeInfo{host::LIBID_EnvDTE, 7, 0, __uuidof(IDTCommandTarget)};
TypeInfoCache ExtensibilityTypeInfo{host::LIBID_AddInDesignerObjects, 1, 0, __uuidof(_IDTExtensibility2)};

namespace {

// The zero-terminated text, ignoring ASCII case, as the environment compares command names.
bool IsOurCommand(BSTR name) { return name && CompareIgnoringAsciiCase(Units(name), Units(FullCommandName)) == 0; }

// AddNamedCommand2 on the command collection: the new command, or nothing when the environment
// refuses it (as it does when an earlier set-up made it).
ComPtr<IDispatch> AddNamedCommand(IDispatch* commands, IDispatch* addIn) {
    const Variant addInInstance{ComPtr<IDispatch>(addIn)};
    const Variant name{Bstr(L"Sprig")};
    const Variant buttonText{Bstr(L"Open File(s) in Solution...")};
    const Variant tooltip{Bstr(L"Open file(s) in solution.")};
    const Variant msoButton{true};
    const Variant bitmap{std::int32_t{-1}};
    // No context GUIDs: the published parameter is a reference to an array, here a null reference,
    // which the member receives as a null SAFEARRAY** (a reference to a null array would reach it
    // as a pointer to null, which is neither none nor an array).
    VARIANT contexts;
    VariantInit(&contexts);
    contexts.vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
    contexts.pparray = nullptr;
    const Variant status{std::int32_t{vsCommandStatusSupported | vsCommandStatusEnabled}};
    const Variant style{std::int32_t{host::vsCommandStylePictAndText}};
    const Variant controlType{std::int32_t{host::vsCommandControlTypeButton}};
    return MethodObject(
        commands, L"AddNamedCommand2",
        {*addInInstance, *name, *buttonText, *tooltip, *msoButton, *bitmap, contexts, *status, *style, *controlType});
}

// The command bar of a menu bar control that is a popup menu.
HRESULT PopupBar(IDispatch* control, ComPtr<IDispatch>& bar) {
    ComPtr<IDispatch> popup;
    HRESULT hr = QueryFace(control, {&host::IID_CommandBarPopup, &host::IID_OfficeCommandBarPopup}, popup);
    if (SUCCEEDED(hr)) hr = RequireProperty(popup.get(), L"CommandBar", bar);
    return hr;
}

// The Tools menu where the menu bar has no control "Tools", as in an environment of another
// language: the command bar named "Tools", then the menu bar control that the environment's
// language captions as the Tools menu, asked for by that caption and then looked for among all
// the controls. Nothing when none of them is found.
ComPtr<IDispatch> LocalizedToolsMenu(IDispatch* root, IDispatch* commandBars, IDispatch* controls) {
    if (ComPtr<IDispatch> bar = ItemObject(commandBars, *Variant(Bstr(L"Tools")))) return bar;
    if (!controls) return nullptr;
    const std::optional<std::int32_t> locale = PropertyInt32(root, L"LocaleID");
    const std::u16string_view caption = locale ? ToolsMenuCaption(*locale) : std::u16string_view();
    if (caption.empty()) return nullptr;
    ComPtr<IDispatch> bar;
    const ComPtr<IDispatch> named = ItemObject(controls, *Variant(Bstr(Wide(caption.data()))));
    if (named && SUCCEEDED(PopupBar(named.get(), bar))) return bar;
    const std::optional<std::int32_t> count = PropertyInt32(controls, L"Count");
    for (std::int32_t index = 1; count && index <= *count; ++index) {
        const ComPtr<IDispatch> control = ItemObject(controls, *Variant(index));
        const Bstr text = PropertyText(control.get(), L"Caption");
        if (text && IsCaptioned(Units(std::wstring_view(text.get(), text.length())), caption) &&
            SUCCEEDED(PopupBar(control.get(), bar))) {
            return bar;
        }
    }
    return nullptr;
}

// The command bar of the Tools menu: the "MenuBar" command bar, its "Tools" control, and that
// popup's own bar. Each failing step answers its HRESULT, each empty answer E_FAIL; where the
// menu bar has no "Tools" the menu is looked for further, and the failure stays the answer when
// it is not found.
HRESULT FindToolsMenu(IDispatch* root, ComPtr<IDispatch>& toolsMenu) {
    const Variant menuBarName{Bstr(L"MenuBar")};
    const Variant toolsName{Bstr(L"Tools")};
    ComPtr<IDispatch> bars, commandBars, menuBar, controls, tools;
    HRESULT hr = RequireProperty(root, L"CommandBars", bars);
    if (SUCCEEDED(hr)) hr = QueryFace(bars.get(), {&host::IID_CommandBars, &host::IID_OfficeCommandBars}, commandBars);
    if (FAILED(hr)) return hr;
    hr = RequireItem(commandBars.get(), *menuBarName, menuBar);
    if (SUCCEEDED(hr)) hr = RequireProperty(menuBar.get(), L"Controls", controls);
    if (SUCCEEDED(hr)) hr = RequireItem(controls.get(), *toolsName, tools);
    if (SUCCEEDED(hr)) return PopupBar(tools.get(), toolsMenu);
    toolsMenu = LocalizedToolsMenu(root, commandBars.get(), controls.get());
    return toolsMenu ? S_OK : hr;
}

// The environment's set-up of the add-in's user interface: the command, bound to its key, first
// in the Tools menu. A command that an earlier set-up made is left as it is.
HRESULT CreateCommand(IDispatch* root, IDispatch* addIn) {
    if (!root || !addIn) return E_NOINTERFACE;  // the environment gave no DTE2 or no AddIn
    ComPtr<IDispatch> commands, commands2;
    HRESULT hr = RequireProperty(root, L"Commands", commands);
    if (SUCCEEDED(hr)) hr = QueryFace(commands.get(), {&host::IID_Commands2}, commands2);
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> command = AddNamedCommand(commands2.get(), addIn);
    if (!command) return S_OK;
    ComPtr<IDispatch> toolsMenu;
    hr = FindToolsMenu(root, toolsMenu);
    // Bound also when no Tools menu is found: the shortcut is then the only way to the command. A
    // binding that the environment refuses does not stop the set-up.
    PutProperty(command.get(), L"Bindings", *Variant(Bstr(L"Global::Ctrl+Shift+Alt+O")));
    if (FAILED(hr)) return hr;
    const Variant owner{std::move(toolsMenu)};
    const Variant first{std::int32_t{1}};
    ComPtr<IDispatch> control;
    return RequireMethod(command.get(), L"AddControl", control, {*owner, *first});
}

}  // namespace

CConnect::CConnect() { Module.Lock(); }

CConnect::~CConnect() { Module.Unlock(); }

HRESULT CConnect::Create(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    CConnect* made = new (std::nothrow) CConnect;
    if (!made) return E_OUTOFMEMORY;
    const ComPtr<IDTCommandTarget> object(made);
    return object->QueryInterface(iid, out);
}

HRESULT CConnect::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(IDTCommandTarget)) {
        *out = static_cast<IDTCommandTarget*>(this);
    } else if (iid == IID_IDispatch || iid == __uuidof(_IDTExtensibility2)) {
        *out = static_cast<_IDTExtensibility2*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CConnect::AddRef() { return ++references_; }

ULONG CConnect::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT CConnect::QueryStatus(BSTR name, vsCommandStatusTextWanted neededText, vsCommandStatus* status, VARIANT*) {
    if (neededText == vsCommandStatusTextWantedNone && IsOurCommand(name) && status) {
        *status = static_cast<vsCommandStatus>(vsCommandStatusSupported | vsCommandStatusEnabled);
    }
    return S_OK;
}

HRESULT CConnect::Exec(BSTR name, vsCommandExecOption option, VARIANT*, VARIANT*, VARIANT_BOOL* handled) {
    if (handled) *handled = VARIANT_FALSE;
    // Without the environment's root object there is no solution to show.
    if (option != vsCommandExecOptionDoDefault || !IsOurCommand(name) || !application_) return S_OK;
    return Guarded([&] {
        DispatchSolutionView view(application_);
        CSprig dialog(application_, view);
        dialog.DoModal(GetActiveWindow());
        if (handled) *handled = VARIANT_TRUE;  // whether the user opened files or cancelled
        return S_OK;
    });
}

HRESULT CConnect::OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInstance, SAFEARRAY**) {
    return Guarded([&] {
        application_ = QueryDispatch(application, host::IID_DTE2);
        addIn_ = QueryDispatch(addInInstance, host::IID_AddIn);
        return mode == ext_cm_UISetup ? CreateCommand(application_.get(), addIn_.get()) : S_OK;
    });
}

HRESULT CConnect::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) {
    application_ = nullptr;
    addIn_ = nullptr;
    return S_OK;
}

HRESULT CConnect::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }

HRESULT CConnect::OnStartupComplete(SAFEARRAY**) { return S_OK; }

HRESULT CConnect::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

}  // namespace sprig
