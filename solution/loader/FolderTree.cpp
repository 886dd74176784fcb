#include "solution/loader/FolderTree.h"

#include "catalogue/Text.h"
#include "solution/loader/WindowsPath.h"

namespace sprig::loader {

std::u16string FoldedCopy(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& unit : folded) unit = FoldAscii(unit);
    return folded;
}

FolderTree::FolderTree(model::SolutionModel& model, model::ItemCollection& root, std::u16string kind,
                       std::u16string directory)
    : model_(model), root_(root), kind_(std::move(kind)), directory_(std::move(directory)) {}

model::ItemCollection& FolderTree::Folder(std::u16string_view path) {
    model::ItemCollection* folder = &root_;
    const model::Item* parent = nullptr;
    for (std::size_t start = 0; start < path.size();) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        const std::u16string_view name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        auto [place, made] = folders_.try_emplace(Key{folder, FoldedCopy(name)}, nullptr);
        if (made) {
            model::Item& item = model_.AddFolder(*folder, std::u16string(name), kind_);
            if (!directory_.empty()) {
                item.within = parent;
                item.fileName = (parent ? std::u16string(name) : JoinPath(directory_, name)) + u'\\';
            }
            place->second = &item;
        }
        parent = place->second;
        folder = parent->children;
    }
    return *folder;
}

}  // namespace sprig::loader
