#include "dialog/Sprig.h"

#include <string>
#include <utility>

#include "catalogue/SolutionWalker.h"
#include "dialog/OpenExplore.h"
#include "win/WindowText.h"
#include "win/WideText.h"
#include "filter/Query.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"
#include "resources/resource.h"

namespace sprig {

std::vector<std::unique_ptr<SubclassRecord>> SubclassRegistry;

namespace {

// The module that holds this code and its resources: the add-in's DLL, or a program that links
// both in.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// The most threads that test files at once. The files' texts come through one memory, which
// more threads than these would only wait for.
constexpr std::size_t MostThreads = 4;

// Explore shows files through a shell call that Windows XP (5.1) brought.
bool ExploreAvailable() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(&version)) return false;
    return version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

SubclassRecord* FindRecord(HWND window) {
    for (const auto& record : SubclassRegistry) {
        if (record->window == window) return record.get();
    }
    return nullptr;
}

constexpr const wchar_t* ColumnTitles[ColumnCount] = {L"File Name", L"File Path", L"Project Name", L"Project Path"};

}  // namespace

CSprig::CSprig(ComPtr<IDispatch> root, SolutionView& view) : root_(std::move(root)) {
    BuildCatalogue(view, catalogue_);
}

CSprig::~CSprig() { ClearCatalogue(catalogue_); }

INT_PTR CSprig::DoModal(HWND owner) {
    threads_.emplace(ProcessorCount(MostThreads));
    const INT_PTR code = DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(IDD_SPRIG), owner, &CSprig::DialogProc,
                                         reinterpret_cast<LPARAM>(this));
    threads_.reset();
    window_ = nullptr;
    icon_.reset();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return code;
}

INT_PTR CALLBACK CSprig::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    CSprig* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CSprig*>(lParam);
        dialog->window_ = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        // Messages before WM_INITDIALOG find no dialog yet and get default processing.
        dialog = reinterpret_cast<CSprig*>(GetWindowLongPtrW(window, DWLP_USER));
        if (!dialog) return FALSE;
    }
    try {
        return dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Unwinding through the window system's frames would corrupt it: the exception ends the
        // dialog instead and DoModal passes it on. The first one is the cause; later ones follow.
        if (!dialog->failure_) dialog->failure_ = std::current_exception();
        EndDialog(window, -1);
        return FALSE;
    }
}

INT_PTR CSprig::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return Answer(0);
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    default:
        return FALSE;
    }
}

INT_PTR CSprig::OnCommand(int control, int code) {
    switch (control) {
    case IDOK:      // also Enter: Open is the default button
    case IDCANCEL:  // also Escape and the close box
    case IDC_EXPLORE:
        if (code != BN_CLICKED) return FALSE;
        // Open ends the dialog whether or not anything opened. Each button ends it with its own
        // identifier.
        if (control == IDOK) OpenSelectedFiles(window_, catalogue_.ResultList, root_.get(), shownLine_);
        if (control == IDC_EXPLORE) ExploreSelectedFiles(window_, catalogue_.ResultList);
        EndDialog(window_, control);
        return Answer(0);
    case IDC_FILTER_EDIT:
    case IDC_PROJECT_BOX:
        if (code != (control == IDC_FILTER_EDIT ? EN_CHANGE : CBN_SELCHANGE)) return FALSE;
        if (!Initializing && !settings_.Applying) RefreshResults();
        return Answer(0);
    default:
        return FALSE;
    }
}

INT_PTR CSprig::Answer(LRESULT result) {
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CSprig::OnNotify(NMHDR& header) {
    if (header.idFrom == IDC_FILE_LIST) {
        switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
            if (info.item.mask & LVIF_TEXT) OnListGetDispInfo(info);
            return Answer(0);
        }
        case LVN_GETINFOTIPW: {
            auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
            if (tip.cchTextMax >= 1) OnListGetInfoTip(tip);
            return Answer(0);
        }
        case NM_CUSTOMDRAW:
            return Answer(highlighter_.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header), catalogue_.ResultList,
                                                    shownFilter_));
        case LVN_COLUMNCLICK:
            OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
            return Answer(0);
        case LVN_ODFINDITEMW:
            // Letters typed in the list find nothing, so the selection stays. Left to default
            // processing the answer would be 0, and the list would jump to its first row.
            return Answer(-1);
        case NM_DBLCLK:
            // With no row selected, or nothing to open the files with, the dialog stays open.
            if (OpenSelectedFiles(window_, catalogue_.ResultList, root_.get(), shownLine_)) EndDialog(window_, 0);
            return Answer(0);
        }
    }
    return FALSE;
}

