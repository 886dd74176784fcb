#include "addin/Registrar.h"

#include <oleauto.h>

#include <memory>
#include <utility>

#include "win/ComPtr.h"
#include "win/KeyOwner.h"
#include "win/WideText.h"

namespace sprig {
namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER; }

constexpr REGSAM Access = KEY_READ | KEY_WRITE;

// Deletes the key `name` under `parent` with everything below it; a key that is not there is
// already gone. (The system's own tree deletion came after Windows XP.)
LONG DeleteTree(HKEY parent, const wchar_t* name) {
    LONG error = ERROR_SUCCESS;
    KeyOwner key = OpenKey(parent, name, Access, &error);
    if (error == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) return error;
    for (;;) {
        wchar_t child[256];  // the longest key name and its terminator
        DWORD length = sizeof(child) / sizeof(child[0]);
        error = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS) break;
        if (error == ERROR_SUCCESS) error = DeleteTree(key.get(), child);
        if (error != ERROR_SUCCESS) return error;
    }
    key.reset();
    return RegDeleteKeyW(parent, name);
}

LONG WriteValue(HKEY key, const RegistryValue& value, std::u16string_view modulePath) {
    const std::u16string name(value.name);
    if (value.type == RegistryValue::Type::Number) {
        const DWORD data = value.number;
        return RegSetValueExW(key, Wide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    }
    const std::u16string data = ExpandModule(value.text, modulePath);
    return RegSetValueExW(key, Wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
}

LONG RegisterKey(HKEY parent, const RegistryKey& entry, std::u16string_view modulePath) {
    const std::u16string name(entry.name);
    LONG error = ERROR_SUCCESS;
    if (entry.marking == KeyMarking::Replaced) error = DeleteTree(parent, Wide(name));
    KeyOwner key;
    if (error == ERROR_SUCCESS) key = CreateKey(parent, Wide(name), Access, &error);
    for (auto value = entry.values.begin(); error == ERROR_SUCCESS && value != entry.values.end(); ++value) {
        error = WriteValue(key.get(), *value, modulePath);
    }
    for (auto subkey = entry.subkeys.begin(); error == ERROR_SUCCESS && subkey != entry.subkeys.end(); ++subkey) {
        error = RegisterKey(key.get(), *subkey, modulePath);
    }
    return error;
}

LONG UnregisterKey(HKEY parent, const RegistryKey& entry) {
    const std::u16string name(entry.name);
    if (entry.marking == KeyMarking::Replaced) return DeleteTree(parent, Wide(name));
    LONG error = ERROR_SUCCESS;
    KeyOwner key = OpenKey(parent, Wide(name), Access, &error);
    if (error == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    for (auto subkey = entry.subkeys.begin(); error == ERROR_SUCCESS && subkey != entry.subkeys.end(); ++subkey) {
        error = UnregisterKey(key.get(), *subkey);
    }
    for (auto value = entry.values.begin(); error == ERROR_SUCCESS && value != entry.values.end(); ++value) {
        error = RegDeleteValueW(key.get(), Wide(std::u16string(value->name)));
        if (error == ERROR_FILE_NOT_FOUND) error = ERROR_SUCCESS;
    }
    if (error != ERROR_SUCCESS || entry.marking == KeyMarking::Kept) return error;
    // A subkey still here is not ours, or holds something that is not: the key stays for it.
    DWORD subkeys = 0;
    error = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr);
    if (error != ERROR_SUCCESS || subkeys != 0) return error;
    key.reset();
    return RegDeleteKeyW(parent, Wide(name));
}

// The library from the DLL's TYPELIB resource, or else from the ".tlb" file beside it; `source`
// is where it came from. A library found in neither place answers the last load's failure.
HRESULT LoadServerTypeLibrary(const std::u16string& modulePath, ComPtr<ITypeLib>& library, std::u16string& source) {
    source = modulePath;
    HRESULT hr = LoadTypeLibEx(Wide(source), REGKIND_NONE, library.put());
    if (FAILED(hr)) {
        source = TypeLibraryFileBeside(modulePath);
        hr = LoadTypeLibEx(Wide(source), REGKIND_NONE, library.put());
    }
    return hr;
}

}  // namespace

HRESULT ModuleFilePath(HMODULE module, std::u16string& path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
    // A path that fills the buffer was cut (and, on Windows XP, left unterminated).
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    path.assign(Units(buffer), length);
    return S_OK;
}

HRESULT UpdateRegistry(const std::vector<RegistryTree>& trees, RegistrationMode mode, std::u16string_view modulePath) {
    for (const RegistryTree& tree : trees) {
        const LONG error = mode == RegistrationMode::Register ? RegisterKey(RootKey(tree.root), tree.key, modulePath)
                                                              : UnregisterKey(RootKey(tree.root), tree.key);
        if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
    }
    return S_OK;
}

HRESULT RegisterTypeLibraryOf(const std::u16string& modulePath) {
    ComPtr<ITypeLib> library;
    std::u16string source;
    HRESULT hr = LoadServerTypeLibrary(modulePath, library, source);
    // The library names no help file, so its help directory is empty (a null one would have the
    // system write the library's own folder instead).
    wchar_t noHelpDirectory[] = L"";
    if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.get(), const_cast<wchar_t*>(Wide(source)), noHelpDirectory);
    return hr;
}

HRESULT UnregisterTypeLibraryOf(const std::u16string& modulePath) {
    ComPtr<ITypeLib> library;
    std::u16string source;
    HRESULT hr = LoadServerTypeLibrary(modulePath, library, source);
    if (FAILED(hr)) return hr;
    TLIBATTR* raw = nullptr;
    hr = library->GetLibAttr(&raw);
    if (FAILED(hr)) return hr;
    const auto release = [&library](TLIBATTR* attributes) { library->ReleaseTLibAttr(attributes); };
    const std::unique_ptr<TLIBATTR, decltype(release)> attributes(raw, release);
    return UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                             attributes->syskind);
}

}  // namespace sprig
