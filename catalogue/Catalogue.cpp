#include "catalogue/Catalogue.h"

#include <algorithm>

namespace sprig {

void ClearCatalogue(Catalogue& catalogue) {
    catalogue.ProjectList.clear();
    catalogue.ProjectPathPool.clear();
    catalogue.FileList.clear();
    catalogue.ResultList.clear();
    catalogue.SortedFiles.files.clear();
}

void SortProjectList(Catalogue& catalogue) {
    auto& projects = catalogue.ProjectList;
    if (projects.size() < 2) return;
    std::sort(projects.begin(), projects.end(), [](const ProjectEntry& a, const ProjectEntry& b) {
        return CompareIgnoringAsciiCase(a.get(), b.get()) < 0;
    });
}

}  // namespace sprig
