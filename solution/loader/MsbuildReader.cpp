// MSBuild projects: C# and VB (.csproj, .vbproj) and C++ (.vcxproj with its .filters). Their
// items are the children of <ItemGroup> elements under <Project>, each with an Include of one or
// more paths separated by ";".
#include <algorithm>
#include <unordered_map>
#include <vector>

#include "solution/loader/FolderTree.h"
#include "solution/loader/ProjectReaders.h"
#include "solution/loader/WindowsPath.h"
#include "solution/loader/XmlDocument.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {
namespace {

// Item types that C# and VB projects show as files, and as folders; they show no others.
constexpr std::string_view ManagedFileTypes[] = {
    "Compile",
    "Content",
    "None",
    "EmbeddedResource",
    "Resource",
    "Page",
    "ApplicationDefinition",
    "EntityDeploy",
    "CodeAnalysisDictionary",
    "SplashScreen",
    "BaseApplicationManifest",
    "Shadow",
};
constexpr std::string_view ManagedFolderTypes[] = {"Folder", "AppDesigner"};

// Item types of C++ projects that are not files. C++ projects show items of every other type,
// since build customisations add types of their own.
constexpr std::string_view CppOtherTypes[] = {
    "ProjectConfiguration", "ProjectReference",   "Reference",         "COMReference", "PackageReference",
    "ProjectCapability",    "PropertyPageSchema", "AvailableItemName", "BuildMacro",
};

template <std::size_t N>
bool IsOneOf(std::string_view type, const std::string_view (&types)[N]) {
    return std::find(std::begin(types), std::end(types), type) != std::end(types);
}

std::string_view TypeOf(const XmlNode& item) { return {item.name(), item.name_size()}; }

// Wildcards, properties, item lists and metadata need MSBuild's evaluation, which is not done here.
bool NeedsEvaluation(std::u16string_view path) {
    return path.find_first_of(u"*?") != std::u16string_view::npos || path.find(u"$(") != std::u16string_view::npos ||
           path.find(u"@(") != std::u16string_view::npos || path.find(u"%(") != std::u16string_view::npos;
}

// Calls take(item, path) for each path of each item of the project, in the order of the file.
template <class F>
void ForEachItem(LoadContext& context, const XmlDocument& document, F&& take) {
    std::u16string include;
    const XmlNode& root = *document.Root();
    for (const XmlNode* group = root.first_node("ItemGroup"); group; group = group->next_sibling("ItemGroup")) {
        for (const XmlNode* item = group->first_node(); item; item = item->next_sibling()) {
            if (!document.Attribute(context, *item, "Include", include)) continue;
            for (std::size_t start = 0; start < include.size();) {
                std::size_t end = include.find(u';', start);
                if (end == std::u16string::npos) end = include.size();
                const std::u16string_view path = TrimXmlSpace(std::u16string_view(include).substr(start, end - start));
                start = end + 1;
                if (path.empty()) continue;
                if (NeedsEvaluation(path)) {
                    context.Report(document.Path(), document.LineOf(*item),
                                   "'" + ToUtf8(path) + "' is left out: wildcards and properties are not evaluated");
                    continue;
                }
                take(*item, path);
            }
        }
    }
}

// A file item before it is placed: the folder it shows in, and what it depends on.
struct PlannedItem {
    model::ItemCollection* folder;
    std::u16string key;        // its path in the project, folded, for DependentUpon to find it
    std::u16string parentKey;  // the folded path its DependentUpon names; empty for none
    std::u16string name;
    std::u16string fileName;
};

// The key of the item that `item` (at `path` in the project) depends on; empty for none.
bool DependencyKey(LoadContext& context, const XmlDocument& document, const XmlNode& item, std::u16string_view path,
                   std::u16string& key) {
    std::u16string dependentUpon;
    if (!document.Metadata(context, item, "DependentUpon", dependentUpon)) return false;
    key = dependentUpon.empty() ? std::u16string() : FoldedCopy(JoinPath(DirectoryPart(path), dependentUpon));
    return true;
}

// Adds the items: one whose DependentUpon names another item goes among that item's children,
// every other one into its folder, in the order of the project file. Where dependencies go round
// in a circle, the item that closes the circle stays in its folder.
void PlaceItems(model::SolutionModel& model, const std::vector<PlannedItem>& items) {
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::unordered_map<std::u16string, std::size_t> byKey;
    for (std::size_t i = 0; i < items.size(); ++i) byKey.try_emplace(items[i].key, i);
    std::vector<std::size_t> parent(items.size(), none);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].parentKey.empty()) continue;
        const auto found = byKey.find(items[i].parentKey);
        if (found != byKey.end() && found->second != i) parent[i] = found->second;
    }

    // Follow each chain of parents once; one that comes back to itself is cut at its end.
    enum : char { Unseen, OnChain, Done };
    std::vector<char> state(items.size(), Unseen);
    std::vector<std::size_t> chain;
    for (std::size_t i = 0; i < items.size(); ++i) {
        chain.clear();
        std::size_t j = i;
        for (; j != none && state[j] == Unseen; j = parent[j]) {
            state[j] = OnChain;
            chain.push_back(j);
        }
        if (j != none && state[j] == OnChain) parent[chain.back()] = none;
        for (const std::size_t k : chain) state[k] = Done;
    }

    std::vector<model::Item*> placed(items.size(), nullptr);
    const auto place = [&](std::size_t i) {
        model::ItemCollection& into = parent[i] == none ? *items[i].folder : model.Children(*placed[parent[i]]);
        placed[i] = &model.AddFile(into, items[i].name, items[i].fileName);
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (parent[i] == none) place(i);
    }
    // A dependent item comes after its parent, which may depend on another in turn.
    for (std::size_t i = 0; i < items.size(); ++i) {
        chain.clear();
        for (std::size_t j = i; !placed[j]; j = parent[j]) chain.push_back(j);
        for (auto k = chain.rbegin(); k != chain.rend(); ++k) place(*k);
    }
}

}  // namespace

