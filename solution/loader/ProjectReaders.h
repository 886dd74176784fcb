// Readers of the project formats: each fills the item collection of one project from its file
// (or, for a web site, its folder). A file that cannot be read or parsed leaves the project
// without items and a message.
#pragma once

#include <string>

#include "solution/loader/LoadContext.h"

namespace sprig::loader {

// C++ projects of the 2002 to 2008 environments (.vcproj): filters as virtual folders, files
// where the project file places them, files nested in a file under that file.
void ReadVcproj(LoadContext& context, const std::u16string& path, const Origin& origin, model::Project& project);

// C# and VB projects (.csproj, .vbproj, MSBuild): folders as physical folders made from the item
// paths, items with DependentUpon under the item they name.
void ReadManagedProject(LoadContext& context, const std::u16string& path, const Origin& origin,
                        model::Project& project);

// C++ projects of the 2010 and later environments (.vcxproj): the items of the project file in
// the filters of the .filters file beside it (at the project's top without one).
void ReadVcxproj(LoadContext& context, const std::u16string& path, const Origin& origin, model::Project& project);

// Web sites: every file of the folder and its sub-folders, folders as physical folders.
void ReadWebSite(LoadContext& context, const std::u16string& directory, const Origin& origin, model::Project& project);

}  // namespace sprig::loader
