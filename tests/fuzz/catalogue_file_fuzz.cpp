// Reads arbitrary bytes as a text catalogue. Well-formed UTF-8 must come back byte for byte, and
// a catalogue that loads must keep its invariants and survive a refresh.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CatalogueFile.h"
#include "catalogue/Utf8.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::u16string text;
    if (sprig::AppendUtf16(bytes, text)) {
        std::string back;
        sprig::AppendUtf8(text, back);
        if (back != bytes) std::abort();
    }

    sprig::Catalogue catalogue;
    std::string error;
    if (!sprig::LoadCatalogue(bytes, catalogue, error)) {
        if (error.compare(0, 5, "line ") != 0) std::abort();
        return 0;
    }
    for (const sprig::FileEntry& file : catalogue.FileList) {
        bool known = false;
        for (const sprig::ProjectEntry& project : catalogue.ProjectList) known |= project.get() == file.projectName;
        if (!known || !file.projectPath || !file.path[0]) std::abort();
    }
    sprig::SortProjectList(catalogue);
    sprig::RebuildResultList(catalogue, u"a", 1, sprig::ProcessSortOrder);
    return 0;
}