void ReadManagedProject(LoadContext& context, const std::u16string& path, const Origin& origin,
                        model::Project& project) {
    XmlDocument document;
    if (document.Load(context, path, origin) != LoadResult::Loaded || !document.Expect(context, "Project")) return;
    const std::u16string directory(DirectoryPart(path));
    FolderTree folders(context.model, *project.items, model::PhysicalFolderKind, directory);
    std::vector<PlannedItem> items;
    ForEachItem(context, document, [&](const XmlNode& item, std::u16string_view include) {
        const std::string_view type = TypeOf(item);
        if (IsOneOf(type, ManagedFolderTypes)) {
            const std::u16string folder = NormalizePath(include);
            if (StaysInside(folder)) folders.Folder(folder);
            return;
        }
        if (!IsOneOf(type, ManagedFileTypes)) return;
        // A linked file shows where its Link says; one outside the project's folder at its top.
        std::u16string link, parentKey;
        if (!document.Metadata(context, item, "Link", link)) return;
        std::u16string shown = NormalizePath(link.empty() ? include : link);
        if (!StaysInside(shown)) shown = FileNamePart(shown);
        if (shown.empty() || !DependencyKey(context, document, item, shown, parentKey)) return;
        items.push_back({&folders.Folder(DirectoryPart(shown)), FoldedCopy(shown), std::move(parentKey),
                         std::u16string(FileNamePart(shown)), JoinPath(directory, include)});
    });
    PlaceItems(context.model, items);
}

void ReadVcxproj(LoadContext& context, const std::u16string& path, const Origin& origin, model::Project& project) {
    XmlDocument document, filters;
    if (document.Load(context, path, origin) != LoadResult::Loaded || !document.Expect(context, "Project")) return;
    const LoadResult filtersRead = filters.Load(context, path + u".filters", {path, 0}, true);
    if (filtersRead == LoadResult::Failed ||
        (filtersRead == LoadResult::Loaded && !filters.Expect(context, "Project"))) {
        return;
    }

    // The filters, in the order the .filters file gives them, and the filter of each item there.
    FolderTree tree(context.model, *project.items, model::VirtualFolderKind);
    std::unordered_map<std::u16string, model::ItemCollection*> filterOf;
    if (filtersRead == LoadResult::Loaded) {
        std::u16string filter;
        ForEachItem(context, filters, [&](const XmlNode& item, std::u16string_view include) {
            if (TypeOf(item) == "Filter") {
                tree.Folder(NormalizePath(include));
            } else if (filters.Metadata(context, item, "Filter", filter) && !filter.empty()) {
                filterOf.try_emplace(FoldedCopy(NormalizePath(include)), &tree.Folder(NormalizePath(filter)));
            }
        });
    }

    const std::u16string directory(DirectoryPart(path));
    std::vector<PlannedItem> items;
    ForEachItem(context, document, [&](const XmlNode& item, std::u16string_view include) {
        if (IsOneOf(TypeOf(item), CppOtherTypes)) return;
        const std::u16string relative = NormalizePath(include);
        std::u16string key = FoldedCopy(relative), parentKey;
        if (FileNamePart(relative).empty() || !DependencyKey(context, document, item, relative, parentKey)) return;
        const auto filter = filterOf.find(key);
        items.push_back({filter == filterOf.end() ? project.items : filter->second, std::move(key),
                         std::move(parentKey), std::u16string(FileNamePart(relative)), JoinPath(directory, include)});
    });
    PlaceItems(context.model, items);
}

}  // namespace sprig::loader
