// The catalogue a walk should leave, written by hand: texts in order, and for each file which
// project entry and which path string it refers to, by identity.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/Catalogue.h"

namespace sprig::testing {

struct ExpectedFile {
    std::u16string path;
    std::size_t project;  // index into ProjectList
    std::size_t level;    // index into ProjectPathPool
};

struct ExpectedCatalogue {
    std::vector<std::u16string> projects;
    std::vector<std::u16string> levels;
    std::vector<ExpectedFile> files;
};

inline std::vector<std::u16string> Texts(const std::vector<OwnedText>& texts) {
    std::vector<std::u16string> copies;
    for (const OwnedText& text : texts) copies.emplace_back(text.get());
    return copies;
}

inline void ExpectCatalogue(const Catalogue& catalogue, const ExpectedCatalogue& expected) {
    EXPECT_EQ(Texts(catalogue.ProjectList), expected.projects);
    EXPECT_EQ(Texts(catalogue.ProjectPathPool), expected.levels);
    ASSERT_EQ(catalogue.FileList.size(), expected.files.size());
    for (std::size_t i = 0; i < expected.files.size(); ++i) {
        const FileEntry& file = catalogue.FileList[i];
        const ExpectedFile& want = expected.files[i];
        SCOPED_TRACE("file " + std::to_string(i));
        EXPECT_EQ(std::u16string(file.path), want.path);
        ASSERT_LT(want.project, catalogue.ProjectList.size());
        ASSERT_LT(want.level, catalogue.ProjectPathPool.size());
        EXPECT_EQ(file.projectName, catalogue.ProjectList[want.project].get());
        EXPECT_EQ(file.projectPath, catalogue.ProjectPathPool[want.level].get());
    }
}

}  // namespace sprig::testing
