#include "dialog/core/Layout.h"

#include "resources/resource.h"

namespace sprig {

const AnchorSpec AnchorTable[7] = {
    {IDC_FILE_LIST, AnchorTop | AnchorBottom | AnchorLeft | AnchorRight},
    {IDC_FILTER_EDIT, AnchorBottom | AnchorLeft | AnchorRight},
    {IDC_PROJECT_BOX, AnchorTop | AnchorLeft | AnchorRight},
    {IDC_VIEW_CODE, AnchorBottom | AnchorLeft},
    {IDC_EXPLORE, AnchorBottom | AnchorRight},
    {1 /* Open */, AnchorBottom | AnchorRight},
    {2 /* Cancel */, AnchorBottom | AnchorRight},
};

LayoutRect AnchoredRect(const LayoutRect& reference, std::uint32_t flags, ClientSize referenceSize, int width,
                        int height) {
    const std::int32_t dx = width - referenceSize.width;
    const std::int32_t dy = height - referenceSize.height;
    LayoutRect moved = reference;
    if (!(flags & AnchorLeft)) moved.left += dx;
    if (!(flags & AnchorTop)) moved.top += dy;
    if (flags & AnchorRight) moved.right += dx;
    if (flags & AnchorBottom) moved.bottom += dy;
    return moved;
}

}  // namespace sprig
