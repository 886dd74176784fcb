// The steps of a refresh that show the rebuilt result list in the dialog's controls.
#pragma once

#include <windows.h>

#include <cstddef>

#include "catalogue/Catalogue.h"

namespace sprig {

// Clears the selection of every row, then selects and focuses `row` and scrolls it towards the
// middle of the list. A negative row selects nothing. Keyboard focus does not move.
void SelectAndCenterRow(HWND list, std::ptrdiff_t row);

// Shows the ResultList that RebuildResultList left: the owner-data list's row count, the chosen
// row selected and centred, and the counts in the dialog's title.
void ShowResultList(HWND dialog, HWND list, const Catalogue& catalogue, std::ptrdiff_t row);

}  // namespace sprig
