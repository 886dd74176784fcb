#include "host/app/AddInHost.h"

#include <algorithm>
#include <utility>

#include "win/Automation.h"
#include "host/app/HostRegistry.h"
#include "host/com/ModelObjects.h"

namespace sprig::host {
namespace {

std::wstring Hex(HRESULT status) {
    wchar_t text[16];
    wsprintfW(text, L"0x%08lX", static_cast<unsigned long>(status));
    return text;
}

}  // namespace

std::wstring CommandAddIn(const std::u16string& fullName) {
    const std::size_t point = fullName.rfind(u'.');
    return point == std::u16string::npos ? std::wstring() : std::wstring(fullName.begin(), fullName.begin() + point);
}

AddInHost::AddInHost(model::SolutionModel& model, ComPtr<IDispatch> root, std::function<void(std::wstring_view)> report,
                     std::wstring version)
    : model_(model), root_(std::move(root)), report_(std::move(report)), version_(std::move(version)) {}

AddInHost::~AddInHost() { ShutDown(); }

ComPtr<_IDTExtensibility2> AddInHost::Connect(const std::wstring& progId, ext_ConnectMode mode) {
    CLSID clsid;
    HRESULT status = CLSIDFromProgID(progId.c_str(), &clsid);
    ComPtr<_IDTExtensibility2> addIn;
    if (SUCCEEDED(status)) {
        status = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(_IDTExtensibility2),
                                  reinterpret_cast<void**>(addIn.put()));
    }
    if (FAILED(status) || !addIn) {
        Report(L"cannot create " + progId + L": " + Hex(status));
        return nullptr;
    }
    // The add-in's description names it, as the environment's does.
    model_.addIn.progId.assign(progId.begin(), progId.end());
    const ComPtr<IDispatch> description = CreateModelAddIn(model_);
    SAFEARRAY* custom = nullptr;
    status = addIn->OnConnection(root_.get(), mode, description.get(), &custom);
    Report(L"connected " + progId + L" mode " + std::to_wstring(mode) + L": " + Hex(status));
    if (FAILED(status)) {
        addIn->OnDisconnection(ext_dm_HostShutdown, &custom);
        return nullptr;
    }
    return addIn;
}

bool AddInHost::StartUp() {
    bool changed = false;
    for (const AddInRegistration& registration : FindAddIns(version_)) {
        if (registration.commandPreload == 1 && !WasPreloaded(registration.progId, version_)) {
            // The add-in makes its commands now; the environment keeps them from then on and
            // does not ask again. An add-in that could not be made or refused the connection is
            // asked again at the next start.
            if (ComPtr<_IDTExtensibility2> addIn = Connect(registration.progId, ext_cm_UISetup)) {
                SAFEARRAY* custom = nullptr;
                addIn->OnDisconnection(ext_dm_UISetupComplete, &custom);
                RememberPreloaded(registration.progId, version_);
                Report(L"preloaded " + registration.progId);
                changed = true;
            }
        }
        if ((registration.loadBehavior & 1) != 0) {
            if (ComPtr<_IDTExtensibility2> addIn = Connect(registration.progId, ext_cm_Startup)) {
                loaded_.push_back({registration.progId, std::move(addIn)});
            }
        }
    }
    return changed;
}

bool AddInHost::RunCommand(const model::Command& command) {
    const std::wstring progId = CommandAddIn(command.name);
    const std::wstring name(command.name.begin(), command.name.end());
    auto loaded =
        std::find_if(loaded_.begin(), loaded_.end(), [&](const Loaded& entry) { return entry.progId == progId; });
    if (loaded == loaded_.end()) {
        if (!IsAddInRegistered(progId, version_)) {
            Report(L"not registered " + progId + L": " + name + L" not run");
            return false;
        }
        ComPtr<_IDTExtensibility2> addIn = Connect(progId, ext_cm_AfterStartup);
        if (!addIn) return false;
        loaded = loaded_.insert(loaded_.end(), {progId, std::move(addIn)});
    }
    ComPtr<IDTCommandTarget> target;
    if (FAILED(loaded->addIn->QueryInterface(__uuidof(IDTCommandTarget), reinterpret_cast<void**>(target.put()))) ||
        !target) {
        Report(L"no command target in " + progId);
        return false;
    }
    const Bstr text(name.c_str());
    vsCommandStatus status = vsCommandStatusUnsupported;
    Variant commandText;
    target->QueryStatus(text.get(), vsCommandStatusTextWantedNone, &status, commandText.get());
    if ((status & vsCommandStatusEnabled) == 0) {
        Report(L"disabled " + name);
        return false;
    }
    Variant in, out;
    VARIANT_BOOL handled = VARIANT_FALSE;
    const HRESULT result = target->Exec(text.get(), vsCommandExecOptionDoDefault, in.get(), out.get(), &handled);
    Report(L"executed " + name + L": " + Hex(result) + (handled ? L" handled" : L" not handled"));
    return SUCCEEDED(result) && handled;
}

void AddInHost::ShutDown() {
    for (Loaded& entry : loaded_) {
        SAFEARRAY* custom = nullptr;
        entry.addIn->OnDisconnection(ext_dm_HostShutdown, &custom);
    }
    loaded_.clear();
}

}  // namespace sprig::host
