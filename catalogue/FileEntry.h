// One catalogued file and one catalogued project.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalogue/Text.h"

namespace sprig {

// One project's name, as the host reported it. Files refer to the very string, so two projects of
// the same name stay apart.
using ProjectEntry = OwnedText;

struct FileEntry {
    const char16_t* path = nullptr;         // full path as the host reported it, held by the catalogue
    std::uint16_t nameOffset = 0;           // where the file name starts within path
    const char16_t* projectName = nullptr;  // held by a ProjectEntry of the catalogue
    const char16_t* projectPath = nullptr;  // held by the catalogue's path pool
};

// The column ids shared by the list view, the sort and the settings.
enum Column : int { ColumnFileName = 0, ColumnFilePath = 1, ColumnProjectName = 2, ColumnProjectPath = 3 };
constexpr int ColumnCount = 4;

// Where the file name of `path` starts: after the later of its last "/" and its last "\", 0 when it has neither.
std::size_t NameStart(std::u16string_view path);

// Builds an entry for `path`, a terminated string that stays in place as long as the entry. The file name starts after
// the later of the last "/" and the last "\". When that start does not fit the 16-bit offset (only a path longer than
// any Windows path can be), the offset stays 0 and the whole path stands as the name, so no reader can index outside
// the path.
FileEntry MakeFileEntry(std::u16string_view path, const char16_t* projectName, const char16_t* projectPath);

// The text a column shows for an entry; null for an unknown column.
inline const char16_t* ColumnText(const FileEntry& file, int column) {
    switch (column) {
    case ColumnFileName:
        return file.path + file.nameOffset;
    case ColumnFilePath:
        return file.path;
    case ColumnProjectName:
        return file.projectName;
    case ColumnProjectPath:
        return file.projectPath;
    default:
        return nullptr;
    }
}

}  // namespace sprig
