// Writes the server's registration into the registry and registers its type library with the
// system, and takes both away again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "addin/core/Registration.h"

namespace sprig {

enum class RegistrationMode { Register, Unregister };

// The full path of `module`. A path of MAX_PATH units or more fails with the HRESULT of
// ERROR_INSUFFICIENT_BUFFER rather than being cut.
HRESULT ModuleFilePath(HMODULE module, std::u16string& path);

// Register: every key top-down, a replaced key deleted whole first, the values written with
// "%MODULE%" as `modulePath`. Unregister: the values deleted, replaced keys deleted whole, plain
// keys deleted once nothing is left below them; kept keys stay. A key that is not there is nothing
// to remove. The first failure ends the run, leaving what was done before.
HRESULT UpdateRegistry(const std::vector<RegistryTree>& trees, RegistrationMode mode, std::u16string_view modulePath);

// The type library of the DLL at `modulePath` (its TYPELIB resource 1, or else the ".tlb" file
// beside it) registered with the system under the path it was loaded from, or unregistered.
HRESULT RegisterTypeLibraryOf(const std::u16string& modulePath);
HRESULT UnregisterTypeLibraryOf(const std::u16string& modulePath);

// Sets the thread's locale to the system default for the life of the scope.
class SystemLocaleScope {
public:
    SystemLocaleScope() : previous_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(previous_); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID previous_;
};

}  // namespace sprig
