// Key bindings as the environment's commands carry them: "Scope::Keys", for example
// "Global::Ctrl+Shift+Alt+O". The keys are modifiers and one key joined by '+'; names are taken in
// any letter case. A binding of two strokes (a chord, written with a comma) is not taken.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sprig::host {

struct KeyBinding {
    std::u16string scope;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    std::uint16_t key = 0;  // the platform's virtual-key code
};

// False when `text` is no binding of one stroke: no "::", an empty scope, an unknown or repeated
// modifier, a missing, unknown or second key.
bool ParseKeyBinding(std::u16string_view text, KeyBinding& binding);

}  // namespace sprig::host
