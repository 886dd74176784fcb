// A catalogue written as text, one file per line, for the query tool.
#pragma once

#include <string>
#include <string_view>

#include "catalogue/Catalogue.h"

namespace sprig {

// Fills an empty catalogue from UTF-8 lines "projectId<TAB>projectName<TAB>projectPath<TAB>path",
// ended by LF or CR LF. The id tells projects apart (two may share a name); a project enters
// ProjectList with its first file, as in the solution walk, and consecutive lines of one project
// with the same project path share one path string, as the files of one level of the walk do.
// On the first malformed line answers false and sets `error` to "line N: what is wrong".
bool LoadCatalogue(std::string_view content, Catalogue& catalogue, std::string& error);

}  // namespace sprig
