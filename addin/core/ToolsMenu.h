// The Tools menu as environments of other languages caption it on their menu bar, where a control
// asked for as "Tools" is not found.
#pragma once

#include <cstdint>
#include <string_view>

namespace sprig {

// The Tools menu's caption, without its access key, in the user-interface language of `locale`
// (an LCID; its primary language decides, so both Chinese editions share one caption). Empty for
// English and for a language the environment was not translated into.
std::u16string_view ToolsMenuCaption(std::int32_t locale);

// Whether a menu bar control captioned `caption` is the menu captioned `wanted`: equal, ignoring
// ASCII case, once the access key's mark is gone. The mark is every "&" ("E&xtras"), and in East
// Asian captions the key in brackets after the name ("ツール(&T)").
bool IsCaptioned(std::u16string_view caption, std::u16string_view wanted);

}  // namespace sprig
