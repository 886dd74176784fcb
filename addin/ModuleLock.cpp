#include "addin/ModuleLock.h"

#include <windows.h>

namespace sprig {
namespace {

LONG lockCount = 0;

}  // namespace

long LockModule() { return InterlockedIncrement(&lockCount); }

long UnlockModule() { return InterlockedDecrement(&lockCount); }

long ModuleLockCount() { return InterlockedCompareExchange(&lockCount, 0, 0); }

}  // namespace sprig
