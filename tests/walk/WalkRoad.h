// The road by which the walk cases reach a model: straight through the model in the native tests,
// through real COM dispatch in the Windows tests. Both must give the same catalogue.
#pragma once

#include "catalogue/Catalogue.h"
#include "solution/model/SolutionModel.h"

namespace sprig::testing {

// Builds the catalogue of `model` and gives the number of host references still held afterwards.
long WalkModel(model::SolutionModel& model, Catalogue& catalogue);

}  // namespace sprig::testing
