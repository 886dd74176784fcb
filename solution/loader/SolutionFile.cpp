#include "solution/loader/SolutionFile.h"

#include <algorithm>

#include "solution/loader/XmlDocument.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {
namespace {

constexpr std::string_view HeaderLine = "Microsoft Visual Studio Solution File, Format Version ";
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

// Reads the file line by line; each state of the reader has its handler.
class SolutionParser {
public:
    SolutionParser(LoadContext& context, const std::u16string& path, SolutionFile& solution)
        : context_(context), path_(path), solution_(solution) {}

    // False when the file turns out to be no solution file.
    bool Line(std::string_view line) {
        ++lineNumber_;
        if (line.empty()) return true;
        // A section that is not closed ends with its block.
        if (state_ == State::ProjectSection && (StartsWith(line, "Project(") || line == "EndProject")) {
            state_ = State::Project;
        }
        if (state_ == State::GlobalSection && line == "EndGlobal") state_ = State::Global;
        switch (state_) {
        case State::Header:
            return Header(line);
        case State::Top:
            Top(line);
            break;
        case State::Project:
            Project(line);
            break;
        case State::ProjectSection:
            ProjectSection(line);
            break;
        case State::Global:
            Global(line);
            break;
        case State::GlobalSection:
            GlobalSection(line);
            break;
        }
        return true;
    }

    // What the end of the file leaves open; false when the file was empty.
    bool End() {
        switch (state_) {
        case State::Header:
            context_.Report(path_, 0, "not a solution file: it is empty");
            return false;
        case State::Project:
        case State::ProjectSection:
            if (!projectCut_) {
                context_.Report(path_, solution_.projects.back().line,
                                "the file ends inside project '" + ToUtf8(solution_.projects.back().name) +
                                    "'; it is listed without items");
            }
            break;
        case State::Global:
        case State::GlobalSection:
            context_.Report(path_, globalLine_, "the file ends inside the Global section");
            break;
        case State::Top:
            break;
        }
        return true;
    }

private:
    enum class State { Header, Top, Project, ProjectSection, Global, GlobalSection };

    bool Header(std::string_view line) {
        if (!StartsWith(line, HeaderLine)) {
            context_.Report(path_, lineNumber_,
                            "not a solution file: it does not begin with \"" +
                                std::string(HeaderLine.substr(0, HeaderLine.find(','))) + "\"");
            return false;
        }
        const std::string_view version = line.substr(HeaderLine.size());
        if (std::find(std::begin(KnownVersions), std::end(KnownVersions), version) == std::end(KnownVersions)) {
            context_.Report(path_, lineNumber_,
                            "format version " + std::string(version) + " is not known; read as 9.00");
        }
        state_ = State::Top;
        return true;
    }

    void Top(std::string_view line) {
        if (StartsWith(line, "Project(")) {
            StartProject(line);
        } else if (line == "Global") {
            state_ = State::Global, globalLine_ = lineNumber_;
        }
    }

    void Project(std::string_view line) {
        if (StartsWith(line, "Project(")) {
            if (!projectCut_) {
                context_.Report(path_, solution_.projects.back().line,
                                "project '" + ToUtf8(solution_.projects.back().name) +
                                    "' has no EndProject; it is listed without items");
            }
            StartProject(line);
        } else if (line == "EndProject") {
            solution_.projects.back().complete = !projectCut_;
            state_ = State::Top;
        } else if (StartsWith(line, "ProjectSection(")) {
            solutionItems_ = SectionName(line, "ProjectSection(") == "SolutionItems";
            state_ = State::ProjectSection;
        }
    }

    void ProjectSection(std::string_view line) {
        std::u16string item, same;
        if (line == "EndProjectSection") {
            state_ = State::Project;
        } else if (solutionItems_ && SplitAssignment(line, item, same)) {
            solution_.projects.back().solutionItems.push_back(std::move(item));
        }
    }

    void Global(std::string_view line) {
        if (line == "EndGlobal") {
            state_ = State::Top;
        } else if (StartsWith(line, "GlobalSection(")) {
            nestedProjects_ = SectionName(line, "GlobalSection(") == "NestedProjects";
            state_ = State::GlobalSection;
        }
    }

    void GlobalSection(std::string_view line) {
        Nesting nesting{{}, {}, lineNumber_};
        if (line == "EndGlobalSection") {
            state_ = State::Global;
        } else if (nestedProjects_ && SplitAssignment(line, nesting.child, nesting.parent)) {
            solution_.nesting.push_back(std::move(nesting));
        }
    }

    // A project is complete once its EndProject comes.
    void StartProject(std::string_view line) {
        solution_.projects.push_back(ParseProjectLine(context_, path_, line.substr(8), lineNumber_));
        projectCut_ = !solution_.projects.back().complete;
        solution_.projects.back().complete = false;
        state_ = State::Project;
    }

    LoadContext& context_;
    const std::u16string& path_;
    SolutionFile& solution_;
    State state_ = State::Header;
    bool solutionItems_ = false, nestedProjects_ = false;
    bool projectCut_ = false;  // the open project's Project line was already reported
    std::size_t lineNumber_ = 0, globalLine_ = 0;
};

}  // namespace

bool ParseSolutionFile(LoadContext& context, const std::u16string& path, std::string_view text,
                       SolutionFile& solution) {
    SolutionParser parser(context, path, solution);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (!parser.Line(TrimXmlSpace(text.substr(start, end - start)))) return false;
        start = end + 1;
    }
    return parser.End();
}

}  // namespace sprig::loader
