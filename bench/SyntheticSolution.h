// A large synthetic solution for timing the walk: 50 projects, a few of them nested in a solution
// folder, files in folders 1 to 4 levels deep, 40 files to a folder. The same seed always gives
// the same solution.
#pragma once

#include <random>
#include <string>

#include "solution/model/SolutionModel.h"

namespace sprig::bench {

inline void FillSyntheticSolution(model::SolutionModel& model, std::size_t files, unsigned seed = 7) {
    static const char16_t* const words[] = {u"core",   u"util",   u"render", u"audio",  u"net",    u"io",
                                            u"parser", u"widget", u"main",   u"config", u"string", u"memory"};
    constexpr std::size_t wordCount = sizeof(words) / sizeof(words[0]);
    constexpr std::size_t projects = 50, nested = 5, filesPerFolder = 40;
    constexpr char16_t cppKind[] = u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";

    std::mt19937 random(seed);
    const auto word = [&] { return std::u16string(words[random() % wordCount]); };
    model::Project& libraries = model.AddProject(u"Libraries", model::SolutionFolderKind);

    std::size_t made = 0;
    for (std::size_t p = 0; p < projects; ++p) {
        const std::u16string name = word() + u"_" + std::u16string(1, u'A' + p % 26) + std::u16string(1, u'a' + p / 26);
        model::Project& project = p < nested ? model.NewProject(name, cppKind) : model.AddProject(name, cppKind);
        if (p < nested) model.AddSubProject(*libraries.items, project);
        const std::size_t inProject = files / projects + (p < files % projects);
        for (std::size_t f = 0; f < inProject;) {
            std::u16string directory = u"C:\\work\\" + name;
            model::ItemCollection* folder = project.items;
            for (std::size_t depth = 1 + random() % 4; depth > 0; --depth) {
                const std::u16string folderName = word();
                directory += u"\\" + folderName;
                folder = model.AddFolder(*folder, folderName, model::VirtualFolderKind).children;
            }
            for (std::size_t k = 0; k < filesPerFolder && f < inProject; ++k, ++f, ++made) {
                const std::u16string file = word() + std::u16string(1, u'0' + made % 10) + u".cpp";
                model.AddFile(*folder, file, directory + u"\\" + file);
            }
        }
    }
}

}  // namespace sprig::bench
