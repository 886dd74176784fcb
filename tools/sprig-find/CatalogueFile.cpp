#include "CatalogueFile.h"

#include <unordered_map>

#include "catalogue/Utf8.h"

namespace sprig {
namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Splits a line into exactly four tab-separated fields; answers how many it found (at most 5).
int SplitFields(std::string_view line, std::string_view (&fields)[4]) {
    int count = 0;
    for (;;) {
        const std::size_t tab = line.find('\t');
        if (count == 4) return 5;
        fields[count++] = line.substr(0, tab);
        if (tab == std::string_view::npos) return count;
        line.remove_prefix(tab + 1);
    }
}

}  // namespace

bool LoadCatalogue(std::string_view content, Catalogue& catalogue, std::string& error) {
    if (content.substr(0, ByteOrderMark.size()) == ByteOrderMark) content.remove_prefix(ByteOrderMark.size());

    std::unordered_map<std::string_view, const char16_t*> projectsById;
    const char16_t* lastProject = nullptr;
    const char16_t* lastPath = nullptr;
    std::u16string id, name, projectPath, path, lastPathText;

    std::size_t lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Editors often end a file with an empty line.
        if (line.empty() && content.empty()) break;

        const auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        };
        std::string_view fields[4];
        const int count = SplitFields(line, fields);
        if (count != 4) {
            return fail("expected 4 tab-separated fields (projectId, projectName, projectPath, path), found " +
                        std::string(count > 4 ? "more" : std::to_string(count)));
        }
        // Catalogue texts end at their first NUL, so one inside a field would cut it short.
        if (line.find('\0') != std::string_view::npos) return fail("holds a NUL byte");
        id.clear(), name.clear(), projectPath.clear(), path.clear();
        if (!AppendUtf16(fields[0], id) || !AppendUtf16(fields[1], name) || !AppendUtf16(fields[2], projectPath) ||
            !AppendUtf16(fields[3], path)) {
            return fail("not valid UTF-8");
        }
        if (fields[0].empty()) return fail("empty project id");
        if (fields[3].empty()) return fail("empty path");

        const char16_t*& project = projectsById[fields[0]];
        if (!project) {
            catalogue.ProjectList.push_back(CopyText(name));
            project = catalogue.ProjectList.back().get();
        } else if (name != project) {
            return fail("project id " + std::string(fields[0]) + " was given another name on an earlier line");
        }
        if (project != lastProject || projectPath != lastPathText) {
            catalogue.ProjectPathPool.push_back(CopyText(projectPath));
            lastPath = catalogue.ProjectPathPool.back().get();
            lastProject = project;
            lastPathText = projectPath;
        }
        catalogue.FileList.push_back(MakeFileEntry(CopyText(path), project, lastPath));
    }
    return true;
}

}  // namespace sprig
