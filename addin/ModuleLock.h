// The module's lock count: the reasons not to unload the DLL (each live connection object, among
// others). Changed only by interlocked operations, since any thread may ask.
#pragma once

namespace sprig {

// Each answers the new count.
long LockModule();
long UnlockModule();
long ModuleLockCount();

}  // namespace sprig
