#include "host/app/DocumentViews.h"

#include "solution/loader/DiskFiles.h"
#include "solution/loader/TextDecoding.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

constexpr wchar_t ViewClass[] = L"SprigStandInDocument";
constexpr char16_t CodeKind[] = u"{7651A701-06E5-11D1-8EBD-00A0C90F26EA}";
constexpr char16_t PrimaryKind[] = u"{00000000-0000-0000-0000-000000000000}";

bool SameKind(const std::u16string& a, const char16_t* b) { return lstrcmpiW(Wide(a), Wide(b)) == 0; }

// The file's text for an edit control: decoded as the loader decodes text files, lines ended by
// CR LF; or why it could not be read.
std::wstring FileText(const std::u16string& file) {
    loader::DiskFiles files;
    std::string bytes, reason;
    if (files.Read(file, bytes, reason) != loader::ReadResult::Read)
        return L"(cannot read this file: " + std::wstring(reason.begin(), reason.end()) + L')';
    const std::string utf8 = loader::DecodeSolutionText(bytes);
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring decoded(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), decoded.data(), size);
    std::wstring text;
    text.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == L'\n' && (i == 0 || decoded[i - 1] != L'\r')) text += L'\r';
        text += decoded[i];
    }
    return text;
}

void ShowLine(HWND edit, std::int32_t line) {
    const auto lines = static_cast<std::int32_t>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    const std::int32_t index = (line < lines ? line : lines) - 1;
    const LRESULT start = SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(start), start);
    SendMessageW(edit, EM_LINESCROLL, 0, index - SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
}

LRESULT CALLBACK ViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                        ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                    0, 0, 0, 0, window, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
        break;
    }
    case WM_SIZE:
        MoveWindow(GetDlgItem(window, 1), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        break;
    default:
        break;
    }
    return DefMDIChildProcW(window, message, wParam, lParam);
}

}  // namespace

std::wstring ViewKindName(const std::u16string& viewKind) {
    if (SameKind(viewKind, CodeKind)) return L"Code";
    if (SameKind(viewKind, PrimaryKind)) return L"Primary";
    return {viewKind.begin(), viewKind.end()};
}

bool DocumentViews::Create(HWND frame, HMENU windowMenu) {
    WNDCLASSW type{};
    type.lpfnWndProc = ViewProcedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = ViewClass;
    RegisterClassW(&type);
    CLIENTCREATESTRUCT client{windowMenu, 5000};
    RECT area;
    GetClientRect(frame, &area);
    client_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                              WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, area.right,
                              area.bottom, frame, nullptr, type.hInstance, &client);
    return client_ != nullptr;
}

std::wstring DocumentViews::Open(const std::u16string& file, const std::u16string& viewKind, std::int32_t line) {
    const std::wstring title = std::wstring(file.begin(), file.end()) + L" [" + ViewKindName(viewKind) + L']';
    MDICREATESTRUCTW create{ViewClass,
                            title.c_str(),
                            GetModuleHandleW(nullptr),
                            CW_USEDEFAULT,
                            CW_USEDEFAULT,
                            CW_USEDEFAULT,
                            CW_USEDEFAULT,
                            0,
                            0};
    HWND view = reinterpret_cast<HWND>(SendMessageW(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (view) {
        SetWindowTextW(GetDlgItem(view, 1), FileText(file).c_str());
        if (line > 0) ShowLine(GetDlgItem(view, 1), line);
    }
    return title;
}

}  // namespace sprig::host
