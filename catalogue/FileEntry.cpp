#include "catalogue/FileEntry.h"

#include <limits>

namespace sprig {

std::size_t NameStart(const char16_t* path) {
    std::size_t start = 0;
    for (std::size_t i = 0; path[i] != u'\0'; ++i) {
        if (path[i] == u'/' || path[i] == u'\\') start = i + 1;
    }
    return start;
}

FileEntry MakeFileEntry(const char16_t* path, const char16_t* projectName, const char16_t* projectPath) {
    FileEntry entry;
    const std::size_t nameStart = NameStart(path);
    if (nameStart <= std::numeric_limits<std::uint16_t>::max()) {
        entry.nameOffset = static_cast<std::uint16_t>(nameStart);
    }
    entry.path = path;
    entry.projectName = projectName;
    entry.projectPath = projectPath;
    return entry;
}

}  // namespace sprig
