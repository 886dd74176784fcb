// A catalogue written as text, one file per line, for the query tool.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "catalogue/Catalogue.h"

namespace sprig {

// Fills an empty catalogue from UTF-8 lines "projectId<TAB>projectName<TAB>projectPath<TAB>path",
// ended by LF or CR LF, given in pieces of any size as they are read: a line, a character or a
// CR LF may be split between two pieces. Each line is decoded as soon as it is whole, so only the
// catalogue and one line are held, never the file. The id tells projects apart (two may share a
// name); a project enters ProjectList with its first file, as in the solution walk, and
// consecutive lines of one project with the same project path share one path string, as the
// files of one level of the walk do.
class CatalogueReader {
public:
    explicit CatalogueReader(Catalogue& catalogue) : catalogue_(catalogue) {}

    // Takes the next piece. On the first malformed line answers false, and then for good, and
    // Error() tells "line N: what is wrong".
    bool Add(std::string_view piece);
    // Takes the last line when the text does not end with a line break; false as Add.
    bool Finish();
    const std::string& Error() const { return error_; }

private:
    bool Line(std::string_view line);
    bool Take(std::string_view line, std::size_t lineNumber);
    bool Fail(const std::string& what, std::size_t lineNumber);

    Catalogue& catalogue_;
    std::unordered_map<std::string, const char16_t*> projectsById_;
    // The line before: consecutive lines mostly share project and project path, whose bytes are
    // then taken as they were (checked and decoded already) instead of decoded again.
    std::string lastId_, lastName_, lastPathBytes_;
    const char16_t* lastProject_ = nullptr;
    const char16_t* lastPath_ = nullptr;
    std::u16string name_, projectPath_;
    std::vector<char16_t> path_;  // room for the longest path decoded so far
    std::string partial_;         // the start of a line whose end is in a later piece
    std::size_t lines_ = 0;       // lines taken
    bool emptyLine_ = false;      // the last line taken was empty: fine only as the text's last
    bool failed_ = false;
    std::string error_;
};

// The whole text at once, as CatalogueReader takes it; on failure `error` tells the line.
bool LoadCatalogue(std::string_view content, Catalogue& catalogue, std::string& error);

}  // namespace sprig
