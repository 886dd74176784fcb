#include "catalogue/Catalogue.h"

#include <algorithm>

namespace sprig {

namespace {

// 256 KB: large enough that blocks are few, small enough for any fragmented address space.
constexpr std::size_t TextBlockUnits = std::size_t{1} << 17;

}  // namespace

const char16_t* TextStore::Add(std::u16string_view text) {
    const std::size_t units = text.size() + 1;
    char16_t* copy;
    if (units > TextBlockUnits / 4) {
        // A text this long has a block of its own; the block being filled stays.
        blocks_.emplace_back(new char16_t[units]);
        copy = blocks_.back().get();
    } else {
        if (units > left_) {
            blocks_.emplace_back(new char16_t[TextBlockUnits]);
            free_ = blocks_.back().get();
            left_ = TextBlockUnits;
        }
        copy = free_;
        free_ += units;
        left_ -= units;
    }
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = u'\0';
    return copy;
}

void TextStore::Clear() {
    blocks_.clear();
    free_ = nullptr;
    left_ = 0;
}

const FileEntry& AddFile(Catalogue& catalogue, std::u16string_view path, const char16_t* projectName,
                         const char16_t* projectPath) {
    // Catalogue texts end at their first NUL, as every reader of them takes them.
    path = path.substr(0, std::find(path.begin(), path.end(), u'\0') - path.begin());
    catalogue.FileList.push_back(MakeFileEntry({catalogue.pathText.Add(path), path.size()}, projectName, projectPath));
    return catalogue.FileList.back();
}

void ClearCatalogue(Catalogue& catalogue) {
    catalogue.ProjectList.clear();
    catalogue.ProjectPathPool.clear();
    catalogue.FileList.clear();
    catalogue.pathText.Clear();
    catalogue.ResultList.clear();
    catalogue.sortedFiles.files.clear();
    for (auto& ranks : catalogue.sortedFiles.ranks) ranks.clear();
    catalogue.shown = ShownRows{};
}

void SortProjectList(Catalogue& catalogue) {
    auto& projects = catalogue.ProjectList;
    if (projects.size() < 2) return;
    std::sort(projects.begin(), projects.end(), [](const ProjectEntry& a, const ProjectEntry& b) {
        return CompareIgnoringAsciiCase(a.get(), b.get()) < 0;
    });
}

}  // namespace sprig
