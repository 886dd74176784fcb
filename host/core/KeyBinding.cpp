#include "host/core/KeyBinding.h"

#include "catalogue/Text.h"

namespace sprig::host {
namespace {

bool SameName(std::u16string_view text, std::u16string_view name) {
    if (text.size() != name.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (FoldAscii(text[i]) != FoldAscii(name[i])) return false;
    }
    return true;
}

struct NamedKey {
    std::u16string_view name;
    std::uint16_t key;
};
// Virtual-key codes are fixed by the platform; the names are those the environment writes.
constexpr NamedKey NamedKeys[] = {
    {u"Bkspce", 0x08}, {u"Tab", 0x09},   {u"Enter", 0x0D}, {u"Esc", 0x1B},  {u"Space", 0x20},
    {u"PgUp", 0x21},   {u"PgDn", 0x22},  {u"End", 0x23},   {u"Home", 0x24}, {u"Left", 0x25},
    {u"Up", 0x26},     {u"Right", 0x27}, {u"Down", 0x28},  {u"Ins", 0x2D},  {u"Del", 0x2E},
};

// The virtual-key code of one key name; 0 when there is none.
std::uint16_t KeyCode(std::u16string_view name) {
    if (name.size() == 1) {
        const char16_t unit = FoldAscii(name[0]);
        if (unit >= u'a' && unit <= u'z') return static_cast<std::uint16_t>(unit - u'a' + u'A');
        if (unit >= u'0' && unit <= u'9') return unit;
        return 0;
    }
    if (name.size() <= 3 && FoldAscii(name[0]) == u'f') {
        int number = 0;
        for (const char16_t unit : name.substr(1)) {
            if (unit < u'0' || unit > u'9') return 0;
            number = number * 10 + (unit - u'0');
        }
        if (name[1] != u'0' && number >= 1 && number <= 24) return static_cast<std::uint16_t>(0x70 + number - 1);
        return 0;
    }
    for (const NamedKey& named : NamedKeys) {
        if (SameName(name, named.name)) return named.key;
    }
    return 0;
}

}  // namespace

bool ParseKeyBinding(std::u16string_view text, KeyBinding& binding) {
    const std::size_t separator = text.find(u"::");
    if (separator == std::u16string_view::npos || separator == 0) return false;
    KeyBinding parsed;
    parsed.scope = text.substr(0, separator);
    std::u16string_view keys = text.substr(separator + 2);
    for (;;) {
        const std::size_t plus = keys.find(u'+');
        const std::u16string_view part = keys.substr(0, plus);
        if (plus == std::u16string_view::npos) {
            parsed.key = KeyCode(part);
            if (parsed.key == 0) return false;
            break;
        }
        bool* modifier = SameName(part, u"Ctrl")    ? &parsed.ctrl
                         : SameName(part, u"Shift") ? &parsed.shift
                         : SameName(part, u"Alt")   ? &parsed.alt
                                                    : nullptr;
        if (!modifier || *modifier) return false;
        *modifier = true;
        keys.remove_prefix(plus + 1);
    }
    binding = std::move(parsed);
    return true;
}

}  // namespace sprig::host
