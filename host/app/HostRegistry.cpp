#include "host/app/HostRegistry.h"

#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <type_traits>

#include "win/KeyOwner.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

// The environment's own per-user key of one version, and one key below it.
std::wstring EnvironmentKey(std::wstring_view version, std::wstring_view below) {
    return L"SOFTWARE\\Microsoft\\VisualStudio\\" + std::wstring(version) + L'\\' + std::wstring(below);
}

// The stand-in's own key for one version.
std::wstring HostKey(std::wstring_view version) {
    return L"Software\\Tarn's Tools\\Stand-in Environment\\" + std::wstring(version);
}
std::wstring CommandsKey(std::wstring_view version) { return HostKey(version) + L"\\Commands"; }

// The environment reads its keys and writes its own.
constexpr REGSAM ReadAccess = KEY_READ;
constexpr REGSAM WriteAccess = KEY_READ | KEY_WRITE;

DWORD ReadDword(HKEY key, const wchar_t* name) {
    DWORD value = 0, type = 0, size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return 0;
    }
    return value;
}

// A string or multi-string value as units, without the terminators the registry may or may not
// have stored.
std::u16string ReadUnits(HKEY key, const wchar_t* name, DWORD wanted) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != wanted) return {};
    std::u16string units(size / sizeof(char16_t), u'\0');
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(units.data()), &size) != ERROR_SUCCESS) {
        return {};
    }
    units.resize(std::min<std::size_t>(units.size(), size / sizeof(char16_t)));
    while (!units.empty() && units.back() == u'\0') units.pop_back();
    return units;
}

void WriteUnits(HKEY key, const wchar_t* name, DWORD type, std::u16string units) {
    units += u'\0';
    if (type == REG_MULTI_SZ) units += u'\0';
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(units.data()),
                   static_cast<DWORD>(units.size() * sizeof(char16_t)));
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

}  // namespace

std::vector<AddInRegistration> FindAddIns(std::wstring_view version) {
    std::vector<AddInRegistration> found;
    const KeyOwner addIns = OpenKey(HKEY_CURRENT_USER, EnvironmentKey(version, L"AddIns").c_str(), ReadAccess);
    if (!addIns) return found;
    for (std::wstring& progId : SubkeyNames(addIns.get())) {
        const KeyOwner key = OpenKey(addIns.get(), progId.c_str(), ReadAccess);
        if (!key) continue;
        found.push_back(
            {std::move(progId), ReadDword(key.get(), L"LoadBehavior"), ReadDword(key.get(), L"CommandPreload")});
    }
    return found;
}

bool IsAddInRegistered(const std::wstring& progId, std::wstring_view version) {
    return static_cast<bool>(
        OpenKey(HKEY_CURRENT_USER, EnvironmentKey(version, L"AddIns\\" + progId).c_str(), ReadAccess));
}

// Any value of that name counts, whatever its type or data.
bool WasPreloaded(const std::wstring& progId, std::wstring_view version) {
    const KeyOwner key = OpenKey(HKEY_CURRENT_USER, EnvironmentKey(version, L"PreloadAddinState").c_str(), ReadAccess);
    return key && RegQueryValueExW(key.get(), progId.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void RememberPreloaded(const std::wstring& progId, std::wstring_view version) {
    const KeyOwner key =
        CreateKey(HKEY_CURRENT_USER, EnvironmentKey(version, L"PreloadAddinState").c_str(), WriteAccess);
    const DWORD one = 1;
    if (key) RegSetValueExW(key.get(), progId.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
}

void SaveCommands(const model::SolutionModel& model, const model::CommandBar& menuBar, std::wstring_view version) {
    SHDeleteKeyW(HKEY_CURRENT_USER, CommandsKey(version).c_str());
    const KeyOwner commands = CreateKey(HKEY_CURRENT_USER, CommandsKey(version).c_str(), WriteAccess);
    if (!commands) return;
    for (const model::Command& command : model.commands.commands) {
        const KeyOwner key = CreateKey(commands.get(), Wide(command.name), WriteAccess);
        if (!key) continue;
        WriteUnits(key.get(), L"ButtonText", REG_SZ, command.buttonText);
        std::u16string bindings;
        for (const std::u16string& binding : command.bindings) {
            if (!binding.empty()) bindings += binding + u'\0';
        }
        if (!bindings.empty()) {
            bindings.pop_back();
            WriteUnits(key.get(), L"Bindings", REG_MULTI_SZ, bindings);
        }
        for (const auto& popup : menuBar.controls.entries) {
            if (!popup.object->popup) continue;
            const auto& controls = popup.object->popup->controls.entries;
            const auto at = std::find_if(controls.begin(), controls.end(),
                                         [&](const auto& entry) { return entry.object->command == &command; });
            if (at == controls.end()) continue;
            WriteUnits(key.get(), L"Menu", REG_SZ, popup.object->name);
            const DWORD position = static_cast<DWORD>(at - controls.begin() + 1);
            RegSetValueExW(key.get(), L"Position", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&position),
                           sizeof(position));
            break;
        }
    }
}

void RestoreCommands(model::SolutionModel& model, model::CommandBar& menuBar, std::wstring_view version) {
    const KeyOwner commands = OpenKey(HKEY_CURRENT_USER, CommandsKey(version).c_str(), ReadAccess);
    if (!commands) return;
    struct Placed {
        DWORD position;
        model::Command* command;
        model::CommandBar* bar;
    };
    std::vector<Placed> placed;
    for (const std::wstring& name : SubkeyNames(commands.get())) {
        const KeyOwner key = OpenKey(commands.get(), name.c_str(), ReadAccess);
        if (!key) continue;
        model::Command& command = model.commands.commands.emplace_back();
        command.name = Units(name);
        command.buttonText = ReadUnits(key.get(), L"ButtonText", REG_SZ);
        const std::u16string bindings = ReadUnits(key.get(), L"Bindings", REG_MULTI_SZ);
        for (std::size_t start = 0; start < bindings.size();) {
            const std::size_t end = std::min(bindings.find(u'\0', start), bindings.size());
            command.bindings.push_back(bindings.substr(start, end - start));
            start = end + 1;
        }
        const std::u16string menu = ReadUnits(key.get(), L"Menu", REG_SZ);
        for (const auto& popup : menuBar.controls.entries) {
            if (popup.object->popup && popup.object->name == menu) {
                placed.push_back({ReadDword(key.get(), L"Position"), &command, popup.object->popup});
            }
        }
    }
    // Lower positions first, so that each lands where it stood when it was kept.
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.position < b.position; });
    for (const Placed& entry : placed) {
        model.AddCommandControl(*entry.command, entry.bar, static_cast<std::int32_t>(entry.position));
    }
}

void ForgetHostState(std::wstring_view version) {
    SHDeleteKeyW(HKEY_CURRENT_USER, HostKey(version).c_str());
    SHDeleteKeyW(HKEY_CURRENT_USER, EnvironmentKey(version, L"PreloadAddinState").c_str());
}

}  // namespace sprig::host
