#include "solution/loader/SolutionFile.h"

#include <algorithm>

#include "solution/loader/TextDecoding.h"
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

// "left = right": both sides without white space. The environment writes " = "; a bare "=" is
// taken where that is missing. False without either, or with an empty side.
bool SplitAssignment(std::string_view line, std::u16string& left, std::u16string& right) {
    std::size_t equals = line.find(" = "), after = equals + 3;
    if (equals == std::string_view::npos) equals = line.find('='), after = equals + 1;
    if (equals == std::string_view::npos) return false;
    left = Utf16(TrimXmlSpace(line.substr(0, equals)));
    right = Utf16(TrimXmlSpace(line.substr(after)));
    return !left.empty() && !right.empty();
}

// A line as a message quotes it: cut short when it is long.
std::string Quote(std::string_view line) {
    constexpr std::size_t shown = 60;
    if (line.size() <= shown) return "'" + std::string(line) + "'";
    std::size_t cut = shown;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;  // whole characters only
    return "'" + std::string(line.substr(0, cut)) + "...'";
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
    } else if (!TrimXmlSpace(rest).empty()) {
        context.Report(path, line,
                       "the Project line of '" + ToUtf8(entry.name) +
                           "' goes on after its id: " + Quote(TrimXmlSpace(rest)) + " is ignored");
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
        // A section that is not closed ends with its block; a project that is not closed ends
        // where the Global section begins.
        if (state_ == State::ProjectSection &&
            (StartsWith(line, "Project(") || line == "EndProject" || line == "Global")) {
            state_ = State::Project;
        }
        if (state_ == State::Project && line == "Global") {
            ProjectNotEnded();
            state_ = State::Top;
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

    // Outside blocks: comments ("# Visual Studio 2005") and settings ("VisualStudioVersion = ...")
    // carry nothing that is read.
    void Top(std::string_view line) {
        std::u16string name, value;
        if (StartsWith(line, "Project(")) {
            StartProject(line);
        } else if (line == "Global") {
            state_ = State::Global, globalLine_ = lineNumber_;
        } else if (line[0] != '#' && !SplitAssignment(line, name, value)) {
            NotUnderstood(line);
        }
    }

    void Project(std::string_view line) {
        if (StartsWith(line, "Project(")) {
            ProjectNotEnded();
            StartProject(line);
        } else if (line == "EndProject") {
            solution_.projects.back().complete = !projectCut_;
            state_ = State::Top;
        } else if (StartsWith(line, "ProjectSection(")) {
            solutionItems_ = SectionName(line, "ProjectSection(") == "SolutionItems";
            state_ = State::ProjectSection;
        } else {
            NotUnderstood(line);
        }
    }

    // Only a SolutionItems section lists files; the others hold settings that are not read.
    void ProjectSection(std::string_view line) {
        std::u16string item, same;
        if (line == "EndProjectSection") {
            state_ = State::Project;
        } else if (solutionItems_) {
            if (SplitAssignment(line, item, same)) {
                solution_.projects.back().solutionItems.push_back(std::move(item));
            } else {
                NotUnderstood(line);
            }
        }
    }

    void Global(std::string_view line) {
        if (line == "EndGlobal") {
            state_ = State::Top;
        } else if (StartsWith(line, "GlobalSection(")) {
            nestedProjects_ = SectionName(line, "GlobalSection(") == "NestedProjects";
            state_ = State::GlobalSection;
        } else {
            NotUnderstood(line);
        }
    }

    // Only the NestedProjects section is read; the others hold settings.
    void GlobalSection(std::string_view line) {
        Nesting nesting{{}, {}, lineNumber_};
        if (line == "EndGlobalSection") {
            state_ = State::Global;
        } else if (nestedProjects_) {
            if (SplitAssignment(line, nesting.child, nesting.parent)) {
                solution_.nesting.push_back(std::move(nesting));
            } else {
                NotUnderstood(line);
            }
        }
    }

    void NotUnderstood(std::string_view line) {
        context_.Report(path_, lineNumber_, "the line " + Quote(line) + " is not understood here; it is ignored");
    }

    // The open project is left without its EndProject.
    void ProjectNotEnded() {
        if (projectCut_) return;  // its Project line was already reported
        context_.Report(
            path_, solution_.projects.back().line,
            "project '" + ToUtf8(solution_.projects.back().name) + "' has no EndProject; it is listed without items");
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
        const std::size_t end = LineEnd(text, start);
        if (!parser.Line(TrimXmlSpace(text.substr(start, end - start)))) return false;
        start = NextLineStart(text, end);
    }
    return parser.End();
}

}  // namespace sprig::loader
