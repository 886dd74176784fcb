// The resize arithmetic of the dialog's anchored controls.
#include <gtest/gtest.h>

#include "dialog/core/Layout.h"
#include "resources/resource.h"

namespace sprig {

// Beside the type, where the test macros look for them.
bool operator==(const LayoutRect& a, const LayoutRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream& operator<<(std::ostream& out, const LayoutRect& r) {
    return out << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}

namespace {

const AnchorSpec& AnchorOf(int control) {
    for (const AnchorSpec& anchor : AnchorTable) {
        if (anchor.control == control) return anchor;
    }
    ADD_FAILURE() << "no anchor for control " << control;
    return AnchorTable[0];
}

TEST(Layout, EachControlFollowsTheEdgesItIsAnchoredTo) {
    const ClientSize reference{600, 480};
    const LayoutRect r{10, 20, 110, 60};
    const auto at = [&](int control) { return AnchoredRect(r, AnchorOf(control).flags, reference, 700, 520); };
    // 100 wider, 40 taller.
    EXPECT_EQ(at(IDC_FILE_LIST), (LayoutRect{10, 20, 210, 100}));    // grows both ways
    EXPECT_EQ(at(IDC_FILTER_EDIT), (LayoutRect{10, 60, 210, 100}));  // moves down, grows wider
    EXPECT_EQ(at(IDC_PROJECT_BOX), (LayoutRect{10, 20, 210, 60}));   // stays, grows wider
    EXPECT_EQ(at(IDC_VIEW_CODE), (LayoutRect{10, 60, 110, 100}));    // moves down only
    for (const int button : {IDC_EXPLORE, 1, 2}) {
        EXPECT_EQ(at(button), (LayoutRect{110, 60, 210, 100})) << button;  // moves down and right
    }
    // The table holds each of the seven controls once, the list first.
    EXPECT_EQ(AnchorTable[0].control, IDC_FILE_LIST);
    for (const AnchorSpec& anchor : AnchorTable) EXPECT_EQ(&AnchorOf(anchor.control), &anchor);
}

TEST(Layout, TheReferenceSizeGivesTheReferenceRectangleForAnyAnchors) {
    const LayoutRect r{-3, 7, 250, 400};
    for (std::uint32_t flags = 0; flags < 16; ++flags) {
        EXPECT_EQ(AnchoredRect(r, flags, ClientSize{640, 480}, 640, 480), r) << flags;
    }
}

TEST(Layout, SmallerThanTheReferenceMovesBackPastZero) {
    // No minimum size: a control may leave the client area. Widths above 32767 stay unsigned.
    const LayoutRect r{500, 400, 560, 420};
    EXPECT_EQ(AnchoredRect(r, AnchorBottom | AnchorRight, ClientSize{600, 480}, 0, 0),
              (LayoutRect{-100, -80, -40, -60}));
    EXPECT_EQ(AnchoredRect(r, AnchorBottom | AnchorRight, ClientSize{40000, 480}, 39000, 480),
              (LayoutRect{-500, 400, -440, 420}));
}

}  // namespace
}  // namespace sprig
