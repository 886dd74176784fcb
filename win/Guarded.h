// A call that faces COM must not let an exception through: the body's exceptions become HRESULTs.
#pragma once

#include <windows.h>

#include <new>

namespace sprig {

template <class Body>
HRESULT Guarded(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace sprig
