// The stand-in environment's type libraries, embedded as resources of every binary that links the
// stand-in's objects: the environment's libraries under their published identifiers (EnvDTE 7.0,
// EnvDTE80 8.0, AddInDesignerObjects 1.0, the environment's command bars 8.0) and the office
// command-bar library. The objects take their type information from them; the add-in loads its
// own faces' type information from the registered ones, as it does inside the environment.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sprig::host {

// Registers the environment's libraries (not the office one, which the environment does not own)
// from the resources of this module; the first failure ends it.
HRESULT RegisterHostTypeLibraries();

// The library of that resource identifier (host/typelib/TypeLibraryIds.h) in this module, not
// registered.
HRESULT LoadHostTypeLibrary(int resource, ITypeLib** library);

}  // namespace sprig::host
