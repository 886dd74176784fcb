// Explore shows the chosen files with one folder window per folder. A file's folder is the text
// of its path before the file name; two files share a folder when those texts differ at most in
// ASCII case and in '/' against '\'.
#pragma once

#include <string_view>
#include <vector>

#include "catalogue/FileEntry.h"

namespace sprig {

// Everything before the file name, the final separator included; empty when the path has none.
inline std::u16string_view FolderPart(const FileEntry& file) { return {file.path, file.nameOffset}; }

bool SameFolder(const FileEntry& a, const FileEntry& b);

// The chosen files of one folder. The first of them names the folder for the whole group.
struct FolderGroup {
    const FileEntry* key;
    std::vector<const FileEntry*> members;  // in the order given, the key first
};

// Groups `files` by SameFolder; the groups come in the order of their first file.
std::vector<FolderGroup> GroupByFolder(const std::vector<const FileEntry*>& files);

}  // namespace sprig
