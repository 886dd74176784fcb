// The stand-in environment's scripted run, for tests and the demo: on a thread of its own it
// drops the Tools menu, starts a command from its name or its shortcut, drives the dialog the
// command opens and ends the program, each when the options ask for it, reporting every step.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string_view>

#include "host/app/Options.h"
#include "solution/model/SolutionModel.h"

namespace sprig::host {

class Script {
public:
    // `frame` is the environment's main window, `commands` its commands (read, not changed), and
    // `commandsRun` counts the commands that have ended on the window's thread.
    Script(const Options& options, HWND frame, const model::CommandTable& commands, const std::atomic<int>& commandsRun,
           std::function<void(std::wstring_view)> report)
        : options_(options),
          frame_(frame),
          commands_(commands),
          commandsRun_(commandsRun),
          report_(std::move(report)) {}

    // The whole run; the program ends with it when --quit asks.
    void Run();

private:
    void ShowTools();
    bool StartNamedCommand();
    bool PressShortcut();
    void DriveDialog();
    void AwaitCommand();
    DWORD FrameThread() const { return GetWindowThreadProcessId(frame_, nullptr); }

    const Options& options_;
    HWND frame_;
    const model::CommandTable& commands_;
    const std::atomic<int>& commandsRun_;
    std::function<void(std::wstring_view)> report_;
};

}  // namespace sprig::host
