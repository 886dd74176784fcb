#include "dialog/ResultListView.h"

#include <commctrl.h>

#include "filter/ResultList.h"

namespace sprig {

void SelectAndCenterRow(HWND list, std::ptrdiff_t row) {
    if (!list) return;
    // The selected rows are unselected one by one first: a list view may walk every row to clear
    // them all at once (Wine's does), which at a hundred thousand rows costs more than the refresh.
    for (int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED); selected != -1;
         selected = ListView_GetNextItem(list, selected, LVNI_SELECTED)) {
        ListView_SetItemState(list, selected, 0, LVIS_SELECTED);
    }
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    if (row < 0) {
        ListView_Scroll(list, 0, 0);
        return;
    }
    const int index = static_cast<int>(row);
    ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    RECT bounds{};
    if (!ListView_GetItemRect(list, index, &bounds, LVIR_BOUNDS)) return;
    RECT client{};
    if (GetClientRect(list, &client)) bounds.top -= (client.bottom - client.top) / 2;
    // The list scrolls by whole rows, so the row lands near the middle, not exactly on it.
    ListView_Scroll(list, 0, bounds.top);
}

void ShowResultList(HWND dialog, HWND list, const Catalogue& catalogue, std::ptrdiff_t row) {
    ListView_SetItemCountEx(list, static_cast<int>(catalogue.ResultList.size()), 0);
    SelectAndCenterRow(list, row);
    const TitleText title = ResultTitle(catalogue);
    // wchar_t is 16 bits on Windows: the UTF-16 text passes as it is.
    SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(title.text));
}

}  // namespace sprig
