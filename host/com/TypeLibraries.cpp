#include "host/com/TypeLibraries.h"

#include <oleauto.h>

#include <string>

#include "win/ComPtr.h"
#include "host/typelib/TypeLibraryIds.h"

namespace sprig::host {
namespace {

// A type library resource is named by the module's path, a backslash and its identifier. The
// resources sit in the module that this code is linked into.
HRESULT ResourcePath(int resource, std::wstring& path) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&ResourcePath), &module)) {
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
    path = file + L'\\' + std::to_wstring(resource);
    return S_OK;
}

}  // namespace

HRESULT LoadHostTypeLibrary(int resource, ITypeLib** library) {
    *library = nullptr;
    std::wstring path;
    const HRESULT hr = ResourcePath(resource, path);
    return FAILED(hr) ? hr : LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

HRESULT RegisterHostTypeLibraries() {
    for (int resource :
         {SPRIG_ENVDTE_TYPELIB, SPRIG_ENVDTE80_TYPELIB, SPRIG_ADDIN_DESIGNER_TYPELIB, SPRIG_COMMANDBARS_TYPELIB}) {
        std::wstring path;
        ComPtr<ITypeLib> library;
        HRESULT hr = ResourcePath(resource, path);
        if (SUCCEEDED(hr)) hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
        if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.get(), path.data(), nullptr);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace sprig::host
