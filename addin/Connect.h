// The connection object through which the environment drives the add-in: it stores the
// environment's root object and the add-in's description when connected, creates the add-in's
// command and its Tools menu entry when the environment sets up the add-in's user interface,
// answers the command's status and runs the command.
#pragma once

#include <windows.h>

#include "AddInInterfaces.h"
#include "win/ComPtr.h"
#include "addin/TypeInfo.h"

namespace sprig {

// The type information of the two faces, from the environment's registered libraries.
extern TypeInfoCache CommandTargetTypeInfo;
extern TypeInfoCache ExtensibilityTypeInfo;

// The command as the environment passes it back: the add-in's ProgID, a point, the command name.
inline constexpr wchar_t FullCommandName[] = L"Sprig.Connect.Sprig";

// Two faces, in this order: the command target, then the add-in life cycle. IUnknown is the
// command target's face, IDispatch the life cycle's. The object lives in one single-threaded
// apartment, so its count is a plain integer; it holds one module lock while it lives.
class CConnect final : public DispatchFace<IDTCommandTarget, CommandTargetTypeInfo>,
                       public DispatchFace<_IDTExtensibility2, ExtensibilityTypeInfo> {
public:
    // A new object asked for `iid` into `out`; the object goes again when it refuses `iid`.
    // No aggregation.
    static HRESULT Create(REFIID iid, void** out);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE QueryStatus(BSTR name, vsCommandStatusTextWanted neededText, vsCommandStatus* status,
                                          VARIANT* commandText) override;
    HRESULT STDMETHODCALLTYPE Exec(BSTR name, vsCommandExecOption option, VARIANT* in, VARIANT* out,
                                   VARIANT_BOOL* handled) override;

    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInstance,
                                           SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

private:
    CConnect();
    ~CConnect();
    CConnect(const CConnect&) = delete;
    CConnect& operator=(const CConnect&) = delete;

    ULONG references_ = 0;
    ComPtr<IDispatch> application_;  // DTE2
    ComPtr<IDispatch> addIn_;        // AddIn
};

}  // namespace sprig
