#include "catalogue/FileEntry.h"

#include <limits>

namespace sprig {

FileEntry MakeFileEntry(std::u16string_view path, const char16_t* projectName, const char16_t* projectPath) {
    FileEntry entry;
    // From the end: a name is much shorter than the folders before it.
    std::size_t nameStart = path.size();
    while (nameStart > 0 && path[nameStart - 1] != u'/' && path[nameStart - 1] != u'\\') --nameStart;
    if (nameStart <= std::numeric_limits<std::uint16_t>::max()) {
        entry.nameOffset = static_cast<std::uint16_t>(nameStart);
    }
    entry.path = path.data();
    entry.projectName = projectName;
    entry.projectPath = projectPath;
    return entry;
}

}  // namespace sprig
