#include "dialog/core/FolderGroups.h"

#include <cstdint>
#include <unordered_map>

namespace sprig {
namespace {

char16_t FoldFolderUnit(char16_t unit) {
    unit = FoldAscii(unit);
    return unit == u'/' ? u'\\' : unit;
}

// Hash and equality of the folded folder part, so that a file finds its group in one look-up
// however many folders a large selection spans.
struct FolderHash {
    std::size_t operator()(const FileEntry* file) const {
        std::uint32_t hash = 2166136261u;  // FNV-1a over the folded units
        for (const char16_t unit : FolderPart(*file)) hash = (hash ^ FoldFolderUnit(unit)) * 16777619u;
        return hash;
    }
};

struct FolderEqual {
    bool operator()(const FileEntry* a, const FileEntry* b) const { return SameFolder(*a, *b); }
};

}  // namespace

bool SameFolder(const FileEntry& a, const FileEntry& b) {
    if (a.nameOffset != b.nameOffset) return false;
    for (std::size_t i = 0; i < a.nameOffset; ++i) {
        if (FoldFolderUnit(a.path[i]) != FoldFolderUnit(b.path[i])) return false;
    }
    return true;
}

std::vector<FolderGroup> GroupByFolder(const std::vector<const FileEntry*>& files) {
    std::vector<FolderGroup> groups;
    // Each group's key, standing for its folder, and the group's index.
    std::unordered_map<const FileEntry*, std::size_t, FolderHash, FolderEqual> byFolder;
    for (const FileEntry* file : files) {
        const auto [found, isNew] = byFolder.try_emplace(file, groups.size());
        if (isNew) groups.push_back({file, {}});
        groups[found->second].members.push_back(file);
    }
    return groups;
}

}  // namespace sprig
