#include "dialog/ResultListView.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog/core/ResultTitle.h"
#include "filter/ResultList.h"
#include "win/WideText.h"

namespace sprig {
namespace {

// The list view leaves this many pixels between a cell's label edge and its text.
constexpr int LabelMargin = 5;

// Restores everything drawing changed in the list's device context.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc_(dc), state_(SaveDC(dc)) {}
    ~SavedDc() { RestoreDC(dc_, state_); }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC dc_;
    int state_;
};

// The colours the list gives the row: its selection colours, which depend on whether the list
// has the focus, or the colours the notification offers, where "default" means the window's.
void CellColours(const NMLVCUSTOMDRAW& draw, COLORREF& back, COLORREF& text) {
    HWND list = draw.nmcd.hdr.hwndFrom;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    if (ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED) {
        if (GetFocus() == list) {
            back = GetSysColor(COLOR_HIGHLIGHT);
            text = GetSysColor(COLOR_HIGHLIGHTTEXT);
            return;
        }
        if (GetWindowLongW(list, GWL_STYLE) & LVS_SHOWSELALWAYS) {
            back = GetSysColor(COLOR_BTNFACE);
            text = GetSysColor(COLOR_BTNTEXT);
            return;
        }
    }
    back = draw.clrTextBk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : draw.clrTextBk;
    text = draw.clrText == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : draw.clrText;
}

// Calls `run`(start, end, bold) for the stretches of units [0, length) in order, those inside
// `ranges` bold.
template <class Run>
void ForEachRun(const std::vector<TextRange>& ranges, std::size_t length, Run run) {
    std::size_t at = 0;
    for (const TextRange& range : ranges) {
        if (at >= length) return;
        if (range.start > at) run(at, std::min<std::size_t>(range.start, length), false);
        at = std::min<std::size_t>(range.start, length);
        if (range.end > at) run(at, std::min<std::size_t>(range.end, length), true);
        at = std::min<std::size_t>(range.end, length);
    }
    if (at < length) run(at, length, false);
}

}  // namespace

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
    // The row with every row above it when they all fit on the page, else the row near the
    // middle; never past the last page.
    const int perPage = std::max(ListView_GetCountPerPage(list), 1);
    int top = index < perPage ? 0 : index - perPage / 2;
    top = std::max(std::min(top, ListView_GetItemCount(list) - perPage), 0);
    RECT bounds{};
    if (!ListView_GetItemRect(list, index, &bounds, LVIR_BOUNDS)) return;
    // The list scrolls by whole rows from wherever it stood, by pixels that it counts in rows.
    ListView_Scroll(list, 0, (top - ListView_GetTopIndex(list)) * (bounds.bottom - bounds.top));
}

void ShowResultList(HWND dialog, HWND list, const Catalogue& catalogue, std::ptrdiff_t row) {
    ListView_SetItemCountEx(list, static_cast<int>(catalogue.ResultList.size()), 0);
    SelectAndCenterRow(list, row);
    const TitleText title = ResultTitle(catalogue);
    // wchar_t is 16 bits on Windows: the UTF-16 text passes as it is.
    SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(title.text));
}

LRESULT MatchHighlighter::OnCustomDraw(NMLVCUSTOMDRAW& draw, const std::vector<ResultRow>& rows,
                                       const ParsedFilter& filter) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        for (int column = 0; column < ColumnCount; ++column) {
            if (HasPositiveTerm(filter.terms, column)) return CDRF_NOTIFYITEMDRAW;
        }
        return CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int column = draw.iSubItem;
        if (column < 0 || column >= ColumnCount || draw.nmcd.dwItemSpec >= rows.size()) return CDRF_DODEFAULT;
        // The whole column is drawn here, matched or not, so that its texts line up.
        if (!HasPositiveTerm(filter.terms, column)) return CDRF_DODEFAULT;
        const char16_t* text = ColumnText(*rows[draw.nmcd.dwItemSpec].file, column);
        MatchRanges(text, column, filter, ranges_);
        return DrawCell(draw, text) ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

bool MatchHighlighter::DrawCell(const NMLVCUSTOMDRAW& draw, const char16_t* text) {
    HWND list = draw.nmcd.hdr.hwndFrom;
    HDC dc = draw.nmcd.hdc;
    RECT cell;
    if (!text ||
        !ListView_GetSubItemRect(list, static_cast<int>(draw.nmcd.dwItemSpec), draw.iSubItem, LVIR_LABEL, &cell)) {
        return false;
    }
    const auto font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    const HFONT bold = BoldOf(font);
    if (!bold) return false;

    const SavedDc saved(dc);
    COLORREF back, fore;
    CellColours(draw, back, fore);
    SetBkColor(dc, back);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, fore);

    RECT area = cell;
    area.left += LabelMargin;
    // The list keeps the text off the grid line under the row.
    if (ListView_GetExtendedListViewStyle(list) & LVS_EX_GRIDLINES) --area.bottom;
    const int room = area.right - area.left;
    if (room <= 0) return true;

    // Where each unit ends, measured run by run in the run's own font.
    const std::size_t length = TextLength(text);
    edges_.assign(length, 0);
    int width = 0;
    ForEachRun(ranges_, length, [&](std::size_t start, std::size_t end, bool strong) {
        SelectObject(dc, strong ? bold : font);
        SIZE size{};
        GetTextExtentExPointW(dc, Wide(text + start), static_cast<int>(end - start), 0, nullptr, &edges_[start], &size);
        for (std::size_t i = start; i < end; ++i) edges_[i] += width;
        width += size.cx;
    });

    // Too wide: as many units as leave room for the ellipsis, never half of a surrogate pair.
    std::size_t shown = length;
    if (width > room) {
        SelectObject(dc, font);
        SIZE dots{};
        GetTextExtentPoint32W(dc, L"...", 3, &dots);
        shown = 0;
        while (shown < length && edges_[shown] + dots.cx <= room) ++shown;
        if (shown > 0 && shown < length && IS_LOW_SURROGATE(text[shown])) --shown;
    }

    // Each unit goes exactly where it was measured, so that the runs meet without a gap or an
    // overlap even where a font draws with other advances than it reports. The line is centred
    // as the list centres its own, and the bold runs share the plain text's baseline.
    for (std::size_t i = length; i-- > 1;) edges_[i] -= edges_[i - 1];
    SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int baseline = area.top + (area.bottom - area.top) / 2 - metrics.tmHeight / 2 + metrics.tmAscent;
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    int x = area.left;
    ForEachRun(ranges_, shown, [&](std::size_t start, std::size_t end, bool strong) {
        SelectObject(dc, strong ? bold : font);
        ExtTextOutW(dc, x, baseline, ETO_CLIPPED, &area, Wide(text + start), static_cast<UINT>(end - start),
                    &edges_[start]);
        for (std::size_t i = start; i < end; ++i) x += edges_[i];
    });
    if (shown < length) {
        SelectObject(dc, font);
        ExtTextOutW(dc, x, baseline, ETO_CLIPPED, &area, L"...", 3, nullptr);
    }
    return true;
}

HFONT MatchHighlighter::BoldOf(HFONT font) {
    if (bold_ && boldBase_ == font) return bold_.get();
    bold_.reset();
    boldBase_ = nullptr;
    LOGFONTW face{};
    if (!font || !GetObjectW(font, sizeof(face), &face)) return nullptr;
    face.lfWeight = FW_BOLD;
    bold_.reset(CreateFontIndirectW(&face));
    if (bold_) boldBase_ = font;
    return bold_.get();
}

}  // namespace sprig
