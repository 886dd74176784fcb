#include "dialog/OpenExplore.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <string_view>

#include "win/Automation.h"
#include "win/Owners.h"
#include "win/WideText.h"
#include "dialog/core/FolderGroups.h"
#include "resources/resource.h"

namespace sprig {

ShellLookup OpenFolderLookup;

namespace {

// The catalogue's entries behind the selected rows, in display order. Rows beyond `rows` (the
// list and the rows out of step) are passed over. The entries stay in place for the dialog's
// life, whatever happens to the rows meanwhile.
std::vector<const FileEntry*> SelectedFiles(HWND list, const std::vector<ResultRow>& rows) {
    std::vector<const FileEntry*> files;
    for (int row = -1; (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) != -1;) {
        if (row >= 0 && static_cast<std::size_t>(row) < rows.size()) files.push_back(rows[row].file);
    }
    return files;
}

// The environment's published view kinds are 8-bit texts, widened through the ANSI code page
// into a path-sized buffer that always ends in a terminator.
Bstr ViewKind(bool code) {
    const char* text = code ? "{7651A701-06E5-11D1-8EBD-00A0C90F26EA}" : "{00000000-0000-0000-0000-000000000000}";
    wchar_t wide[MAX_PATH + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH + 1);
    wide[MAX_PATH] = L'\0';
    return Bstr(wide);
}

// A text window's selection (a TextSelection) goes to the start of `line`, selecting nothing. A
// window without one, or a refused call, stays as it opened; a line past the end of the text is
// the environment's to clamp.
void GoToLine(IDispatch* window, std::int32_t line) {
    const ComPtr<IDispatch> selection = PropertyObject(window, L"Selection");
    if (!selection) return;
    const Variant lineNumber(line), select(false);
    MethodObject(selection.get(), L"GotoLine", {*lineNumber, *select});  // gives nothing back
}

using ItemIdList = TaskMemory<ITEMIDLIST>;

// The absolute item identifier list of `name`, parsed from the desktop; none when the shell
// cannot parse it (a path no longer on disk).
ItemIdList ParseFromDesktop(IShellFolder& desktop, std::u16string_view name) {
    // A writable, terminated copy: the parse takes its text as a non-const string.
    std::wstring text(name.begin(), name.end());
    LPITEMIDLIST parsed = nullptr;
    const HRESULT hr = desktop.ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &parsed, nullptr);
    ItemIdList list(parsed);
    if (FAILED(hr)) list.reset();
    return list;
}

OpenFolderFunction LookUpOpenFolder() {
    if (!OpenFolderLookup.made) {
        OpenFolderLookup.made = true;
        if (const HMODULE shell = GetModuleHandleW(L"shell32.dll")) {
            const FARPROC found = GetProcAddress(shell, "SHOpenFolderAndSelectItems");
            OpenFolderLookup.openFolder = reinterpret_cast<OpenFolderFunction>(reinterpret_cast<void (*)()>(found));
        }
    }
    return OpenFolderLookup.openFolder;
}

}  // namespace

bool OpenSelectedFiles(HWND dialog, const std::vector<ResultRow>& rows, IDispatch* root, std::int32_t line) {
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    if (!list) return false;
    // Checked, or any other state than unchecked: code view.
    Bstr view = ViewKind(IsDlgButtonChecked(dialog, IDC_VIEW_CODE) != BST_UNCHECKED);
    if (!view) return false;
    const Variant viewKind(std::move(view));
    const ComPtr<IDispatch> operations = PropertyObject(root, L"ItemOperations");
    if (!operations) return false;

    const std::vector<const FileEntry*> files = SelectedFiles(list, rows);
    for (const FileEntry* file : files) {
        Bstr name(Wide(file->path.get()));
        if (!name) continue;
        const Variant fileName(std::move(name));
        // A file the environment refuses is passed over; the window it gives is needed only to
        // go to a line.
        const ComPtr<IDispatch> window = MethodObject(operations.get(), L"OpenFile", {*fileName, *viewKind});
        if (line > 0 && window) GoToLine(window.get(), line);
    }
    return !files.empty();
}

void ExploreSelectedFiles(HWND dialog, const std::vector<ResultRow>& rows) {
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    if (!list) return;
    const OpenFolderFunction openFolder = LookUpOpenFolder();
    if (!openFolder) return;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put())) || !desktop) return;

    for (const FolderGroup& group : GroupByFolder(SelectedFiles(list, rows))) {
        // The key's own spelling names the folder for the whole group.
        const ItemIdList folder = ParseFromDesktop(*desktop.get(), FolderPart(*group.key));
        if (!folder) continue;
        std::vector<ItemIdList> items;
        items.reserve(group.members.size());
        for (const FileEntry* member : group.members) {
            // A file that cannot be parsed (deleted meanwhile) is left out of the selection.
            if (ItemIdList item = ParseFromDesktop(*desktop.get(), member->path.get()))
                items.push_back(std::move(item));
        }
        if (items.empty()) continue;
        std::vector<LPCITEMIDLIST> selection;
        selection.reserve(items.size());
        for (const ItemIdList& item : items) selection.push_back(item.get());
        openFolder(folder.get(), static_cast<UINT>(selection.size()), selection.data(), 0);
    }
}

}  // namespace sprig
