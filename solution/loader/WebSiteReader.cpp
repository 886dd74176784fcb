// Web sites have no project file: the environment shows the files of the site's folder.
#include <algorithm>
#include <cstdint>

#include "catalogue/SolutionWalker.h"
#include "catalogue/Text.h"
#include "solution/loader/ProjectReaders.h"
#include "solution/loader/WindowsPath.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {
namespace {

struct WebSiteReader {
    LoadContext& context;
    const Origin& origin;
    // Neither deeper nor more than the walk would ever visit: a site's folder may be a whole drive.
    std::int64_t budget = MaxWalkItems;

    // Sub-folders first, then files, each in the order of their names.
    void Read(const std::u16string& directory, model::ItemCollection& into, int depth) {
        std::vector<DirectoryEntry> entries;
        std::string reason;
        if (!context.files.List(directory, entries, reason)) {
            context.Report(origin.file, origin.line, "cannot read the folder " + ToUtf8(directory) + ": " + reason);
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) {
            if (a.isDirectory != b.isDirectory) return a.isDirectory;
            return CompareIgnoringAsciiCase(a.name.c_str(), b.name.c_str()) < 0;
        });
        for (const DirectoryEntry& entry : entries) {
            if (budget-- == 0) {
                context.Report(origin.file, origin.line,
                               "the web site holds more than " + std::to_string(MaxWalkItems) +
                                   " files and folders; the rest is left out");
            }
            if (budget < 0) return;
            const std::u16string path = JoinPath(directory, entry.name);
            if (!entry.isDirectory) {
                context.model.AddFile(into, entry.name, path);
                continue;
            }
            model::Item& folder = context.model.AddFolder(into, entry.name, model::PhysicalFolderKind);
            folder.fileName = path + u'\\';
            if (depth < MaxWalkDepth) {
                Read(path, *folder.children, depth + 1);
            } else {
                context.Report(
                    origin.file, origin.line,
                    "the folder " + ToUtf8(path) + " lies deeper than the walk goes; its files are left out");
            }
        }
    }
};

}  // namespace

void ReadWebSite(LoadContext& context, const std::u16string& directory, const Origin& origin, model::Project& project) {
    WebSiteReader reader{context, origin};
    reader.Read(directory, *project.items, 1);
}

}  // namespace sprig::loader
