// Owner of an open registry key.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace sprig {

struct KeyOwnerCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyOwner = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyOwnerCloser>;

}  // namespace sprig