INT_PTR CSprig::OnInitDialog() {
    // The window system has made the window and its controls from the template.
    LoadDialogIcon();
    if (icon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));

    if (HWND list = GetDlgItem(window_, IDC_FILE_LIST)) {
        constexpr DWORD styles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP;
        ListView_SetExtendedListViewStyleEx(list, styles, styles);
        for (int c = 0; c < ColumnCount; ++c) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = const_cast<wchar_t*>(ColumnTitles[c]);
            column.cx = DefaultColumnWidths[c];
            ListView_InsertColumn(list, c, &column);
        }
    }

    RECT client;
    if (GetClientRect(window_, &client)) {
        ReferenceClientSize.width = static_cast<std::uint16_t>(client.right - client.left);
        ReferenceClientSize.height = static_cast<std::uint16_t>(client.bottom - client.top);
    }

    if (HWND edit = GetDlgItem(window_, IDC_FILTER_EDIT)) {
        SetFocus(edit);
        HookFilterEdit(edit);
    }

    if (!ExploreAvailable()) {
        if (HWND explore = GetDlgItem(window_, IDC_EXPLORE)) ShowWindow(explore, SW_HIDE);
    }

    for (std::size_t i = 0; i < std::size(AnchorTable); ++i) {
        LayoutAnchor& anchor = anchors_[i];
        anchor.control = GetDlgItem(window_, AnchorTable[i].control);
        anchor.flags = AnchorTable[i].flags;
        RECT bounds;
        if (!anchor.control || !GetWindowRect(anchor.control, &bounds)) continue;
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&bounds), 2);
        anchor.reference = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    }

    FillProjectBox();
    // What the dialog shows now stands for every setting that was never stored.
    settings_.CaptureFromDialog(window_, catalogue_, ReferenceClientSize);
    settings_.LoadFromRegistry();
    settings_.ApplyToDialog(window_, catalogue_);
    RefreshResults();
    Initializing = false;
    // FALSE: the window system leaves the focus in the filter edit.
    return FALSE;
}

void CSprig::HookFilterEdit(HWND edit) {
    // Room for the record first, so that nothing can fail between hooking and recording.
    SubclassRegistry.reserve(SubclassRegistry.size() + 1);
    auto record = std::make_unique<SubclassRecord>(SubclassRecord{this, edit, nullptr});
    record->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSprig::FilterEditProc)));
    if (record->previous) SubclassRegistry.push_back(std::move(record));
}

void CSprig::OnDestroy() {
    if (HWND edit = GetDlgItem(window_, IDC_FILTER_EDIT)) {
        if (const SubclassRecord* record = FindRecord(edit)) {
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->previous));
        }
    }
    for (auto it = SubclassRegistry.begin(); it != SubclassRegistry.end(); ++it) {
        if ((*it)->dialog == this) {
            SubclassRegistry.erase(it);
            break;
        }
    }
    // The controls still exist: the window system destroys them after their dialog.
    settings_.CaptureFromDialog(window_, catalogue_, ReferenceClientSize);
    settings_.SaveToRegistry();
}

LRESULT CALLBACK CSprig::FilterEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const SubclassRecord* record = FindRecord(window);
    if (!record) return 0;
    if (message == WM_KEYDOWN && (wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_UP || wParam == VK_DOWN)) {
        SendMessageW(GetDlgItem(record->dialog->window_, IDC_FILE_LIST), WM_KEYDOWN, wParam, lParam);
        return 0;
    }
    return CallWindowProcW(record->previous, window, message, wParam, lParam);
}

