// Fills a catalogue by hand, the way the solution walk would.
#pragma once

#include <string_view>

#include "catalogue/Catalogue.h"

namespace sprig::testing {

class CatalogueBuilder {
public:
    explicit CatalogueBuilder(Catalogue& catalogue) : catalogue_(catalogue) {}

    // A new project entry; its string is the identity that files refer to.
    const char16_t* Project(std::u16string_view name) {
        catalogue_.ProjectList.push_back(CopyText(name));
        return catalogue_.ProjectList.back().get();
    }

    const char16_t* Path(std::u16string_view path) {
        catalogue_.ProjectPathPool.push_back(CopyText(path));
        return catalogue_.ProjectPathPool.back().get();
    }

    const FileEntry& File(std::u16string_view path, const char16_t* project, const char16_t* projectPath) {
        return AddFile(catalogue_, path, project, projectPath);
    }

private:
    Catalogue& catalogue_;
};

}  // namespace sprig::testing
