// The stand-in environment's menu bar, made from the model's: its own File menu, every popup of
// the model's menu bar with the controls on it (a command's entry shows its first binding that
// parses), and a Window menu; beside it the keyboard shortcuts of the commands' global bindings.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "solution/model/SolutionModel.h"
#include "win/Owners.h"

namespace sprig::host {

constexpr UINT OpenSolutionId = 100;
constexpr UINT ExitId = 101;
constexpr UINT FirstCommandId = 1000;  // then one per command, in the model's order

struct MainMenu {
    HMENU bar = nullptr;        // for the window, which destroys it
    HMENU window = nullptr;     // on the bar
    Accelerators accelerators;  // empty when no command has a global binding
};

// `report` gets one line per menu entry ("menu Tools 1 TEXT") and per shortcut
// ("shortcut BINDING COMMAND").
MainMenu BuildMainMenu(const model::SolutionModel& model, const model::CommandBar& menuBar,
                       const std::function<void(std::wstring_view)>& report);

}  // namespace sprig::host
