// The folders of a project that follow from the paths of its items ("Forms\Main\Form1.cs" lies in
// folder Main of folder Forms), each made once, at its first mention, under the name written
// there: later mentions in another letter case find the same folder.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "solution/model/SolutionModel.h"

namespace sprig::loader {

// Folds ASCII capitals, the case rule for every name the loader compares.
std::u16string FoldedCopy(std::u16string_view text);

class FolderTree {
public:
    // Folders of `kind` under `root`. With a `directory`, each folder's file name is its full
    // path with a closing "\", as the environment gives for folders on disk; else it has none.
    FolderTree(model::SolutionModel& model, model::ItemCollection& root, std::u16string kind,
               std::u16string directory = {});

    // The collection of the folder at `path`, a normalized path that stays inside the project's
    // folder, made with its missing parents; the root collection for an empty path.
    model::ItemCollection& Folder(std::u16string_view path);

private:
    struct Key {
        const model::ItemCollection* parent;
        std::u16string name;  // folded
        bool operator==(const Key& other) const { return parent == other.parent && name == other.name; }
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            return std::hash<std::u16string>()(key.name) ^ std::hash<const void*>()(key.parent);
        }
    };

    model::SolutionModel& model_;
    model::ItemCollection& root_;
    std::u16string kind_;
    std::u16string directory_;
    std::unordered_map<Key, model::Item*, KeyHash> folders_;
};

}  // namespace sprig::loader
