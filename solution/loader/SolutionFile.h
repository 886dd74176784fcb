// The text of a solution file (.sln), taken apart: its projects with their solution-level files,
// and which project nests in which solution folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "solution/loader/LoadContext.h"

namespace sprig::loader {

// One Project ... EndProject block.
struct SolutionEntry {
    std::u16string type;  // the type identifier, as written
    std::u16string name;  // empty when the Project line could not be read: the block is left out
    std::u16string path;  // relative to the solution's folder, or full, as written
    std::u16string id;
    std::vector<std::u16string> solutionItems;  // the paths of a SolutionItems section
    std::size_t line = 0;                       // of the Project line
    bool complete = false;                      // the Project line was whole and EndProject came
};

// One line "{child} = {parent}" of the NestedProjects section.
struct Nesting {
    std::u16string child;
    std::u16string parent;
    std::size_t line;
};

struct SolutionFile {
    std::vector<SolutionEntry> projects;  // in the order of the file
    std::vector<Nesting> nesting;
};

// Takes apart `text`, the solution file at `path` decoded to UTF-8. False, with a message, when
// it is no solution file (no "Microsoft Visual Studio Solution File" line first). Lines that
// cannot be taken, and a file that ends inside a block, give messages; the rest is still read.
bool ParseSolutionFile(LoadContext& context, const std::u16string& path, std::string_view text, SolutionFile& solution);

}  // namespace sprig::loader
