// The road by which the walk cases reach a model: straight through the model in the native tests,
// through real COM dispatch in the Windows tests. Both must give the same catalogue, except where
// the walk relies on the host's object identities: the model gives each object one, while the
// stand-in's COM objects are made anew at every call.
#pragma once

#include "catalogue/Catalogue.h"
#include "solution/model/SolutionModel.h"

namespace sprig::testing {

// Builds the catalogue of `model` and gives the number of host references still held afterwards.
long WalkModel(model::SolutionModel& model, Catalogue& catalogue);

// Whether the road gives one identity to each object of the model.
extern const bool RoadKeepsIdentities;

}  // namespace sprig::testing
