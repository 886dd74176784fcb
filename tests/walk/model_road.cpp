// The native road: the walk reads the model directly.
#include "catalogue/SolutionWalker.h"
#include "solution/model/ModelSolutionView.h"
#include "walk/WalkRoad.h"

namespace sprig::testing {

long WalkModel(model::SolutionModel& model, Catalogue& catalogue) {
    model::ModelSolutionView view(model);
    BuildCatalogue(view, catalogue);
    return view.LiveObjects();
}

}  // namespace sprig::testing
