// The steps of a refresh that show the rebuilt result list in the dialog's controls.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "catalogue/Catalogue.h"
#include "filter/MatchRanges.h"
#include "filter/SortOrder.h"
#include "win/Owners.h"

namespace sprig {

// Clears the selection of every row, then selects and focuses `row` and scrolls so that the rows
// above it show too when they fit on the page, else so that it stands near the middle of the
// list. A negative row selects nothing. Keyboard focus does not move.
void SelectAndCenterRow(HWND list, std::ptrdiff_t row);

// Marks the header of the order's first column with the arrow of its direction, and no other.
void ShowSortOrder(HWND list, const SortOrder& order);

// Shows the ResultList that RebuildResultList left: the process's sort order in the header, the
// owner-data list's row count, the chosen row selected and centred, and the counts in the
// dialog's title.
void ShowResultList(HWND dialog, HWND list, const Catalogue& catalogue, std::ptrdiff_t row);

// Draws every cell of the list itself, as the list would draw it (its margin, its line), with three
// differences: a selected row has the focused selection colours even while the filter box has the
// focus; a text too wide for its cell is cut where TextCut.h says (a path in its middle, a name
// before its extension); and the text the filter's terms matched in the cell's column is bold.
// Only the cells being painted are looked at. The grid lines and the focus mark are left to the
// list.
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
