#include "solution/loader/SolutionLoader.h"

#include <unordered_map>

#include "catalogue/Text.h"
#include "solution/loader/FolderTree.h"
#include "solution/loader/ProjectReaders.h"
#include "solution/loader/SolutionFile.h"
#include "solution/loader/TextDecoding.h"
#include "solution/loader/WindowsPath.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {
namespace {

constexpr std::size_t None = static_cast<std::size_t>(-1);

enum class Format { SolutionFolder, WebSite, Vcproj, Vcxproj, Managed, Unknown };

bool SameIgnoringAsciiCase(const std::u16string& a, const char16_t* b) {
    return CompareIgnoringAsciiCase(a.c_str(), b) == 0;
}

bool EndsWithIgnoringAsciiCase(const std::u16string& text, std::u16string_view suffix) {
    return text.size() >= suffix.size() &&
           FoldedCopy(std::u16string_view(text).substr(text.size() - suffix.size())) == suffix;
}

Format FormatOf(const SolutionEntry& entry) {
    if (SameIgnoringAsciiCase(entry.type, SolutionFolderType)) return Format::SolutionFolder;
    if (SameIgnoringAsciiCase(entry.type, WebSiteProjectType)) return Format::WebSite;
    if (SameIgnoringAsciiCase(entry.type, CSharpProjectType) ||
        SameIgnoringAsciiCase(entry.type, VisualBasicProjectType)) {
        return Format::Managed;
    }
    if (SameIgnoringAsciiCase(entry.type, CppProjectType)) {
        if (EndsWithIgnoringAsciiCase(entry.path, u".vcproj")) return Format::Vcproj;
        if (EndsWithIgnoringAsciiCase(entry.path, u".vcxproj")) return Format::Vcxproj;
    }
    return Format::Unknown;
}

std::string Quoted(const std::u16string& name) { return "'" + ToUtf8(name) + "'"; }

// The projects that nesting has joined so far, as sets with the project at the top of each.
class NestingGroups {
public:
    explicit NestingGroups(std::size_t count) : group_(count), size_(count, 1), top_(count) {
        for (std::size_t i = 0; i < count; ++i) group_[i] = top_[i] = i;
    }

    std::size_t TopOf(std::size_t project) { return top_[Find(project)]; }

    // `child`, the top of its set, now nests in `parent`.
    void Nest(std::size_t child, std::size_t parent) {
        std::size_t a = Find(child), b = Find(parent);
        const std::size_t top = top_[b];
        if (size_[a] > size_[b]) std::swap(a, b);
        group_[a] = b, size_[b] += size_[a], top_[b] = top;
    }

private:
    std::size_t Find(std::size_t project) {
        while (group_[project] != project) project = group_[project] = group_[group_[project]];
        return project;
    }

