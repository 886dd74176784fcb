// The dialog's title, which counts the shown rows against the whole solution.
#pragma once

#include <cstddef>

#include "catalogue/Catalogue.h"

namespace sprig {

constexpr std::size_t TitleCapacity = 64;

struct TitleText {
    char16_t text[TitleCapacity];
};

// The dialog title: the bare caption for an empty solution, else the caption with the shown and
// total counts, "Open File(s) in Solution (3 of 340)".
TitleText ResultTitle(const Catalogue& catalogue);

}  // namespace sprig
