// Loads a solution from its files into the stand-in model, in the shapes the environment's
// automation model shows: Solution.Projects holds the top-level projects and solution folders; a
// solution folder holds one sub-project item per project nested in it, then its solution-level
// files; projects hold their folders and files as their formats arrange them (ProjectReaders.h).
// File names are full Windows paths: the folder of the solution or project joined with the path
// written there, "." and ".." resolved by their text (WindowsPath.h).
#pragma once

#include <string>
#include <vector>

#include "solution/loader/LoadContext.h"
#include "solution/model/SolutionModel.h"

namespace sprig::loader {

// Project types as solution files name them.
inline constexpr char16_t CppProjectType[] = u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";
inline constexpr char16_t CSharpProjectType[] = u"{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}";
inline constexpr char16_t VisualBasicProjectType[] = u"{F184B08F-C81C-45F6-A57F-5ABD9991F28F}";
inline constexpr char16_t SolutionFolderType[] = u"{2150E333-8FDC-42A3-9474-1A3956D46DE8}";
inline constexpr char16_t WebSiteProjectType[] = u"{E24C65DC-7377-472B-9ABA-BC803B73C61A}";

// Fills the empty `model` from the solution file at `path`, a full Windows path, and the files it
// names. False when the solution file itself cannot be read or is no solution file. Whatever is
// wrong further in (a project file missing, unreadable or malformed, a solution file cut short)
// leaves the project concerned listed without items; the load goes on. Either way `messages`
// gets one entry, naming the file and the line, for each thing not taken as it stands.
bool LoadSolution(const std::u16string& path, SolutionFiles& files, model::SolutionModel& model,
                  std::vector<LoadMessage>& messages);

}  // namespace sprig::loader
