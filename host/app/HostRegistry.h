// What the stand-in environment keeps in the registry, apart for each version it plays: the
// add-ins registered with the environment (read only), the add-ins it has preloaded, where the
// environment records them, and in a key of its own the commands that add-ins created, with their
// menu controls and bindings, so that they survive later runs.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "solution/model/SolutionModel.h"

namespace sprig::host {

// The version the environment plays unless told otherwise, and the ones it can play: each reads
// its own keys under HKCU\SOFTWARE\Microsoft\VisualStudio\<version>.
inline constexpr wchar_t DefaultVersion[] = L"8.0";
inline constexpr const wchar_t* Versions[] = {L"8.0", L"9.0", L"10.0", L"11.0", L"12.0"};

// An add-in listed under the version's AddIns key: the key's name is its ProgID; missing values
// read as 0.
struct AddInRegistration {
    std::wstring progId;
    DWORD loadBehavior = 0;
    DWORD commandPreload = 0;
};

std::vector<AddInRegistration> FindAddIns(std::wstring_view version = DefaultVersion);
bool IsAddInRegistered(const std::wstring& progId, std::wstring_view version = DefaultVersion);

// The environment's record of the add-ins whose set-up it ran: a value named after the ProgID
// under the version's PreloadAddinState key. While it is there the set-up is not run again.
bool WasPreloaded(const std::wstring& progId, std::wstring_view version = DefaultVersion);
void RememberPreloaded(const std::wstring& progId, std::wstring_view version = DefaultVersion);

// Replaces the version's kept commands with those of `model`, each with the place of its control
// among the popups of `menuBar`.
void SaveCommands(const model::SolutionModel& model, const model::CommandBar& menuBar,
                  std::wstring_view version = DefaultVersion);
// Adds the version's kept commands to `model` and puts their controls back on the popups of
// `menuBar`.
void RestoreCommands(model::SolutionModel& model, model::CommandBar& menuBar,
                     std::wstring_view version = DefaultVersion);

// Forgets the version's record of preloaded add-ins and its kept commands.
void ForgetHostState(std::wstring_view version = DefaultVersion);

}  // namespace sprig::host
