// The stand-in environment's menu bar and shortcuts under Wine: the model's Tools menu with an
// add-in's entry at position 1 becomes a real menu, and the command's global binding a keyboard
// accelerator that the real TranslateAccelerator turns into the entry's command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/app/MainMenu.h"
#include "win/Owners.h"

namespace sprig::host {
namespace {

std::vector<WORD> commandsSeen;

LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) commandsSeen.push_back(LOWORD(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[256] = L"";
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

// Whether the accelerators turn `key`, pressed with the modifiers held, into a command.
bool Translates(HWND window, HACCEL table, UINT message, WPARAM key, std::initializer_list<int> held) {
    BYTE state[256] = {};
    for (const int modifier : held) state[modifier] = 0x80;
    SetKeyboardState(state);
    MSG msg{window, message, key, 1, 0, {}};
    const bool translated = TranslateAcceleratorW(window, table, &msg) != 0;
    const BYTE none[256] = {};
    SetKeyboardState(const_cast<BYTE*>(none));
    return translated;
}

TEST(MainMenu, ShowsTheCommandFirstInToolsAndTurnsItsGlobalBindingIntoAShortcut) {
    model::SolutionModel model;
    model::CommandBar& menuBar = model.AddCommandBar(u"MenuBar");
    model::CommandBar& tools = model.AddPopup(menuBar, u"Tools");
    model.AddControl(tools, u"Options...");
    model.addIn.progId = u"Sprig.Connect";
    model::CommandRequest request;
    request.addIn = &model.addIn;
    request.name = u"Other";
    request.buttonText = u"Other";
    model::Command* other = model.AddNamedCommand(request);  // a command with no control
    request.name = u"Sprig";
    request.buttonText = u"Open File(s) in Solution...";
    model::Command* command = model.AddNamedCommand(request);
    ASSERT_TRUE(other && command);
    other->bindings = {u"Text Editor::Ctrl+K"};  // not global: no shortcut
    command->bindings = {u"Global::Ctrl+Shift+Alt+O"};
    ASSERT_NE(model.AddCommandControl(*command, &tools, 1), nullptr);

    std::vector<std::wstring> reports;
    MainMenu menu = BuildMainMenu(model, menuBar, [&](std::wstring_view line) { reports.emplace_back(line); });
    ASSERT_EQ(GetMenuItemCount(menu.bar), 3);  // File, Tools, Window
    EXPECT_EQ(ItemText(menu.bar, 1), L"&Tools");
    EXPECT_EQ(GetSubMenu(menu.bar, 2), menu.window);
    HMENU toolsMenu = GetSubMenu(menu.bar, 1);
    ASSERT_EQ(GetMenuItemCount(toolsMenu), 2);
    EXPECT_EQ(ItemText(toolsMenu, 0), L"Open File(s) in Solution...\tCtrl+Shift+Alt+O");
    EXPECT_EQ(GetMenuItemID(toolsMenu, 0), FirstCommandId + 1);
    EXPECT_EQ(ItemText(toolsMenu, 1), L"Options...");
    EXPECT_NE(GetMenuState(toolsMenu, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(reports, (std::vector<std::wstring>{L"menu Tools 1 Open File(s) in Solution...\tCtrl+Shift+Alt+O",
                                                  L"menu Tools 2 Options...",
                                                  L"shortcut Global::Ctrl+Shift+Alt+O Sprig.Connect.Sprig"}));
    ASSERT_TRUE(menu.accelerators);
    EXPECT_EQ(CopyAcceleratorTableW(menu.accelerators.get(), nullptr, 0), 1);

    const WNDCLASSW type{0,       Record,  0,       0,       GetModuleHandleW(nullptr),
                         nullptr, nullptr, nullptr, nullptr, L"MainMenuTest"};
    RegisterClassW(&type);
    const Window window(CreateWindowExW(0, type.lpszClassName, L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                        menu.bar, nullptr, nullptr));
    ASSERT_TRUE(window);
    HACCEL table = menu.accelerators.get();
    // Alt held makes the key a system key.
    EXPECT_TRUE(Translates(window.get(), table, WM_SYSKEYDOWN, 'O', {VK_CONTROL, VK_SHIFT, VK_MENU}));
    EXPECT_EQ(commandsSeen, std::vector<WORD>{static_cast<WORD>(FirstCommandId + 1)});
    EXPECT_FALSE(Translates(window.get(), table, WM_KEYDOWN, 'O', {VK_CONTROL, VK_SHIFT}));
    EXPECT_FALSE(Translates(window.get(), table, WM_SYSKEYDOWN, 'P', {VK_CONTROL, VK_SHIFT, VK_MENU}));
    EXPECT_FALSE(Translates(window.get(), table, WM_KEYDOWN, 'K', {VK_CONTROL}));
    EXPECT_EQ(commandsSeen.size(), 1u);
}

TEST(MainMenu, GivesNoShortcutsWhenNoBindingIsGlobalOrParses) {
    model::SolutionModel model;
    model::CommandBar& menuBar = model.AddCommandBar(u"MenuBar");
    model.addIn.progId = u"A";
    model::CommandRequest request;
    request.addIn = &model.addIn;
    request.name = u"B";
    model.AddNamedCommand(request)->bindings = {u"Global::Ctrl+K, Ctrl+C", u"Editor::F5", u""};
    MainMenu menu = BuildMainMenu(model, menuBar, [](std::wstring_view) {});
    const Menu bar(menu.bar);  // no window takes it
    EXPECT_FALSE(menu.accelerators);
    EXPECT_EQ(GetMenuItemCount(bar.get()), 2);  // File, Window
}

}  // namespace
}  // namespace sprig::host
