#include "addin/core/ToolsMenu.h"

#include <string>

#include "catalogue/Text.h"

namespace sprig {
namespace {

struct Caption {
    std::uint16_t primaryLanguage;  // the low ten bits of an LCID
    const char16_t* tools;
};

// The languages the environment's editions were translated into besides English.
constexpr Caption Captions[] = {
    {0x07, u"Extras"},        // German
    {0x0C, u"Outils"},        // French
    {0x0A, u"Herramientas"},  // Spanish
    {0x10, u"Strumenti"},     // Italian
    {0x11, u"ツール"},        // Japanese
    {0x12, u"도구"},          // Korean
    {0x04, u"工具"},          // Chinese, simplified and traditional
};

}  // namespace

std::u16string_view ToolsMenuCaption(std::int32_t locale) {
    const auto primary = static_cast<std::uint16_t>(locale & 0x3FF);
    for (const Caption& caption : Captions) {
        if (caption.primaryLanguage == primary) return caption.tools;
    }
    return {};
}

bool IsCaptioned(std::u16string_view caption, std::u16string_view wanted) {
    // "(&T)" at the end: the name before it.
    if (caption.size() >= 4 && caption.substr(caption.size() - 4, 2) == u"(&" && caption.back() == u')') {
        caption.remove_suffix(4);
    }
    std::u16string plain;
    for (const char16_t unit : caption) {
        if (unit != u'&') plain += unit;
    }
    if (plain.size() != wanted.size()) return false;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (FoldAscii(plain[i]) != FoldAscii(wanted[i])) return false;
    }
    return true;
}

}  // namespace sprig
