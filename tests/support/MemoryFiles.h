// Solution files held in memory, for the loader's tests and fuzzing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "solution/loader/LoadContext.h"

namespace sprig::testing {

// Files by their full Windows path, as written (no case folding); folders are the paths above them.
class MemoryFiles final : public loader::SolutionFiles {
public:
    std::map<std::u16string, std::string> files;

    loader::ReadResult Read(const std::u16string& path, std::string& content, std::string& reason) override {
        const auto found = files.find(path);
        if (found == files.end()) {
            reason = "no such file";
            return loader::ReadResult::Missing;
        }
        content = found->second;
        return loader::ReadResult::Read;
    }

    bool List(const std::u16string& path, std::vector<loader::DirectoryEntry>& entries, std::string& reason) override {
        const std::u16string prefix = path + u'\\';
        for (const auto& [name, content] : files) {
            if (name.compare(0, prefix.size(), prefix) != 0) continue;
            const std::u16string rest = name.substr(prefix.size());
            const std::size_t separator = rest.find(u'\\');
            const loader::DirectoryEntry entry{rest.substr(0, separator), separator != std::u16string::npos};
            if (entries.empty() || entries.back().name != entry.name) entries.push_back(entry);
        }
        if (entries.empty()) reason = "no such folder";
        return !entries.empty();
    }
};

}  // namespace sprig::testing
