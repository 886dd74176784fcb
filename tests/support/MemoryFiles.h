// Solution files held in memory, for the loader's tests and fuzzing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "catalogue/Utf8.h"
#include "solution/loader/LoadContext.h"
#include "solution/loader/WindowsPath.h"

namespace sprig::testing {

// Files by their full Windows path, as written (no case folding); folders are the paths above them.
class MemoryFiles final : public loader::SolutionFiles {
public:
    std::map<std::u16string, std::string> files;
    // Links to folders, by full path: a link is listed as a folder, as Wine shows one, and leads
    // to its target.
    std::map<std::u16string, std::u16string> links;

    loader::ReadResult Read(const std::u16string& path, std::string& content, std::string& reason) override {
        const auto found = files.find(path);
        if (found == files.end()) {
            reason = "no such file";
            return loader::ReadResult::Missing;
        }
        content = found->second;
        return loader::ReadResult::Read;
    }

    bool List(const std::u16string& linked, std::vector<loader::DirectoryEntry>& entries,
              std::string& reason) override {
        const std::u16string path = Resolved(linked);
        const std::u16string prefix = path + u'\\';
        for (const auto& [name, content] : files) {
            if (name.compare(0, prefix.size(), prefix) != 0) continue;
            const std::u16string rest = name.substr(prefix.size());
            const std::size_t separator = rest.find(u'\\');
            const loader::DirectoryEntry entry{rest.substr(0, separator), separator != std::u16string::npos};
            if (entries.empty() || entries.back().name != entry.name) entries.push_back(entry);
        }
        for (const auto& [link, target] : links) {
            if (loader::DirectoryPart(link) == path)
                entries.push_back({std::u16string(loader::FileNamePart(link)), true});
        }
        if (entries.empty()) reason = "no such folder";
        return !entries.empty();
    }

    std::string FolderIdentity(const std::u16string& path) override { return ToUtf8(Resolved(path)); }

private:
    // The path with every link on it followed.
    std::u16string Resolved(std::u16string path) const {
        for (bool followed = true; followed;) {
            followed = false;
            for (const auto& [link, target] : links) {
                if (path.compare(0, link.size(), link) == 0 &&
                    (path.size() == link.size() || path[link.size()] == u'\\')) {
                    path = target + path.substr(link.size());
                    followed = true;
                }
            }
        }
        return path;
    }
};

}  // namespace sprig::testing
