// How the dialog's controls follow its size: each resizable control keeps fixed distances to the
// client edges it is anchored to, measured from where the template put it.
#pragma once

#include <cstdint>

#include "resources/resource.h"

namespace sprig {

// Edges of the client area a control keeps its distance to.
enum AnchorFlag : std::uint32_t { AnchorTop = 1, AnchorBottom = 2, AnchorLeft = 4, AnchorRight = 8 };

struct LayoutRect {
    std::int32_t left, top, right, bottom;
};

// The client size the reference rectangles were measured at.
struct ClientSize {
    std::uint16_t width = 0, height = 0;
};

// One resizable control: its identifier and anchors.
struct AnchorSpec {
    int control;
    std::uint32_t flags;
};

// The resizable controls, in the order their anchors are recorded and laid out.
inline constexpr AnchorSpec AnchorTable[] = {
    {IDC_FILE_LIST, AnchorTop | AnchorBottom | AnchorLeft | AnchorRight},
    {IDC_FILTER_EDIT, AnchorBottom | AnchorLeft | AnchorRight},
    {IDC_PROJECT_BOX, AnchorTop | AnchorLeft | AnchorRight},
    {IDC_VIEW_CODE, AnchorBottom | AnchorLeft},
    {IDC_EXPLORE, AnchorBottom | AnchorRight},
    {1 /* Open */, AnchorBottom | AnchorRight},
    {2 /* Cancel */, AnchorBottom | AnchorRight},
};

// Where a control whose rectangle was `reference` at the client size `referenceSize` goes at the
// client size width × height. A side that is not anchored to its own edge moves with the opposite
// edge, so a control anchored left and right grows, one anchored only right moves. Computed from
// the reference alone, so no sequence of resizes accumulates error.
LayoutRect AnchoredRect(const LayoutRect& reference, std::uint32_t flags, ClientSize referenceSize, int width,
                        int height);

}  // namespace sprig
