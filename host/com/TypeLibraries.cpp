#include "host/com/TypeLibraries.h"

#include <oleauto.h>

#include <string>

#include "win/ComPtr.h"
#include "host/typelib/TypeLibraryIds.h"

namespace sprig::host {

HRESULT RegisterHostTypeLibraries() {
    // The resources sit in the module that this code is linked into.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&RegisterHostTypeLibraries), &module)) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    std::wstring file(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, file.data(), static_cast<DWORD>(file.size()));
        if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
        if (length < file.size()) {
            file.resize(length);
            break;
        }
        file.resize(file.size() * 2);
    }
    for (int resource : {SPRIG_ENVDTE_TYPELIB, SPRIG_ADDIN_DESIGNER_TYPELIB}) {
        // A type library resource is named by the module's path, a backslash and its identifier.
        std::wstring path = file + L'\\' + std::to_wstring(resource);
        ComPtr<ITypeLib> library;
        HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
        if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.get(), path.data(), nullptr);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace sprig::host
