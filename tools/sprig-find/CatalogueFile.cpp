#include "CatalogueFile.h"

#include <cstring>

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

bool CatalogueReader::Fail(const std::string& what, std::size_t lineNumber) {
    failed_ = true;
    error_ = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
}

bool CatalogueReader::Add(std::string_view piece) {
    while (!failed_ && !piece.empty()) {
        const void* found = std::memchr(piece.data(), '\n', piece.size());
        if (!found) {
            partial_.append(piece);
            break;
        }
        const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(found) - piece.data());
        if (partial_.empty()) {
            Line(piece.substr(0, end));
        } else {
            partial_.append(piece.data(), end);
            Line(partial_);
            partial_.clear();
        }
        piece.remove_prefix(end + 1);
    }
    return !failed_;
}

bool CatalogueReader::Finish() {
    if (!failed_ && !partial_.empty()) {
        Line(partial_);
        partial_.clear();
    }
    return !failed_;
}

bool CatalogueReader::Line(std::string_view line) {
    ++lines_;
    if (lines_ == 1 && line.substr(0, ByteOrderMark.size()) == ByteOrderMark) line.remove_prefix(ByteOrderMark.size());
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Editors often end a file with an empty line; anywhere else it is a line without fields,
    // refused once a line follows it.
    if (emptyLine_ && !Take(std::string_view(), lines_ - 1)) return false;
    emptyLine_ = line.empty();
    return emptyLine_ || Take(line, lines_);
}

bool CatalogueReader::Take(std::string_view line, std::size_t lineNumber) {
    std::string_view fields[4];
    const int count = SplitFields(line, fields);
    const auto fail = [&](const std::string& what) { return Fail(what, lineNumber); };
    if (count != 4) {
        return fail("expected 4 tab-separated fields (projectId, projectName, projectPath, path), found " +
                    std::string(count > 4 ? "more" : std::to_string(count)));
    }
    // Catalogue texts end at their first NUL, so one inside a field would cut it short.
    if (std::memchr(line.data(), '\0', line.size())) return fail("holds a NUL byte");
    const bool sameProject = lastProject_ && fields[0] == lastId_ && fields[1] == lastName_;
    const bool samePath = sameProject && fields[2] == lastPathBytes_;
    if (!sameProject) {
        name_.clear();
        if (!AppendUtf16(fields[0], name_)) return fail("not valid UTF-8");  // the id, checked only
        name_.clear();
        if (!AppendUtf16(fields[1], name_)) return fail("not valid UTF-8");
    }
    if (!samePath) {
        projectPath_.clear();
        if (!AppendUtf16(fields[2], projectPath_)) return fail("not valid UTF-8");
    }
    // The path is decoded into room kept from line to line, never cleared or filled first.
    if (path_.size() < fields[3].size()) path_.resize(fields[3].size());
    char16_t* pathEnd = path_.data();
    if (!DecodeUtf8(fields[3], pathEnd)) return fail("not valid UTF-8");
    if (fields[0].empty()) return fail("empty project id");
    if (fields[3].empty()) return fail("empty path");

    const char16_t* project = lastProject_;
    if (!sameProject) {
        const char16_t*& known = projectsById_[std::string(fields[0])];
        if (!known) {
            catalogue_.ProjectList.push_back(CopyText(name_));
            known = catalogue_.ProjectList.back().get();
        } else if (name_ != known) {
            return fail("project id " + std::string(fields[0]) + " was given another name on an earlier line");
        }
        project = known;
    }
    if (!samePath && (project != lastProject_ || projectPath_ != lastPath_)) {
        catalogue_.ProjectPathPool.push_back(CopyText(projectPath_));
        lastPath_ = catalogue_.ProjectPathPool.back().get();
    }
    if (!sameProject) {
        lastId_.assign(fields[0].data(), fields[0].size());
        lastName_.assign(fields[1].data(), fields[1].size());
    }
    if (!samePath) lastPathBytes_.assign(fields[2].data(), fields[2].size());
    lastProject_ = project;
    AddFile(catalogue_, std::u16string_view(path_.data(), static_cast<std::size_t>(pathEnd - path_.data())), project,
            lastPath_);
    return true;
}

bool LoadCatalogue(std::string_view content, Catalogue& catalogue, std::string& error) {
    CatalogueReader reader(catalogue);
    const bool loaded = reader.Add(content) && reader.Finish();
    if (!loaded) error = reader.Error();
    return loaded;
}

}  // namespace sprig
