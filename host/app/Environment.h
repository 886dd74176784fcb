// The stand-in environment's main window: a frame with the menu bar made from the model's, the
// document views in its client area, the solution loaded from disk and served through the
// automation model, and the add-ins loaded as the environment loads them.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "host/app/AddInHost.h"
#include "host/app/DocumentViews.h"
#include "host/app/MainMenu.h"
#include "host/app/Options.h"
#include "solution/model/SolutionModel.h"
#include "win/ComPtr.h"

namespace sprig::host {

class Environment {
public:
    // `report` gets one line for each step, for the user and for scripts.
    Environment(Options options, std::function<void(std::wstring_view)> report);
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    bool LoadSolution(const std::u16string& argument);
    // Shows the window and runs its message loop, and the script beside it, until the window is
    // closed; answers the program's exit code. An exception raised in the window procedure closes
    // the window and leaves from here, once the script has ended and the add-ins are shut down.
    int Run();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunCommand(std::size_t index);
    void OpenSolution();

    Options options_;
    std::function<void(std::wstring_view)> report_;
    model::SolutionModel model_;
    model::CommandBar& menuBar_;
    ComPtr<IDispatch> root_;
    AddInHost host_;
    HWND window_ = nullptr;
    MainMenu menu_;
    DocumentViews views_;
    std::size_t opened_ = 0;           // the ItemOperations requests that have a view
    std::atomic<int> commandsRun_{0};  // commands that have ended, on the window's thread
    std::exception_ptr failure_;       // the first exception the window procedure caught
};

}  // namespace sprig::host
