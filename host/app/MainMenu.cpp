#include "host/app/MainMenu.h"

#include <string>
#include <vector>

#include "host/core/KeyBinding.h"
#include "win/WideText.h"

namespace sprig::host {

MainMenu BuildMainMenu(const model::SolutionModel& model, const model::CommandBar& menuBar,
                       const std::function<void(std::wstring_view)>& report) {
    MainMenu made;
    made.bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, OpenSolutionId, L"&Open Solution...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ExitId, L"E&xit");
    AppendMenuW(made.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    const auto& commands = model.commands.commands;
    for (const auto& popupEntry : menuBar.controls.entries) {
        const model::CommandBarControl& popup = *popupEntry.object;
        if (!popup.popup) continue;
        HMENU menu = CreatePopupMenu();
        int position = 0;
        for (const auto& entry : popup.popup->controls.entries) {
            ++position;
            const model::Command* command = entry.object->command;
            std::wstring text = WideString(command ? command->buttonText : entry.object->name);
            UINT id = 0;
            if (command) {
                std::size_t index = 0;
                while (&commands[index] != command) ++index;
                id = FirstCommandId + static_cast<UINT>(index);
                for (const std::u16string& bindingText : command->bindings) {
                    KeyBinding binding;
                    if (!ParseKeyBinding(bindingText, binding)) continue;
                    text += L'\t' + WideString(bindingText.substr(binding.scope.size() + 2));
                    break;
                }
            }
            // The environment's own entries do nothing here.
            AppendMenuW(menu, command ? MF_STRING : MF_STRING | MF_GRAYED, id, text.c_str());
            report(L"menu " + WideString(popup.name) + L' ' + std::to_wstring(position) + L' ' + text);
        }
        // Without a caption of its own its first letter is its access key.
        const std::wstring caption = popup.caption.empty() ? L'&' + WideString(popup.name) : WideString(popup.caption);
        AppendMenuW(made.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), caption.c_str());
    }
    made.window = CreatePopupMenu();
    AppendMenuW(made.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(made.window), L"&Window");

    std::vector<ACCEL> accelerators;
    for (std::size_t index = 0; index < commands.size(); ++index) {
        for (const std::u16string& bindingText : commands[index].bindings) {
            KeyBinding binding;
            if (!ParseKeyBinding(bindingText, binding) || binding.scope != u"Global") continue;
            const BYTE flags =
                FVIRTKEY | (binding.ctrl ? FCONTROL : 0) | (binding.shift ? FSHIFT : 0) | (binding.alt ? FALT : 0);
            accelerators.push_back({flags, binding.key, static_cast<WORD>(FirstCommandId + index)});
            report(L"shortcut " + WideString(bindingText) + L' ' + WideString(commands[index].name));
        }
    }
    if (!accelerators.empty()) {
        made.accelerators.reset(CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size())));
    }
    return made;
}

}  // namespace sprig::host
