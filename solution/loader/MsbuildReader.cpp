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

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')) return (c | 0x20) - u'a' + 10;
    return -1;
}

// MSBuild's escapes: "%3B" stands for ";" (which would split the item), "%24" for "$" and so on;
// any other "%" stands for itself. Control characters, which no file name holds (a NUL would cut
// every text made of the path short), stay escaped.
std::u16string Unescape(std::u16string_view path) {
    std::u16string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const int high = i + 2 < path.size() ? HexDigit(path[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(path[i + 2]) : -1;
        if (path[i] == u'%' && low >= 0 && high * 16 + low >= 0x20) {
            out += static_cast<char16_t>(high * 16 + low);
            i += 2;
        } else {
            out += path[i];
        }
    }
    return out;
}

// The root of a full path: "C:\" or "\\server\share\"; empty for any other path.
std::size_t RootLength(std::u16string_view path) {
    if (path.substr(0, 2) == u"\\\\") {
        const std::size_t server = path.find(u'\\', 2);
        const std::size_t share = server == std::u16string_view::npos ? server : path.find(u'\\', server + 1);
        return share == std::u16string_view::npos ? path.size() : share + 1;
    }
    return path.size() >= 3 && path[1] == u':' && path[2] == u'\\' ? 3 : 0;
}

// "x\" for a folder "x" that has no "\" at its end.
std::u16string WithBackslash(std::u16string_view folder) {
    std::u16string out(folder);
    if (out.empty() || out.back() != u'\\') out += u'\\';
    return out;
}

// The properties that the environment defines for a project it loads from a solution, as MSBuild
// spells them. The solution's are global properties, which a project cannot change. MSBuild's
// reserved MSBuildProject* and MSBuildThisFile* cannot be set either (an item of the project file
// itself has that file as "this file"). The Project* ones come from the build's targets only
// where the project does not set them; one that the project sets is not evaluated.
// Folders end in "\" where MSBuild's do: all but MSBuildProjectDirectory and
// MSBuildProjectDirectoryNoRoot.
class BuiltInProperties {
public:
    BuiltInProperties(std::u16string_view solution, std::u16string_view project, const XmlDocument& document) {
        const auto add = [&](std::u16string_view name, std::u16string value) {
            values_.emplace(FoldedCopy(name), std::move(value));
        };
        const auto addFile = [&](std::u16string_view prefix, std::u16string_view path, bool projectMaySet) {
            const std::u16string_view fileName = FileNamePart(path);
            const std::u16string_view name = fileName.substr(0, fileName.rfind(u'.'));
            const std::pair<const char16_t*, std::u16string> values[] = {
                {u"Dir", WithBackslash(DirectoryPart(path))},
                {u"Path", std::u16string(path)},
                {u"Name", std::u16string(name)},
                {u"FileName", std::u16string(fileName)},
                {u"Ext", std::u16string(fileName.substr(name.size()))},
            };
            for (const auto& [suffix, value] : values) {
                const std::u16string property = std::u16string(prefix) + suffix;
                if (!projectMaySet || !SetByProject(document, property)) add(property, value);
            }
        };
        if (!solution.empty()) addFile(u"Solution", solution, false);
        addFile(u"Project", project, true);

        const std::u16string_view directory = DirectoryPart(project), fileName = FileNamePart(project);
        const std::u16string_view name = fileName.substr(0, fileName.rfind(u'.'));
        const std::u16string_view noRoot = directory.substr(std::min(RootLength(directory), directory.size()));
        add(u"MSBuildProjectDirectory", std::u16string(directory));
        add(u"MSBuildProjectDirectoryNoRoot", std::u16string(noRoot));
        add(u"MSBuildProjectFile", std::u16string(fileName));
        add(u"MSBuildProjectExtension", std::u16string(fileName.substr(name.size())));
        add(u"MSBuildProjectFullPath", std::u16string(project));
        add(u"MSBuildProjectName", std::u16string(name));
        add(u"MSBuildThisFile", std::u16string(fileName));
        add(u"MSBuildThisFileDirectory", WithBackslash(directory));
        add(u"MSBuildThisFileDirectoryNoRoot", noRoot.empty() ? std::u16string() : WithBackslash(noRoot));
        add(u"MSBuildThisFileExtension", std::u16string(fileName.substr(name.size())));
        add(u"MSBuildThisFileFullPath", std::u16string(project));
        add(u"MSBuildThisFileName", std::u16string(name));
    }

    // `path` as MSBuild evaluates it: each "$(Name)" of a built-in property replaced by its value,
    // the escapes of the text around them resolved. False for what needs more of MSBuild's
    // evaluation than that: wildcards, item lists, metadata and other properties.
    bool Evaluate(std::u16string_view path, std::u16string& out) const {
        out.clear();
        for (std::size_t i = 0; i <= path.size();) {
            const std::size_t open = std::min(path.find(u"$("), path.size()), close = path.find(u')', open);
            const std::u16string_view text = path.substr(i, open - i);
            if (text.find_first_of(u"*?") != text.npos || text.find(u"@(") != text.npos ||
                text.find(u"%(") != text.npos) {
                return false;
            }
            out += Unescape(text);
            if (open == path.size()) return true;
            if (close == path.npos) return false;
            const auto found = values_.find(FoldedCopy(TrimXmlSpace(path.substr(open + 2, close - open - 2))));
            if (found == values_.end()) return false;
            out += found->second;
            path.remove_prefix(close + 1), i = 0;
        }
        return true;
    }

private:
    // Whether a PropertyGroup of the project sets the property `name`, under any condition.
    static bool SetByProject(const XmlDocument& document, std::u16string_view name) {
        const std::u16string folded = FoldedCopy(name);
        std::u16string property;
        const XmlNode& root = *document.Root();
        for (const XmlNode* group = root.first_node("PropertyGroup"); group;
             group = group->next_sibling("PropertyGroup")) {
            for (const XmlNode* node = group->first_node(); node; node = node->next_sibling()) {
                property.clear();
                if (node->type() == rapidxml::node_element &&
                    AppendUtf16(std::string_view(node->name(), node->name_size()), property) &&
                    FoldedCopy(property) == folded) {
                    return true;
                }
            }
        }
        return false;
    }

    std::unordered_map<std::u16string, std::u16string> values_;  // by folded name
};

// Calls take(item, path) for each path of each item of the project, in the order of the file:
// built-in properties evaluated, escapes resolved, and a full path inside the project's folder
// made relative to it, as the environment shows such an item.
template <class F>
void ForEachItem(LoadContext& context, const XmlDocument& document, const BuiltInProperties& properties,
                 std::u16string_view projectDirectory, F&& take) {
    const std::u16string inside = WithBackslash(projectDirectory);
    std::u16string include, path;
    const XmlNode& root = *document.Root();
    for (const XmlNode* group = root.first_node("ItemGroup"); group; group = group->next_sibling("ItemGroup")) {
        for (const XmlNode* item = group->first_node(); item; item = item->next_sibling()) {
            if (!document.Attribute(context, *item, "Include", include)) continue;
            for (std::size_t start = 0; start < include.size();) {
                std::size_t end = include.find(u';', start);
                if (end == std::u16string::npos) end = include.size();
                const std::u16string_view part = TrimXmlSpace(std::u16string_view(include).substr(start, end - start));
                start = end + 1;
                if (part.empty()) continue;
                if (!properties.Evaluate(part, path)) {
                    context.Report(document.Path(), document.LineOf(*item),
                                   "'" + ToUtf8(part) + "' is left out: wildcards and properties are not evaluated");
                    continue;
                }
                if (IsFullPath(path)) {
                    const std::u16string full = NormalizePath(path);
                    if (FoldedCopy(full).rfind(FoldedCopy(inside), 0) == 0) path = full.substr(inside.size());
                }
                if (!path.empty()) take(*item, path);
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
    const BuiltInProperties properties(context.solution, path, document);
    ForEachItem(context, document, properties, directory, [&](const XmlNode& item, std::u16string_view include) {
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

    // The filters, in the order the .filters file gives them, and the filter of each item there. The
    // .filters file names items as the project file does, so its paths are evaluated alike.
    const std::u16string directory(DirectoryPart(path));
    const BuiltInProperties properties(context.solution, path, document);
    FolderTree tree(context.model, *project.items, model::VirtualFolderKind);
    std::unordered_map<std::u16string, model::ItemCollection*> filterOf;
    if (filtersRead == LoadResult::Loaded) {
        std::u16string filter;
        ForEachItem(context, filters, properties, directory, [&](const XmlNode& item, std::u16string_view include) {
            if (TypeOf(item) == "Filter") {
                tree.Folder(NormalizePath(include));
            } else if (filters.Metadata(context, item, "Filter", filter) && !filter.empty()) {
                filterOf.try_emplace(FoldedCopy(NormalizePath(include)), &tree.Folder(NormalizePath(filter)));
            }
        });
    }

    std::vector<PlannedItem> items;
    ForEachItem(context, document, properties, directory, [&](const XmlNode& item, std::u16string_view include) {
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
