#include "host/app/Options.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string_view>

#include "resources/resource.h"
#include "win/WideText.h"

namespace sprig::host {
namespace {

const Language Languages[] = {
    {L"en", 1033, u"Tools", u"&Tools", u"Options..."},
    {L"de", 1031, u"Extras", u"E&xtras", u"Optionen..."},
    {L"fr", 1036, u"Outils", u"&Outils", u"Options..."},
    {L"es", 3082, u"Herramientas", u"&Herramientas", u"Opciones..."},
    {L"it", 1040, u"Strumenti", u"&Strumenti", u"Opzioni..."},
    {L"ja", 1041, u"ツール", u"ツール(&T)", u"オプション(&O)..."},
    {L"ko", 1042, u"도구", u"도구(&T)", u"옵션(&O)..."},
    {L"zh-CN", 2052, u"工具", u"工具(&T)", u"选项(&O)..."},
    {L"zh-TW", 1028, u"工具", u"工具(&T)", u"選項(&O)..."},
};

bool ParseVersion(Options& options, const wchar_t* value) {
    options.version = value;
    const auto& known = Versions;
    if (std::find_if(std::begin(known), std::end(known), [&](const wchar_t* v) { return options.version == v; }) ==
        std::end(known)) {
        std::fwprintf(stderr, L"sprig-host: --version wants 8.0, 9.0, 10.0, 11.0 or 12.0, not '%ls'\n", value);
        return false;
    }
    return true;
}

bool ParseLanguage(Options& options, const wchar_t* value) {
    options.language = value;
    if (!FindLanguage(options.language)) {
        std::fwprintf(stderr, L"sprig-host: unknown language '%ls'\n", value);
        return false;
    }
    return true;
}

// The steps --keys knows by name.
struct NamedKey {
    std::wstring_view name;
    DialogKey key;
};
const NamedKey NamedKeys[] = {{L"enter", {VK_RETURN, 0}},        {L"escape", {VK_ESCAPE, 0}},
                              {L"down", {VK_DOWN, 0}},           {L"up", {VK_UP, 0}},
                              {L"viewcode", {0, IDC_VIEW_CODE}}, {L"explore", {0, IDC_EXPLORE}}};

bool ParseKeys(Options& options, const wchar_t* value) {
    for (std::wstring_view rest = value; !rest.empty();) {
        const std::size_t comma = rest.find(L',');
        const std::wstring_view name = rest.substr(0, comma);
        const auto known = std::find_if(std::begin(NamedKeys), std::end(NamedKeys),
                                        [&](const NamedKey& named) { return named.name == name; });
        if (known == std::end(NamedKeys)) {
            std::fwprintf(stderr, L"sprig-host: unknown key %ls\n", std::wstring(name).c_str());
            return false;
        }
        options.keys.push_back(known->key);
        rest.remove_prefix(comma == std::wstring_view::npos ? rest.size() : comma + 1);
    }
    options.typing = true;
    return true;
}

bool ParsePause(Options& options, const wchar_t* value) {
    // Plain digits only: wcstoul would take "-5" as a wait of some 49 days.
    const std::wstring_view digits = value;
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of(L"0123456789") != std::wstring_view::npos) {
        std::fwprintf(stderr, L"sprig-host: --pause wants milliseconds, 0 to 999999999, not '%ls'\n", value);
        return false;
    }
    options.pauseMs = static_cast<DWORD>(std::wcstoul(value, nullptr, 10));
    return true;
}

// One option: its name, whether a value follows it, and what it sets. `apply` gets the value (null
// for a switch) and answers false after reporting a value it refuses.
struct Rule {
    std::wstring_view name;
    bool takesValue;
    bool (*apply)(Options& options, const wchar_t* value);
};
const Rule Rules[] =
    {
        {L"--solution", true,
         [](Options& options, const wchar_t* value) {
    options.solution = Units(value);
    return true;
         }},
        {L"--run-command", true,
         [](Options& options, const wchar_t* value) {
    options.runCommand = value;
    return true;
         }},
           {L"--shortcut", false, [](Options& options, const wchar_t*) { return options.shortcut = true; }},
           {L"--type", true,
            [](Options& options, const wchar_t* value) {
    options.type = value;
    return options.typing = true;
            }},
    {L"--keys", true, ParseKeys}, {L"--pause", true, ParsePause},
    {L"--show-tools", false, [](Options& options, const wchar_t*) { return options.showTools = true; }},
    {L"--quit", false, [](Options& options, const wchar_t*) { return options.quit = true; }},
    {L"--forget", false, [](Options& options, const wchar_t*) { return options.forget = true; }},
    {L"--version", true, ParseVersion}, {L"--language", true, ParseLanguage},
    {L"--localized-bars", false, [](Options& options, const wchar_t*) { return options.localizedBars = true; }},
    {L"--no-tools-menu", false, [](Options& options, const wchar_t*) { return options.noToolsMenu = true; }},
    };

}  // namespace

const Language* FindLanguage(std::wstring_view code) {
    for (const Language& language : Languages) {
        if (code == language.code) return &language;
    }
    return nullptr;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view name = argv[i];
        const auto rule =
            std::find_if(std::begin(Rules), std::end(Rules), [&](const Rule& known) { return known.name == name; });
        if (rule == std::end(Rules)) {
            std::fwprintf(stderr, L"sprig-host: unknown option %ls\n", argv[i]);
            return false;
        }
        if (rule->takesValue && i + 1 == argc) {
            std::fwprintf(stderr, L"sprig-host: %ls wants a value\n", argv[i]);
            return false;
        }
        if (!rule->apply(options, rule->takesValue ? argv[++i] : nullptr)) return false;
    }
    return true;
}

}  // namespace sprig::host