void CSprig::OnSize(int width, int height) {
    for (const LayoutAnchor& anchor : anchors_) {
        if (!anchor.control) continue;
        const LayoutRect r = AnchoredRect(anchor.reference, anchor.flags, ReferenceClientSize, width, height);
        MoveWindow(anchor.control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void CSprig::LoadDialogIcon() {
    const HMODULE module = ThisModule();
    const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_SPRIG), RT_GROUP_ICON);
    const HGLOBAL groupData = group ? LoadResource(module, group) : nullptr;
    auto* directory = static_cast<BYTE*>(groupData ? LockResource(groupData) : nullptr);
    if (!directory) return;
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR);
    const HRSRC image = id ? FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON) : nullptr;
    const HGLOBAL imageData = image ? LoadResource(module, image) : nullptr;
    auto* bits = static_cast<BYTE*>(imageData ? LockResource(imageData) : nullptr);
    if (!bits) return;
    icon_.reset(
        CreateIconFromResourceEx(bits, SizeofResource(module, image), TRUE, 0x00030000, 32, 32, LR_DEFAULTCOLOR));
}

void CSprig::FillProjectBox() {
    SortProjectList(catalogue_);
    HWND box = GetDlgItem(window_, IDC_PROJECT_BOX);
    if (!box) return;
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = 0;
    item.pszText = const_cast<wchar_t*>(L"<All Projects>");
    SendMessageW(box, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    // The box holds its own copies of the names. Text-callback items would spare those few
    // bytes, but boxes ask for such texts in ways that differ (without the item's index, without
    // a buffer, or taking the answer for another character set) and one answer cannot suit them all.
    for (std::size_t k = 0; k < catalogue_.ProjectList.size(); ++k) {
        item.iItem = static_cast<INT_PTR>(k + 1);
        item.pszText = const_cast<wchar_t*>(Wide(catalogue_.ProjectList[k].get()));
        SendMessageW(box, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(box, CB_SETCURSEL, 0, 0);
}

void CSprig::RefreshResults() {
    HWND list = GetDlgItem(window_, IDC_FILE_LIST);
    if (!list) return;
    HWND box = GetDlgItem(window_, IDC_PROJECT_BOX);
    const std::ptrdiff_t chosen = box ? SendMessageW(box, CB_GETCURSEL, 0, 0) : CB_ERR;
    const std::u16string query = WindowText(GetDlgItem(window_, IDC_FILTER_EDIT));
    shownLine_ = ParseQuery(query, shownFilter_);
    const std::ptrdiff_t row =
        RebuildResultList(catalogue_, shownFilter_, chosen, ProcessSortOrder, threads_ ? &*threads_ : nullptr);
    ShowResultList(window_, list, catalogue_, row);
}

void CSprig::OnColumnClick(int column) {
    ApplyColumnClick(ProcessSortOrder, column);
    RefreshResults();
}

const FileEntry* CSprig::RowFile(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= catalogue_.ResultList.size()) return nullptr;
    return catalogue_.ResultList[static_cast<std::size_t>(row)].file;
}

void CSprig::OnListGetDispInfo(NMLVDISPINFOW& info) const {
    const FileEntry* file = RowFile(info.item.iItem);
    // A row or column outside the data shows no text.
    CopyTextCut(file ? ColumnText(*file, info.item.iSubItem) : nullptr, Units(info.item.pszText), info.item.cchTextMax);
}

void CSprig::OnListGetInfoTip(NMLVGETINFOTIPW& tip) const {
    const FileEntry* file = RowFile(tip.iItem);
    if (!file) return;
    // A file name's tip is the full path, a project name's the project path; the other columns
    // keep the tip the list view filled in, the cell's own text.
    if (tip.iSubItem == ColumnFileName) CopyTextCut(file->path, Units(tip.pszText), tip.cchTextMax);
    if (tip.iSubItem == ColumnProjectName) CopyTextCut(file->projectPath, Units(tip.pszText), tip.cchTextMax);
}

}  // namespace sprig
