// Realistic synthetic catalogues for the benchmarks: several projects, deep folders, repeated
// file names, mixed extensions. The same seed always gives the same catalogue.
#pragma once

#include <random>
#include <string>

#include "catalogue/Catalogue.h"

namespace sprig::bench {

inline void FillSyntheticCatalogue(Catalogue& catalogue, std::size_t files, unsigned seed = 7) {
    static const char16_t* const words[] = {u"core",    u"util",   u"render", u"audio",  u"net",    u"io",
                                            u"parser",  u"widget", u"main",   u"config", u"string", u"memory",
                                            u"thread",  u"file",   u"image",  u"font",   u"shader", u"input",
                                            u"physics", u"script", u"test",   u"mock",   u"engine", u"scene"};
    static const char16_t* const extensions[] = {u".cpp", u".h",  u".cpp", u".h",   u".cs",
                                                 u".inl", u".rc", u".txt", u".hpp", u".c"};
    constexpr std::size_t wordCount = sizeof(words) / sizeof(words[0]);
    constexpr std::size_t extensionCount = sizeof(extensions) / sizeof(extensions[0]);
    constexpr std::size_t projects = 50;
    constexpr std::size_t filesPerFolder = 40;

    std::mt19937 random(seed);
    const auto word = [&] { return std::u16string(words[random() % wordCount]); };

    std::size_t made = 0;
    for (std::size_t p = 0; made < files; ++p) {
        const std::u16string projectName = word() + u"_" + word() + std::u16string(1, u'A' + p % projects % 26);
        catalogue.ProjectList.push_back(CopyText(projectName));
        const char16_t* project = catalogue.ProjectList.back().get();
        const std::u16string root = u"C:\\work\\product\\" + projectName;
        const std::size_t inProject = files / projects + 1;
        for (std::size_t f = 0; f < inProject && made < files;) {
            // A folder 1 to 6 levels deep, holding up to filesPerFolder files.
            std::u16string folder, levelPath = projectName;
            for (std::size_t depth = 1 + random() % 6; depth > 0; --depth) {
                const std::u16string name = word();
                folder += u"\\" + name;
                levelPath += u"\\" + name;
            }
            catalogue.ProjectPathPool.push_back(CopyText(levelPath));
            const char16_t* projectPath = catalogue.ProjectPathPool.back().get();
            for (std::size_t k = 0; k < filesPerFolder && f < inProject && made < files; ++k, ++f, ++made) {
                const std::u16string name = word() + word() + extensions[random() % extensionCount];
                AddFile(catalogue, root + folder + u"\\" + name, project, projectPath);
            }
        }
    }
}

}  // namespace sprig::bench
