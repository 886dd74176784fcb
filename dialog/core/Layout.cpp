#include "dialog/core/Layout.h"

namespace sprig {

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
