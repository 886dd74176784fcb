// What the stand-in environment keeps in the registry: the add-ins registered with the
// environment (read only), and in a key of its own the add-ins it has preloaded and the commands
// that add-ins created, with their menu controls and bindings, so that they survive later runs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "solution/model/SolutionModel.h"

namespace sprig::host {

// An add-in listed under HKCU\SOFTWARE\Microsoft\VisualStudio\8.0\AddIns: the key's name is its
// ProgID; missing values read as 0.
struct AddInRegistration {
    std::wstring progId;
    DWORD loadBehavior = 0;
    DWORD commandPreload = 0;
};

std::vector<AddInRegistration> FindAddIns();
bool IsAddInRegistered(const std::wstring& progId);

bool WasPreloaded(const std::wstring& progId);
void RememberPreloaded(const std::wstring& progId);

// Replaces the kept commands with those of `model`, each with the place of its control among
// the popups of `menuBar`.
void SaveCommands(const model::SolutionModel& model, const model::CommandBar& menuBar);
// Adds the kept commands to `model` and puts their controls back on the popups of `menuBar`.
void RestoreCommands(model::SolutionModel& model, model::CommandBar& menuBar);

// Forgets everything kept in the environment's own key.
void ForgetHostState();

}  // namespace sprig::host
