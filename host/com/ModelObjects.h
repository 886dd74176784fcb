// The in-memory solution served as real COM objects: the environment's root object, the solution,
// project and item collections, projects and items, the add-in's description, the commands, the
// command bars and the ItemOperations that opens files and gives windows, whose text selections
// go to lines. Each implements the dual interface that host/typelib declares with the published
// identifier and shapes, and answers IDispatch through that interface's type information, so that
// a call reaches it only in a shape the environment would take.
// Objects are made on demand for each call that gives one, hold no reference to one another, and
// record each call and apply the faults injected into the model in their vtable members.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "win/ComPtr.h"
#include "solution/model/SolutionModel.h"

namespace sprig::host {

// A new root object (DTE2) for `model`. The model must outlive every object made from it.
ComPtr<IDispatch> CreateModelRoot(model::SolutionModel& model);
// A new object for the model's add-in description (AddIn), as the environment hands it over.
ComPtr<IDispatch> CreateModelAddIn(model::SolutionModel& model);

// References held on all these objects in the process, counted on every AddRef and Release.
long LiveReferences();

}  // namespace sprig::host
