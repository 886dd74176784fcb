// The steps of a refresh that show the rebuilt result list in the dialog's controls.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "catalogue/Catalogue.h"
#include "filter/MatchRanges.h"
#include "win/Owners.h"

namespace sprig {

// Clears the selection of every row, then selects and focuses `row` and scrolls so that the rows
// above it show too when they fit on the page, else so that it stands near the middle of the
// list. A negative row selects nothing. Keyboard focus does not move.
void SelectAndCenterRow(HWND list, std::ptrdiff_t row);

// Shows the ResultList that RebuildResultList left: the owner-data list's row count, the chosen
// row selected and centred, and the counts in the dialog's title.
void ShowResultList(HWND dialog, HWND list, const Catalogue& catalogue, std::ptrdiff_t row);

// Draws the cells of every column that a positive filter term tests, with the text the terms
// matched there in bold. Only the cells being painted are looked at, and each is drawn as the
// list would draw it: its selection colours, its margin and its cut with an ellipsis. The other
// columns, the grid lines and the focus mark are left to the list.
class MatchHighlighter {
public:
    // The answer to the list's NM_CUSTOMDRAW, where row r of the list shows rows[r] and `filter`
    // holds the terms the rows were chosen by.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw, const std::vector<ResultRow>& rows, const ParsedFilter& filter);

private:
    bool DrawCell(const NMLVCUSTOMDRAW& draw, const char16_t* text);
    HFONT BoldOf(HFONT font);

    Font bold_;
    HFONT boldBase_ = nullptr;  // the font that bold_ was made from
    std::vector<TextRange> ranges_;
    std::vector<int> edges_;  // where each unit of the text ends, then how far each advances
};

}  // namespace sprig
