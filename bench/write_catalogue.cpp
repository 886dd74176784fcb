// Writes a synthetic catalogue in sprig-find's text form, one file per line:
//   write_catalogue FILES [SEED] > catalogue.tsv
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "SyntheticCatalogue.h"
#include "catalogue/Utf8.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: write_catalogue FILES [SEED]\n");
        return 2;
    }
    sprig::Catalogue catalogue;
    sprig::bench::FillSyntheticCatalogue(catalogue, std::strtoul(argv[1], nullptr, 10),
                                         argc == 3 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 7);
    std::unordered_map<const char16_t*, std::size_t> ids;
    for (std::size_t i = 0; i < catalogue.ProjectList.size(); ++i) ids[catalogue.ProjectList[i].get()] = i;

    std::string out;
    for (const sprig::FileEntry& file : catalogue.FileList) {
        out += std::to_string(ids[file.projectName]);
        for (const int column : {sprig::ColumnProjectName, sprig::ColumnProjectPath, sprig::ColumnFilePath}) {
            out += '\t';
            sprig::AppendUtf8(sprig::ColumnText(file, column), out);
        }
        out += '\n';
    }
    return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0 ? 0 : 1;
}
