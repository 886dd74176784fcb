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
    // The line before: consecutive lines mostly share project and project path, whose bytes are
    // then taken as they were (checked and decoded already) instead of decoded again.
    std::string_view lastId, lastName, lastPathBytes;
    const char16_t* lastProject = nullptr;
    const char16_t* lastPath = nullptr;
    std::u16string text;

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
        const bool sameProject = lastProject && fields[0] == lastId && fields[1] == lastName;
        const bool samePath = sameProject && fields[2] == lastPathBytes;
        std::u16string name, projectPath;
        for (int f = sameProject ? 2 : 0; f < 3; ++f) {
            if (f == 2 && samePath) break;
            text.clear();
            if (!AppendUtf16(fields[f], text)) return fail("not valid UTF-8");
            if (f == 1) name = text;
            if (f == 2) projectPath = text;
        }
        text.clear();
        if (!AppendUtf16(fields[3], text)) return fail("not valid UTF-8");
        if (fields[0].empty()) return fail("empty project id");
        if (fields[3].empty()) return fail("empty path");

        const char16_t* project = lastProject;
        if (!sameProject) {
            const char16_t*& known = projectsById[fields[0]];
            if (!known) {
                catalogue.ProjectList.push_back(CopyText(name));
                known = catalogue.ProjectList.back().get();
            } else if (name != known) {
                return fail("project id " + std::string(fields[0]) + " was given another name on an earlier line");
            }
            project = known;
        }
        if (!samePath && (project != lastProject || projectPath != lastPath)) {
            catalogue.ProjectPathPool.push_back(CopyText(projectPath));
            lastPath = catalogue.ProjectPathPool.back().get();
        }
        lastId = fields[0], lastName = fields[1], lastPathBytes = fields[2];
        lastProject = project;
        AddFile(catalogue, text, project, lastPath);
    }
    return true;
}

}  // namespace sprig
