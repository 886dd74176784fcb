// The stand-in environment's command line. Each option is one line of the table in Options.cpp:
// its name, whether it takes a value, and what it sets here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/app/HostRegistry.h"

namespace sprig::host {

// A step of --keys: a key pressed in the filter box, or a click on one of the dialog's buttons.
struct DialogKey {
    UINT key = 0;     // the virtual key pressed, or 0 for a click
    int control = 0;  // the button clicked: IDC_VIEW_CODE or IDC_EXPLORE
};

struct Options {
    std::u16string solution;  // --solution FILE.sln: loaded from disk at start
    std::wstring runCommand;  // --run-command NAME: the command of that full name, run as its menu entry runs it
    bool shortcut = false;    // --shortcut: the first command's key binding pressed on the keyboard instead
    std::wstring type;        // --type TEXT: typed into the filter box of the dialog the command opens
    // --keys KEYS: pressed in the dialog after typing, a comma-separated list of "enter", "escape",
    // "down", "up", "viewcode" (a click on the View Code check box) and "explore" (a click on the
    // Explore button, after which the shell's folder window is awaited, reported and closed).
    std::vector<DialogKey> keys;
    bool typing = false;     // --type or --keys: the dialog is driven
    DWORD pauseMs = 0;       // --pause MS: waited after typing, and again before quitting
    bool showTools = false;  // --show-tools: the Tools menu dropped from its access key and closed
    bool quit = false;       // --quit: ends once the command is done (or at once when none is run)
    bool forget = false;     // --forget: the preloaded add-ins and kept commands forgotten first
    // --version V: the version of the environment played, its add-ins, its record of the
    // preloaded ones and its kept commands (8.0, 9.0, 10.0, 11.0 or 12.0).
    std::wstring version = DefaultVersion;
    // --language CODE: the menus captioned as the environment of that user-interface language
    // does, and its LocaleID answered: en, de, fr, es, it, ja, ko, zh-CN, zh-TW. The command bars
    // keep their English names ("Tools") unless --localized-bars names them in it too.
    std::wstring language = L"en";
    bool localizedBars = false;
    bool noToolsMenu = false;  // --no-tools-menu: the Tools menu left off the menu bar
};

// How the environment of one user-interface language captions its menus. The menu bar's control
// is found by its name; its caption carries the access key's mark.
struct Language {
    const wchar_t* code;
    std::int32_t localeId;
    const char16_t* toolsName;
    const char16_t* toolsCaption;
    const char16_t* options;  // the environment's own entry in the Tools menu
};

// The language of that code, or null.
const Language* FindLanguage(std::wstring_view code);

// The command line into `options`; false after reporting what is wrong with it on standard error.
bool ParseOptions(int argc, wchar_t** argv, Options& options);

}  // namespace sprig::host
