// The dialog template and icon as the module carries them, read back through the resource API.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "win/Owners.h"

namespace {

// A cursor over an extended dialog template.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* at) : at_(at) {}
    template <typename T>
    T Read() {
        T value;
        std::memcpy(&value, at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    // A string or an ordinal (0xFFFF then the number); ordinals come back as "#n".
    std::wstring ReadText() {
        if (Peek() == 0xFFFF) {
            Read<WORD>();
            return L"#" + std::to_wstring(Read<WORD>());
        }
        std::wstring text;
        for (WORD unit; (unit = Read<WORD>()) != 0;) text += static_cast<wchar_t>(unit);
        return text;
    }
    void AlignToDword(const BYTE* base) {
        while ((at_ - base) % 4) ++at_;
    }
    const BYTE* At() const { return at_; }

private:
    WORD Peek() const { return *reinterpret_cast<const WORD*>(at_); }
    const BYTE* at_;
};

struct Item {
    DWORD style, exStyle;
    short x, y, cx, cy;
    DWORD id;
    std::wstring className, title;
};

// Predefined classes may be stored as ordinals.
std::wstring ClassName(const std::wstring& name) {
    if (name == L"#128") return L"button";
    if (name == L"#129") return L"edit";
    std::wstring lower;
    for (wchar_t c : name) lower += static_cast<wchar_t>(towlower(c));
    return lower;
}

TEST(DialogTemplate, IsTheFileDialogExactly) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_SPRIG), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    ASSERT_NE(found, nullptr);
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    TemplateReader reader(base);
    EXPECT_EQ(reader.Read<WORD>(), 1);  // extended template
    EXPECT_EQ(reader.Read<WORD>(), 0xFFFF);
    reader.Read<DWORD>();                 // help id
    EXPECT_EQ(reader.Read<DWORD>(), 0u);  // no extended styles
    const DWORD style = reader.Read<DWORD>();
    EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_CENTER | DS_SHELLFONT));
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    const WORD count = reader.Read<WORD>();
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 400);
    EXPECT_EQ(reader.Read<short>(), 300);
    EXPECT_EQ(reader.ReadText(), L"");    // no menu
    EXPECT_EQ(reader.ReadText(), L"");    // no class of its own
    EXPECT_EQ(reader.ReadText(), L"");    // no caption
    EXPECT_EQ(reader.Read<WORD>(), 8);    // points
    EXPECT_EQ(reader.Read<WORD>(), 400);  // weight
    EXPECT_EQ(reader.Read<BYTE>(), 0);    // not italic
    EXPECT_EQ(reader.Read<BYTE>(), 1);    // default character set
    EXPECT_EQ(reader.ReadText(), L"MS Shell Dlg");

    std::vector<Item> items;
    for (WORD i = 0; i < count; ++i) {
        reader.AlignToDword(base);
        Item item;
        reader.Read<DWORD>();
        item.exStyle = reader.Read<DWORD>();
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = reader.Read<DWORD>();
        item.className = ClassName(reader.ReadText());
        item.title = reader.ReadText();
        const WORD extra = reader.Read<WORD>();
        for (WORD b = 0; b < extra; ++b) reader.Read<BYTE>();
        items.push_back(item);
    }

    const DWORD shown = WS_CHILD | WS_VISIBLE;
    const std::vector<Item> expected = {
        {shown | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 289, 279, 50, 14, IDOK, L"button", L"&Open"},
        {shown | WS_TABSTOP | BS_PUSHBUTTON, 0, 343, 279, 50, 14, IDCANCEL, L"button", L"&Cancel"},
        {shown | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 7, 7, 386, 174, IDC_PROJECT_BOX, L"comboboxex32", L""},
        {shown | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT | LVS_OWNERDATA, 0, 7, 25, 386,
         232, IDC_FILE_LIST, L"syslistview32", L""},
        {shown | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 7, 261, 386, 14, IDC_FILTER_EDIT, L"edit", L""},
        {shown | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 281, 50, 10, IDC_VIEW_CODE, L"button", L"View Co&de"},
        {shown | WS_TABSTOP | BS_PUSHBUTTON, 0, 235, 279, 50, 14, IDC_EXPLORE, L"button", L"&Explore"},
    };
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].style, expected[i].style);
        EXPECT_EQ(items[i].exStyle, 0u);
        EXPECT_EQ(items[i].x, expected[i].x);
        EXPECT_EQ(items[i].y, expected[i].y);
        EXPECT_EQ(items[i].cx, expected[i].cx);
        EXPECT_EQ(items[i].cy, expected[i].cy);
        EXPECT_EQ(items[i].id, expected[i].id);
        EXPECT_EQ(items[i].className, expected[i].className);
        EXPECT_EQ(items[i].title, expected[i].title);
    }
    EXPECT_EQ(items[3].style & LVS_SINGLESEL, 0u);  // several rows may be chosen
}

TEST(DialogIcon, HoldsA32And16PixelSixteenColourImage) {
    HRSRC group = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_SPRIG), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
#pragma pack(push, 2)
    struct Entry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
    const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    ASSERT_EQ(count, 2);
    const auto* entries = reinterpret_cast<const Entry*>(dir + 6);
    EXPECT_EQ(entries[0].width, 32);
    EXPECT_EQ(entries[0].height, 32);
    EXPECT_EQ(entries[1].width, 16);
    EXPECT_EQ(entries[1].height, 16);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(entries[i].colours, 16);
        EXPECT_EQ(entries[i].bitCount, 4);
    }

    // The system picks the 32-pixel image for a large icon and can build an icon from it.
    const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(dir), TRUE, 32, 32, LR_DEFAULTCOLOR);
    EXPECT_EQ(id, entries[0].id);
    HRSRC image = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3) /* RT_ICON */);
    ASSERT_NE(image, nullptr);
    const sprig::Icon icon(CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(nullptr, image))),
                                                    SizeofResource(nullptr, image), TRUE, 0x00030000, 32, 32,
                                                    LR_DEFAULTCOLOR));
    EXPECT_NE(icon, nullptr);
}

}  // namespace