    std::vector<std::size_t> group_, size_, top_;
};

// The solution folder each project nests in (None at the top), from the NestedProjects lines.
std::vector<std::size_t> NestProjects(LoadContext& context, const std::u16string& path, const SolutionFile& solution,
                                      const std::vector<Format>& formats) {
    const std::vector<SolutionEntry>& projects = solution.projects;
    std::unordered_map<std::u16string, std::size_t> byId;
    for (std::size_t i = 0; i < projects.size(); ++i) {
        if (!projects[i].name.empty()) byId.try_emplace(FoldedCopy(projects[i].id), i);
    }
    std::vector<std::size_t> parent(projects.size(), None);
    // A project not yet nested is the top of its set: a folder in that set lies inside it.
    NestingGroups groups(projects.size());
    for (const Nesting& nesting : solution.nesting) {
        const auto child = byId.find(FoldedCopy(nesting.child));
        const auto folder = byId.find(FoldedCopy(nesting.parent));
        if (child == byId.end() || folder == byId.end()) {
            context.Report(path, nesting.line,
                           "NestedProjects names no project with the id " +
                               ToUtf8(child == byId.end() ? nesting.child : nesting.parent));
            continue;
        }
        const std::size_t c = child->second, p = folder->second;
        const std::string stays = "; " + Quoted(projects[c].name) + " stays at the top";
        if (formats[p] != Format::SolutionFolder || !projects[p].complete) {
            context.Report(path, nesting.line, Quoted(projects[p].name) + " is no solution folder read whole" + stays);
            continue;
        }
        if (parent[c] != None) {
            context.Report(path, nesting.line,
                           Quoted(projects[c].name) + " is nested a second time; the first place holds");
            continue;
        }
        if (groups.TopOf(p) == c) {
            context.Report(path, nesting.line, Quoted(projects[c].name) + " would be nested in itself" + stays);
            continue;
        }
        parent[c] = p;
        groups.Nest(c, p);
    }
    return parent;
}

void ReadProject(LoadContext& context, const SolutionEntry& entry, Format format, const std::u16string& solutionPath,
                 model::Project& project) {
    const Origin origin{solutionPath, entry.line};
    const std::u16string path = JoinPath(DirectoryPart(solutionPath), entry.path);
    switch (format) {
    case Format::Vcproj:
        return ReadVcproj(context, path, origin, project);
    case Format::Vcxproj:
        return ReadVcxproj(context, path, origin, project);
    case Format::Managed:
        return ReadManagedProject(context, path, origin, project);
    case Format::WebSite:
        if (entry.path.find(u"://") != std::u16string::npos) {
            context.Report(solutionPath, entry.line,
                           "web site " + Quoted(entry.name) +
                               " is served from a URL, which is not read; it is listed without items");
            return;
        }
        return ReadWebSite(context, path, origin, project);
    case Format::SolutionFolder:
        return;
    case Format::Unknown:
        context.Report(solutionPath, entry.line,
                       Quoted(entry.name) + " is of a project type (" + ToUtf8(entry.type) + ", " + ToUtf8(entry.path) +
                           ") that is not read; it is listed without items");
        return;
    }
}

}  // namespace

bool LoadSolution(const std::u16string& path, SolutionFiles& files, model::SolutionModel& model,
                  std::vector<LoadMessage>& messages) {
    LoadContext context{files, model, messages, path};
    std::string bytes, reason;
    if (files.Read(path, bytes, reason) != ReadResult::Read) {
        context.Report(path, 0, "cannot read the solution: " + reason);
        return false;
    }
    SolutionFile solution;
    if (!ParseSolutionFile(context, path, DecodeSolutionText(bytes), solution)) return false;
    bytes = std::string();

    const std::vector<SolutionEntry>& entries = solution.projects;
    std::vector<Format> formats;
    for (const SolutionEntry& entry : entries) formats.push_back(FormatOf(entry));
    const std::vector<std::size_t> parent = NestProjects(context, path, solution, formats);

    std::vector<model::Project*> made(entries.size(), nullptr);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].name.empty()) continue;
        made[i] = &model.NewProject(entries[i].name,
                                    formats[i] == Format::SolutionFolder ? model::SolutionFolderKind : entries[i].type);
        if (parent[i] == None) model.projects.Add(*made[i]);
    }
    // A solution folder: its nested projects in the order of the file, then its own files.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (parent[i] != None) model.AddSubProject(*made[parent[i]]->items, *made[i]);
    }
    const std::u16string_view directory = DirectoryPart(path);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!made[i] || !entries[i].complete) continue;
        if (formats[i] != Format::SolutionFolder) {
            ReadProject(context, entries[i], formats[i], path, *made[i]);
            continue;
        }
        for (const std::u16string& item : entries[i].solutionItems) {
            const std::u16string fileName = JoinPath(directory, item);
            // The environment gives these files' names at index 1 only.
            model.AddFile(*made[i]->items, std::u16string(FileNamePart(fileName)), fileName).fileNameIndex = 1;
        }
    }
    return true;
}

}  // namespace sprig::loader
