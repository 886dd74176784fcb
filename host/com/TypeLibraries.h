// The stand-in environment's type libraries, which carry the layout of the add-in interfaces under
// the environment's library identifiers (EnvDTE 7.0, AddInDesignerObjects 1.0), so that the add-in
// can load its type information from the registry as it does inside the environment.
#pragma once

#include <windows.h>

namespace sprig::host {

// Registers both libraries from the resources of the module that links the object library
// sprig_host_typelibs; the first failure ends it.
HRESULT RegisterHostTypeLibraries();

}  // namespace sprig::host
