// Loading solutions from files held in memory, and the loaded model written out as text so that
// a test can state the whole shape it expects: order, kinds, names, file names and nesting.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/SolutionWalker.h"
#include "solution/loader/SolutionLoader.h"
#include "solution/loader/WindowsPath.h"
#include "solution/model/SolutionModel.h"
#include "support/MemoryFiles.h"
#include "catalogue/Utf8.h"

namespace sprig::testing {

inline std::string KindName(const std::u16string& kind) {
    const std::pair<const char16_t*, const char*> names[] = {
        {PhysicalFileKind, "file"},
        {model::PhysicalFolderKind, "folder"},
        {model::VirtualFolderKind, "filter"},
        {model::SubProjectKind, "sub"},
        {model::SolutionFolderKind, "solution folder"},
        {loader::CppProjectType, "C++"},
        {loader::CSharpProjectType, "C#"},
        {loader::VisualBasicProjectType, "VB"},
        {loader::WebSiteProjectType, "web site"},
    };
    for (const auto& [text, name] : names) {
        if (kind == text) return name;
    }
    return ToUtf8(kind);
}

void AppendProject(const model::Project& project, int depth, std::string& out);

// "[kind] name = file name" (" = ..." only when the item has a file name), then its children and
// its sub-project one level further in.
inline void AppendItems(const model::ItemCollection& items, int depth, std::string& out) {
    for (const auto& entry : items.entries) {
        const model::Item& item = *entry.object;
        out += std::string(2 * depth, ' ') + "[" + KindName(item.kind) + "] " + ToUtf8(item.name);
        const std::u16string fileName = model::FileNameOf(item);
        if (!fileName.empty()) out += " = " + ToUtf8(fileName);
        out += '\n';
        if (item.children) AppendItems(*item.children, depth + 1, out);
        if (item.subProject) AppendProject(*item.subProject, depth + 1, out);
    }
}

// "name (kind)", then its items.
inline void AppendProject(const model::Project& project, int depth, std::string& out) {
    out += std::string(2 * depth, ' ') + ToUtf8(project.name) + " (" + KindName(project.kind) + ")\n";
    if (project.items) AppendItems(*project.items, depth + 1, out);
}

inline std::string ModelText(const model::SolutionModel& model) {
    std::string out;
    for (const auto& entry : model.projects.entries) AppendProject(*entry.object, 0, out);
    return out;
}

// A solution loaded from `files`, with its messages written as DescribeMessage gives them.
struct Loaded {
    bool loaded;
    std::string model;
    std::vector<std::string> messages;
};

inline Loaded Load(MemoryFiles& files, const std::u16string& solution = u"C:\\s\\S.sln") {
    model::SolutionModel model;
    std::vector<loader::LoadMessage> messages;
    Loaded result{loader::LoadSolution(solution, files, model, messages), ModelText(model), {}};
    for (const loader::LoadMessage& message : messages) result.messages.push_back(loader::DescribeMessage(message));
    return result;
}

// The model of a solution that loads without a message.
inline std::string CleanModel(MemoryFiles& files) {
    const Loaded loaded = Load(files);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_EQ(loaded.messages, std::vector<std::string>());
    return loaded.model;
}

// A solution file of the given Project lines (and anything else), in the 2005 format.
inline std::string Solution(const std::string& body) {
    return "\xEF\xBB\xBF\r\nMicrosoft Visual Studio Solution File, Format Version 9.00\r\n# Visual Studio 2005\r\n" +
           body;
}

inline std::string ProjectLine(const std::string& type, const std::string& name, const std::string& path,
                               const std::string& id, const std::string& sections = "") {
    return "Project(\"" + type + "\") = \"" + name + "\", \"" + path + "\", \"" + id + "\"\r\n" + sections +
           "EndProject\r\n";
}

inline const std::string Cpp = "{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";
inline const std::string CSharp = "{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}";
inline const std::string VisualBasic = "{F184B08F-C81C-45F6-A57F-5ABD9991F28F}";
inline const std::string Folder = "{2150E333-8FDC-42A3-9474-1A3956D46DE8}";
inline const std::string WebSite = "{E24C65DC-7377-472B-9ABA-BC803B73C61A}";

}  // namespace sprig::testing
