// Owner of an open registry key, and the calls that open or create one into it.
#pragma once

#include <windows.h>

#include "win/Owners.h"

namespace sprig {

using KeyOwner = Owner<HKEY, RegCloseKey>;

// The key `path` under `parent`, opened for `access`; empty when it cannot be, and then `error`,
// when given, says why.
inline KeyOwner OpenKey(HKEY parent, const wchar_t* path, REGSAM access, LONG* error = nullptr) {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExW(parent, path, 0, access, &key);
    if (error) *error = result;
    return KeyOwner(result == ERROR_SUCCESS ? key : nullptr);
}

// The key `path` under `parent`, created (as a lasting key) when it is not there and opened for
// `access`; empty when it cannot be, and then `error`, when given, says why.
inline KeyOwner CreateKey(HKEY parent, const wchar_t* path, REGSAM access, LONG* error = nullptr) {
    HKEY key = nullptr;
    const LONG result =
        RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    if (error) *error = result;
    return KeyOwner(result == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace sprig
