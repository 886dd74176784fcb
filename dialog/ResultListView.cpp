#include "dialog/ResultListView.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog/core/ResultTitle.h"
#include "dialog/core/TextCut.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"
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

// The colours of the row: the list's selection colours when it is selected, whether or not the
// list has the focus, so that the row Enter opens stands out while the filter box has it; else
// the colours the notification offers, where "default" means the window's.
void CellColours(const NMLVCUSTOMDRAW& draw, COLORREF& back, COLORREF& text) {
    HWND list = draw.nmcd.hdr.hwndFrom;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    if (ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED) {
        back = GetSysColor(COLOR_HIGHLIGHT);
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        return;
    }
    back = draw.clrTextBk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : draw.clrTextBk;
    text = draw.clrText == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : draw.clrText;
}

// Calls `run`(start, end, bold) for the stretches of units [from, to) in order, those inside
// `ranges` bold.
template <class Run>
void ForEachRun(const std::vector<TextRange>& ranges, std::size_t from, std::size_t to, Run run) {
    std::size_t at = from;
    for (const TextRange& range : ranges) {
        if (at >= to) return;
        if (range.end <= at) continue;
        if (range.start > at) run(at, std::min<std::size_t>(range.start, to), false);
        at = std::min<std::size_t>(std::max<std::size_t>(range.start, at), to);
        if (range.end > at) run(at, std::min<std::size_t>(range.end, to), true);
        at = std::min<std::size_t>(range.end, to);
    }
    if (at < to) run(at, to, false);
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

void ShowSortOrder(HWND list, const SortOrder& order) {
    HWND header = ListView_GetHeader(list);
    if (!header) return;
    for (int column = 0; column < ColumnCount; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!Header_GetItem(header, column, &item)) continue;
        // Headers older than version 6 of the common controls draw no arrow and ignore the flags.
        const int arrow = column != order.keys[0] ? 0 : order.descending ? HDF_SORTDOWN : HDF_SORTUP;
        const int format = (item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) | arrow;
        if (format == item.fmt) continue;
        item.fmt = format;
        Header_SetItem(header, column, &item);
    }
}

void ShowResultList(HWND dialog, HWND list, const Catalogue& catalogue, std::ptrdiff_t row) {
    ShowSortOrder(list, ProcessSortOrder);
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
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int column = draw.iSubItem;
        if (column < 0 || column >= ColumnCount || draw.nmcd.dwItemSpec >= rows.size()) return CDRF_DODEFAULT;
        const char16_t* text = ColumnText(*rows[draw.nmcd.dwItemSpec].file, column);
        // Every cell is drawn here, for its selection colours and its cut; the text that the
        // terms matched in its column, if any, in bold.
        ranges_.clear();
        if (HasPositiveTerm(filter.terms, column)) MatchRanges(text, column, filter, ranges_);
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
    ForEachRun(ranges_, 0, length, [&](std::size_t start, std::size_t end, bool strong) {
        SelectObject(dc, strong ? bold : font);
        SIZE size{};
        GetTextExtentExPointW(dc, Wide(text + start), static_cast<int>(end - start), 0, nullptr, &edges_[start], &size);
        for (std::size_t i = start; i < end; ++i) edges_[i] += width;
        width += size.cx;
    });

    // Too wide: the middle of a path goes, a name keeps its extension (TextCut.h).
    SelectObject(dc, font);
    SIZE dots{};
    GetTextExtentPoint32W(dc, L"...", 3, &dots);
    const TextCut cut = CutText(text, edges_.data(), length, dots.cx, room, KeptTail(text, length, draw.iSubItem));

    // Each unit goes exactly where it was measured, so that the runs meet without a gap or an
    // overlap even where a font draws with other advances than it reports. The line is centred
    // as the list centres its own, and the bold runs share the plain text's baseline.
    for (std::size_t i = length; i-- > 1;) edges_[i] -= edges_[i - 1];
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int baseline = area.top + (area.bottom - area.top) / 2 - metrics.tmHeight / 2 + metrics.tmAscent;
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    int x = area.left;
    const auto drawRun = [&](std::size_t start, std::size_t end, bool strong) {
        SelectObject(dc, strong ? bold : font);
        ExtTextOutW(dc, x, baseline, ETO_CLIPPED, &area, Wide(text + start), static_cast<UINT>(end - start),
                    &edges_[start]);
        for (std::size_t i = start; i < end; ++i) x += edges_[i];
    };
    ForEachRun(ranges_, 0, cut.head, drawRun);
    if (cut.head < length) {
        SelectObject(dc, font);
        ExtTextOutW(dc, x, baseline, ETO_CLIPPED, &area, L"...", 3, nullptr);
        x += dots.cx;
        ForEachRun(ranges_, cut.tail, length, drawRun);
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
