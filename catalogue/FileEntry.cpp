#include "catalogue/FileEntry.h"

#include <limits>

namespace sprig {

FileEntry MakeFileEntry(const char16_t* path, const char16_t* projectName, const char16_t* projectPath) {
    FileEntry entry;
    std::size_t nameStart = 0;
    for (std::size_t i = 0; path[i] != u'\0'; ++i) {
        if (path[i] == u'/' || path[i] == u'\\') nameStart = i + 1;
    }
    if (nameStart <= std::numeric_limits<std::uint16_t>::max()) {
        entry.nameOffset = static_cast<std::uint16_t>(nameStart);
    }
    entry.path = path;
    entry.projectName = projectName;
    entry.projectPath = projectPath;
    return entry;
}

}  // namespace sprig
