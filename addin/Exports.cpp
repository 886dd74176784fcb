// The DLL's entry point and its four exports, by name and ordinal as addin/Sprig.def lists them.
#include <windows.h>
#include <olectl.h>

#include "addin/Module.h"

using sprig::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    Module.SetInstance(instance);
    if (reason == DLL_PROCESS_ATTACH) return !Module.InitFailed();
    // Freed by the COM runtime (or after a refused load): give back what the module keeps. When
    // the process ends instead (`reserved` set), other threads and the COM runtime may already be
    // gone, so nothing is called; the system takes everything back.
    if (reason == DLL_PROCESS_DETACH && !reserved) Module.Terminate();
    return TRUE;
}

STDAPI DllCanUnloadNow() { return Module.GetLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** out) { return Module.GetClassObject(classId, iid, out); }

STDAPI DllRegisterServer() { return Module.RegisterServer(); }

STDAPI DllUnregisterServer() { return Module.UnregisterServer(); }
