// Told by Wine that it runs on Windows 2000 (wine-settings.reg), the dialog hides Explore, whose
// shell call came with Windows XP.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "wine/DialogDriver.h"
#include "wine/DialogSolution.h"

namespace sprig::testing {
namespace {

TEST(DialogOnWindows2000, HidesExplore) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(&version));
    ASSERT_EQ(version.dwMajorVersion * 10 + version.dwMinorVersion, 50u) << "Wine should report Windows 2000 here";

    TestSolution solution;
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        EXPECT_FALSE(IsWindowVisible(d.Control(IDC_EXPLORE)));
        for (const int id : {IDOK, IDCANCEL, IDC_VIEW_CODE, IDC_FILE_LIST}) EXPECT_TRUE(IsWindowVisible(d.Control(id)));
        EXPECT_EQ(d.RowCount(), 48);
        d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
                  }),
              IDCANCEL);
}

}  // namespace
}  // namespace sprig::testing
