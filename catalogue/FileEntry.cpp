#include "catalogue/FileEntry.h"

#include <limits>

namespace sprig {

std::size_t NameStart(std::u16string_view path) {
    // From the end: a name is much shorter than the folders before it.
    std::size_t start = path.size();
    while (start > 0 && path[start - 1] != u'/' && path[start - 1] != u'\\') --start;
    return start;
}

FileEntry MakeFileEntry(std::u16string_view path, const char16_t* projectName, const char16_t* projectPath) {
    FileEntry entry;
    const std::size_t nameStart = NameStart(path);
    if (nameStart <= std::numeric_limits<std::uint16_t>::max()) {
        entry.nameOffset = static_cast<std::uint16_t>(nameStart);
    }
    entry.path = path.data();
    entry.projectName = projectName;
    entry.projectPath = projectPath;
    return entry;
}

}  // namespace sprig
