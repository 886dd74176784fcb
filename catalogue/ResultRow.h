// One shown row of the file list.
#pragma once

#include <cstdint>

#include "catalogue/FileEntry.h"

namespace sprig {

struct ResultRow {
    const FileEntry* file;  // an entry of the catalogue's FileList
    std::int32_t position;  // match position; -1 when the filter has no terms
};

}  // namespace sprig
