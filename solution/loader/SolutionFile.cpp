#include "solution/loader/SolutionFile.h"

#include <algorithm>

#include "solution/loader/XmlDocument.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {
namespace {

constexpr std::string_view Header = "Microsoft Visual Studio Solution File, Format Version ";
// Versions 9.00 (2005) to 12.00 share one syntax.
constexpr std::string_view KnownVersions[] = {"9.00", "10.00", "11.00", "12.00"};

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The text is well-formed UTF-8 (DecodeSolutionText sees to it).
std::u16string Utf16(std::string_view text) {
    std::u16string out;
    AppendUtf16(text, out);
    return out;
}

// Takes the character `c` from the start of `rest`, after white space.
bool Take(std::string_view& rest, char c) {
    rest = TrimXmlSpace(rest);
    if (rest.empty() || rest[0] != c) return false;
    rest.remove_prefix(1);
    return true;
}

// Takes a text in double quotes from the start of `rest`, after white space.
bool TakeQuoted(std::string_view& rest, std::u16string& text) {
    if (!Take(rest, '"')) return false;
    const std::size_t end = rest.find('"');
    if (end == std::string_view::npos) return false;
    text = Utf16(rest.substr(0, end));
    rest.remove_prefix(end + 1);
    return true;
}

// The name in "Keyword(Name) = ..." lines that open sections.
std::string_view SectionName(std::string_view line, std::string_view keyword) {
    const std::string_view rest = line.substr(keyword.size());
    return rest.substr(0, rest.find(')'));
}

// "left = right": both sides without white space; false without " = ".
bool SplitAssignment(std::string_view line, std::u16string& left, std::u16string& right) {
    const std::size_t equals = line.find(" = ");
    if (equals == std::string_view::npos) return false;
    left = Utf16(TrimXmlSpace(line.substr(0, equals)));
    right = Utf16(TrimXmlSpace(line.substr(equals + 3)));
    return true;
}

// `Project("{type}") = "name", "path", "{id}"` (the part after "Project(").
SolutionEntry ParseProjectLine(LoadContext& context, const std::u16string& path, std::string_view rest,
                               std::size_t line) {
    SolutionEntry entry;
    entry.line = line;
    if (!TakeQuoted(rest, entry.type) || !Take(rest, ')') || !Take(rest, '=') || !TakeQuoted(rest, entry.name) ||
        entry.name.empty()) {
        context.Report(path, line, "malformed Project line; the project is left out");
        entry.name.clear();
        return entry;
    }
    entry.complete = Take(rest, ',') && TakeQuoted(rest, entry.path) && Take(rest, ',') && TakeQuoted(rest, entry.id);
    if (!entry.complete) {
        context.Report(path, line,
                       "the Project line of '" + ToUtf8(entry.name) + "' is cut short; it is listed without items");
    }
    return entry;
}

}  // namespace

bool ParseSolutionFile(LoadContext& context, const std::u16string& path, std::string_view text,
                       SolutionFile& solution) {
    enum class State { Header, Top, Project, ProjectSection, Global, GlobalSection };
    State state = State::Header;
    bool solutionItems = false, nestedProjects = false;
    bool projectCut = false;  // the open project's Project line was already reported
    std::size_t lineNumber = 0, globalLine = 0;

    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = TrimXmlSpace(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty()) continue;
        // A section that is not closed ends with its block.
        if (state == State::ProjectSection && (StartsWith(line, "Project(") || line == "EndProject"))
            state = State::Project;
        if (state == State::GlobalSection && line == "EndGlobal") state = State::Global;

        switch (state) {
        case State::Header: {
            if (!StartsWith(line, Header)) {
                context.Report(path, lineNumber,
                               "not a solution file: it does not begin with \"" +
                                   std::string(Header.substr(0, Header.find(','))) + "\"");
                return false;
            }
            const std::string_view version = line.substr(Header.size());
            if (std::find(std::begin(KnownVersions), std::end(KnownVersions), version) == std::end(KnownVersions)) {
                context.Report(path, lineNumber,
                               "format version " + std::string(version) + " is not known; read as 9.00");
            }
            state = State::Top;
            break;
        }
        case State::Top:
        case State::Project:
            if (StartsWith(line, "Project(")) {
                if (state == State::Project && !projectCut) {
                    context.Report(path, solution.projects.back().line,
                                   "project '" + ToUtf8(solution.projects.back().name) +
                                       "' has no EndProject; it is listed without items");
                }
                solution.projects.push_back(ParseProjectLine(context, path, line.substr(8), lineNumber));
                projectCut = !solution.projects.back().complete;
                solution.projects.back().complete = false;
                state = State::Project;
            } else if (state == State::Top && line == "Global") {
                state = State::Global, globalLine = lineNumber;
            } else if (state == State::Project && line == "EndProject") {
                solution.projects.back().complete = !projectCut;
                state = State::Top;
            } else if (state == State::Project && StartsWith(line, "ProjectSection(")) {
                solutionItems = SectionName(line, "ProjectSection(") == "SolutionItems";
                state = State::ProjectSection;
            }
            break;
        case State::ProjectSection: {
            std::u16string item, same;
            if (line == "EndProjectSection") {
                state = State::Project;
            } else if (solutionItems && SplitAssignment(line, item, same)) {
                solution.projects.back().solutionItems.push_back(std::move(item));
            }
            break;
        }
        case State::Global:
            if (line == "EndGlobal") {
                state = State::Top;
            } else if (StartsWith(line, "GlobalSection(")) {
                nestedProjects = SectionName(line, "GlobalSection(") == "NestedProjects";
                state = State::GlobalSection;
            }
            break;
        case State::GlobalSection: {
            Nesting nesting{{}, {}, lineNumber};
            if (line == "EndGlobalSection") {
                state = State::Global;
            } else if (nestedProjects && SplitAssignment(line, nesting.child, nesting.parent)) {
                solution.nesting.push_back(std::move(nesting));
            }
            break;
        }
        }
    }

    switch (state) {
    case State::Header:
        context.Report(path, 0, "not a solution file: it is empty");
        return false;
    case State::Project:
    case State::ProjectSection:
        if (!projectCut) {
            context.Report(path, solution.projects.back().line,
                           "the file ends inside project '" + ToUtf8(solution.projects.back().name) +
                               "'; it is listed without items");
        }
        break;
    case State::Global:
    case State::GlobalSection:
        context.Report(path, globalLine, "the file ends inside the Global section");
        break;
    case State::Top:
        break;
    }
    return true;
}

}  // namespace sprig::loader
