// The stand-in environment's document views under Wine: a file opened through them shows its text
// read-only, with lines ended as the edit control wants them, in a child window titled with the
// file and the view kind; one that cannot be read says so.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "host/app/DocumentViews.h"
#include "win/Owners.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

// Writes `bytes` to the file at `path`; false when it cannot.
bool WriteBytes(const wchar_t* path, std::string_view bytes) {
    const HANDLE made = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (made == INVALID_HANDLE_VALUE) return false;
    const Handle file(made);
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

TEST(DocumentViews, NamesTheViewKindsThatTheDialogAsksFor) {
    EXPECT_EQ(ViewKindName(u"{7651a701-06e5-11d1-8ebd-00a0c90f26ea}"), L"Code");
    EXPECT_EQ(ViewKindName(u"{00000000-0000-0000-0000-000000000000}"), L"Primary");
    EXPECT_EQ(ViewKindName(u"{7651A7F6-06E5-11D1-8EBD-00A0C90F26EA}"), L"{7651A7F6-06E5-11D1-8EBD-00A0C90F26EA}");
}

TEST(DocumentViews, ShowTheFileTextReadOnlyUnderItsNameAndViewKind) {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"spv", 0, path);
    // UTF-8 with a byte order mark, lines ended by LF alone and by CR LF.
    ASSERT_TRUE(WriteBytes(path, "\xEF\xBB\xBFint main()\n{\r\n  return 0; // \xC3\xA9\n}"));
    const Window frame(CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                       nullptr, nullptr));
    const Menu windowMenu(CreatePopupMenu());
    DocumentViews views;
    ASSERT_TRUE(views.Create(frame.get(), windowMenu.get()));

    const std::wstring title = views.Open(std::u16string(Units(path)), u"{7651A701-06E5-11D1-8EBD-00A0C90F26EA}");
    EXPECT_EQ(title, std::wstring(path) + L" [Code]");
    HWND view = reinterpret_cast<HWND>(SendMessageW(views.Client(), WM_MDIGETACTIVE, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(TextOf(view), title);
    HWND edit = GetDlgItem(view, 1);
    EXPECT_EQ(TextOf(edit), L"int main()\r\n{\r\n  return 0; // \u00e9\r\n}");
    EXPECT_NE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY, 0);

    DeleteFileW(path);
    const std::wstring missing = views.Open(std::u16string(Units(path)), u"{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(missing, std::wstring(path) + L" [Primary]");
    HWND second = reinterpret_cast<HWND>(SendMessageW(views.Client(), WM_MDIGETACTIVE, 0, 0));
    ASSERT_NE(second, view);
    EXPECT_EQ(TextOf(GetDlgItem(second, 1)).rfind(L"(cannot read this file", 0), 0u);
    // The Window menu lists both views, after a separator.
    ASSERT_EQ(GetMenuItemCount(windowMenu.get()), 3);
    for (int item = 1; item <= 2; ++item) {
        wchar_t entry[MAX_PATH + 32];
        GetMenuStringW(windowMenu.get(), item, entry, MAX_PATH + 32, MF_BYPOSITION);
        EXPECT_NE(std::wstring(entry).find(item == 1 ? title : missing), std::wstring::npos) << entry;
    }
}

// Asked for a line, a view puts the caret at its start and scrolls it to the top; a line past the
// end of the text goes to the last line.
TEST(DocumentViews, ShowTheLineAskedFor) {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"spv", 0, path);
    std::string text;
    for (int line = 1; line <= 200; ++line) text += "line " + std::to_string(line) + "\n";
    ASSERT_TRUE(WriteBytes(path, text));
    const Window frame(CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                       nullptr, nullptr));
    DocumentViews views;
    ASSERT_TRUE(views.Create(frame.get(), nullptr));
    // The line asked for, the line the caret stands on, and the first line in view (the view
    // cannot scroll its last lines up to its top).
    const struct { std::int32_t asked, shown, top; } cases[] = {{150, 150, 149}, {1, 1, 0}, {0, 1, 0}, {999, 201, -1}};
    for (const auto& c : cases) {
        views.Open(std::u16string(Units(path)), u"{00000000-0000-0000-0000-000000000000}", c.asked);
        HWND edit = GetDlgItem(reinterpret_cast<HWND>(SendMessageW(views.Client(), WM_MDIGETACTIVE, 0, 0)), 1);
        DWORD start = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        EXPECT_EQ(SendMessageW(edit, EM_LINEFROMCHAR, start, 0), c.shown - 1) << c.asked;
        EXPECT_EQ(SendMessageW(edit, EM_LINEINDEX, c.shown - 1, 0), static_cast<LRESULT>(start)) << c.asked;
        if (c.top >= 0) {
            EXPECT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), c.top) << c.asked;
        }
    }
    DeleteFileW(path);
}

}  // namespace
}  // namespace sprig::host
