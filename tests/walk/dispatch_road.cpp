// The Windows road: the stand-in model served as COM objects, walked through late-bound dispatch.
#include <gtest/gtest.h>

#include "addin/DispatchSolutionView.h"
#include "catalogue/SolutionWalker.h"
#include "host/com/ModelObjects.h"
#include "walk/WalkRoad.h"

namespace sprig::testing {
namespace {

// The environment calls the add-in on its user-interface thread, a single-threaded apartment.
class ComApartment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const apartment = ::testing::AddGlobalTestEnvironment(new ComApartment);

}  // namespace

const bool RoadKeepsIdentities = false;

long WalkModel(model::SolutionModel& model, Catalogue& catalogue) {
    EXPECT_EQ(host::LiveReferences(), 0);
    {
        DispatchSolutionView view(host::CreateModelRoot(model));
        BuildCatalogue(view, catalogue);
    }
    return host::LiveReferences();
}

}  // namespace sprig::testing
