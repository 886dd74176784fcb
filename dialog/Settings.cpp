#include "dialog/Settings.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "win/KeyOwner.h"
#include "win/WideText.h"
#include "win/WindowText.h"
#include "filter/ResultList.h"
#include "resources/resource.h"

namespace sprig {
namespace {

// The settings key is opened whole for reading; for writing, its parent must already exist.
constexpr wchar_t SettingsKey[] = L"Software\\Tarn's Tools\\Sprig!";
constexpr wchar_t ParentKey[] = L"Software";
constexpr wchar_t KeyUnderParent[] = L"Tarn's Tools\\Sprig!";

using Key = KeyOwner;

// Value `id` as stored, read into no more room than a number's field, or than the size the
// registry gave for a string just before. A value that is missing, or that has grown past that
// room in between, is read as missing.
std::optional<std::vector<std::uint8_t>> ReadStoredValue(HKEY key, std::size_t id) {
    const wchar_t* name = Wide(StoredValues[id].name);
    DWORD room = static_cast<DWORD>(StoredValues[id].size);
    if (room == 0 && RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &room) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(room);
    DWORD size = room;
    if (RegQueryValueExW(key, name, nullptr, nullptr, bytes.data(), &size) != ERROR_SUCCESS || size > room) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

LayoutRect AsLayoutRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<LayoutRect>*>(areas)->push_back(AsLayoutRect(info.rcWork));
    return TRUE;
}

// The work area of every monitor: the screen less the taskbar and other docked bars.
std::vector<LayoutRect> WorkAreas() {
    std::vector<LayoutRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

// The work area of the monitor that the window is on, or nearest to.
LayoutRect HomeWorkArea(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return {};
    return AsLayoutRect(info.rcWork);
}

}  // namespace

void DialogSettings::CaptureFromDialog(HWND window, const Catalogue& catalogue, ClientSize reference) {
    const MaxTrackSize max{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    RECT bounds;
    if (GetWindowRect(window, &bounds)) {
        const WindowPlacement placement =
            ClampPlacement({bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top}, max,
                           reference.width, reference.height);
        Location = {placement.left, placement.top};
        Size = {placement.width, placement.height};
    }
    if (HWND list = GetDlgItem(window, IDC_FILE_LIST)) {
        for (int c = 0; c < ColumnCount; ++c) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH;
            if (ListView_GetColumn(list, c, &column)) ColumnWidth(c) = ClampColumnWidth(column.cx, max);
        }
    }
    Project.reset();
    if (HWND box = GetDlgItem(window, IDC_PROJECT_BOX)) {
        // "<All Projects>", no selection or an item past the list leave it absent.
        if (const char16_t* name = ChosenProject(catalogue, SendMessageW(box, CB_GETCURSEL, 0, 0))) {
            Project = name;
        }
    }
    Filter.reset();
    if (HWND edit = GetDlgItem(window, IDC_FILTER_EDIT)) {
        std::u16string text = WindowText(edit);
        if (!text.empty()) Filter = std::move(text);
    }
    if (HWND check = GetDlgItem(window, IDC_VIEW_CODE)) {
        ViewKind = SendMessageW(check, BM_GETCHECK, 0, 0) != 0 ? 1 : 0;
    }
}

void DialogSettings::LoadFromRegistry() {
    HKEY opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return;
    const Key key(opened);
    for (std::size_t id = 0; id < StoredValueCount; ++id) {
        const auto bytes = ReadStoredValue(key.get(), id);
        DecodeStoredValue(*this, id, bytes ? bytes->data() : nullptr, bytes ? bytes->size() : 0);
    }
}

void DialogSettings::ApplyToDialog(HWND window, const Catalogue& catalogue) {
    Applying = true;
    // Not moved yet, the window has the template's size.
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const TemplateSize dialog{outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom};
    const WindowPlacement placement = RestoredPlacement({Location.left, Location.top, Size.width, Size.height}, dialog,
                                                        WorkAreas(), HomeWorkArea(window));
    // The resize lays the controls out anew from their anchors.
    MoveWindow(window, placement.left, placement.top, placement.width, placement.height, TRUE);
    if (HWND list = GetDlgItem(window, IDC_FILE_LIST)) {
        for (int c = 0; c < ColumnCount; ++c) ListView_SetColumnWidth(list, c, ListColumnWidth(ColumnWidth(c)));
    }
    HWND box = GetDlgItem(window, IDC_PROJECT_BOX);
    if (Project && box) {
        // CB_SETCURSEL sends no CBN_SELCHANGE. A project no longer in the solution selects nothing
        // new.
        const std::ptrdiff_t item = StoredProjectItem(catalogue, *Project);
        if (item > 0) SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
    HWND edit = GetDlgItem(window, IDC_FILTER_EDIT);
    if (Filter && edit) {
        SetWindowTextW(edit, Wide(Filter->c_str()));
        // All of it selected, so that typing replaces it.
        SendMessageW(edit, EM_SETSEL, 0, -1);
    }
    if (HWND check = GetDlgItem(window, IDC_VIEW_CODE)) {
        SendMessageW(check, BM_SETCHECK, ViewKind == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    Applying = false;
}

void DialogSettings::SaveToRegistry() const {
    HKEY opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ParentKey, 0, KEY_WRITE, &opened) != ERROR_SUCCESS) return;
    const Key parent(opened);
    if (RegCreateKeyExW(parent.get(), KeyUnderParent, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const Key key(opened);
    for (std::size_t id = 0; id < StoredValueCount; ++id) {
        const std::vector<std::uint8_t> bytes = EncodeStoredValue(*this, id);
        // A write that fails leaves the others to be tried.
        RegSetValueExW(key.get(), Wide(StoredValues[id].name), 0, static_cast<DWORD>(StoredValues[id].type),
                       bytes.data(), static_cast<DWORD>(bytes.size()));
    }
}

}  // namespace sprig
