// Loads add-ins the way the environment does: the registered ones are found under the AddIns key,
// those asking for a command preload are connected once in UI-setup mode and disconnected, those
// asking to load at start-up are connected and kept, and the others are loaded when the user runs
// one of their commands. Each add-in object is made from its ProgID by the COM runtime.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "AddInInterfaces.h"
#include "win/ComPtr.h"
#include "solution/model/SolutionModel.h"

namespace sprig::host {

class AddInHost {
public:
    // `report` gets one line for each thing done or refused, for the user and for scripts. The
    // add-ins are those registered with `version` of the environment.
    AddInHost(model::SolutionModel& model, ComPtr<IDispatch> root, std::function<void(std::wstring_view)> report,
              std::wstring version = L"8.0");
    ~AddInHost();
    AddInHost(const AddInHost&) = delete;
    AddInHost& operator=(const AddInHost&) = delete;

    // Preloads and start-up loads, per the registry. True when the commands changed.
    bool StartUp();
    // Runs `command`: loads its add-in if it is not loaded, asks its status and executes it when
    // it is enabled. False when the add-in is gone, cannot be made, or did not handle it.
    bool RunCommand(const model::Command& command);
    // Disconnects every loaded add-in.
    void ShutDown();

private:
    struct Loaded {
        std::wstring progId;
        ComPtr<_IDTExtensibility2> addIn;
    };

    // The add-in made from `progId` and connected in `mode`, or nothing.
    ComPtr<_IDTExtensibility2> Connect(const std::wstring& progId, ext_ConnectMode mode);
    void Report(const std::wstring& line) const { report_(line); }

    model::SolutionModel& model_;
    ComPtr<IDispatch> root_;
    std::function<void(std::wstring_view)> report_;
    std::wstring version_;
    std::vector<Loaded> loaded_;
};

// The add-in part of a full command name: all before its last point.
std::wstring CommandAddIn(const std::u16string& fullName);

}  // namespace sprig::host
