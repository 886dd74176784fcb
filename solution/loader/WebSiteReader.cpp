// Web sites have no project file: the environment shows the files of the site's folder.
#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "catalogue/SolutionWalker.h"
#include "catalogue/Text.h"
#include "solution/loader/ProjectReaders.h"
#include "solution/loader/WindowsPath.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {
namespace {

// File names that one site may hold, in UTF-16 units: far beyond a real site, it bounds what a
// file system that leads round in circles unseen can make the loader hold.
constexpr std::int64_t MaxSiteText = std::int64_t{1} << 26;

struct WebSiteReader {
    LoadContext& context;
    const Origin& origin;
    // Neither deeper nor more than the walk would ever visit: a site's folder may be a whole drive.
    std::int64_t budget = MaxWalkItems;
    std::int64_t textBudget = MaxSiteText;
    bool exhausted = false;
    // Every folder read so far. A link back to one of them is passed over, as links are where the
    // system reports them: under Wine they look like plain folders.
    std::unordered_set<std::string> visited{};

    bool FirstVisit(const std::u16string& directory) {
        const std::string identity = context.files.FolderIdentity(directory);
        return identity.empty() || visited.insert(identity).second;
    }

    // Takes one more entry with `text` units of file name; false, once with a message, past the bounds.
    bool Spend(std::size_t text) {
        if (exhausted) return false;
        if (--budget >= 0 && (textBudget -= static_cast<std::int64_t>(text)) >= 0) return true;
        context.Report(origin.file, origin.line,
                       "the web site holds more than " + std::to_string(MaxWalkItems) + " files and folders or " +
                           std::to_string(MaxSiteText) + " characters of file names; the rest is left out");
        exhausted = true;
        return false;
    }

    // Sub-folders first, then files, each in the order of their names.
    void Read(const std::u16string& directory, const model::Item* parent, model::ItemCollection& into, int depth) {
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
            const std::u16string path = JoinPath(directory, entry.name);
            if (entry.isDirectory && !FirstVisit(path)) continue;
            if (!Spend(entry.isDirectory ? entry.name.size() + 1 : path.size())) return;
            if (!entry.isDirectory) {
                context.model.AddFile(into, entry.name, path);
                continue;
            }
            model::Item& folder = context.model.AddFolder(into, entry.name, model::PhysicalFolderKind);
            folder.within = parent;
            folder.fileName = (parent ? entry.name : path) + u'\\';
            if (depth < MaxWalkDepth) {
                Read(path, &folder, *folder.children, depth + 1);
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
    reader.FirstVisit(directory);
    reader.Read(directory, nullptr, *project.items, 1);
}

}  // namespace sprig::loader
