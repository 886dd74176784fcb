// sprig-host [--solution FILE.sln] [--run-command NAME] [--shortcut] [--type TEXT] [--keys KEYS]
//            [--pause MS] [--show-tools] [--quit] [--forget]
//            [--version 8.0|9.0|10.0|11.0|12.0] [--language CODE] [--localized-bars] [--no-tools-menu]
//
// The stand-in environment: a main window with a File and a Tools menu, a solution loaded from
// disk and served through the automation model, and the add-ins registered with the environment,
// loaded as the environment loads them (Environment.h). The options (Options.h) ask for a
// scripted run (Script.h). Every step is printed on standard output, one line each, for scripts
// and tests.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "host/app/Environment.h"
#include "host/app/HostRegistry.h"
#include "host/app/Options.h"
#include "host/com/TypeLibraries.h"

namespace {

void Print(std::wstring_view line) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), text.data(), size, nullptr, nullptr);
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    sprig::host::Options options;
    if (!sprig::host::ParseOptions(argc, argv, options)) return 2;
    // What the environment does before any add-in runs: a single-threaded apartment, the common
    // controls, its type libraries registered, and shell32 loaded.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"shell32.dll");
    if (options.forget) sprig::host::ForgetHostState(options.version);
    int code = 1;
    if (FAILED(sprig::host::RegisterHostTypeLibraries())) {
        std::fprintf(stderr, "sprig-host: cannot register the type libraries\n");
    } else {
        try {
            sprig::host::Environment environment(std::move(options), Print);
            code = environment.Run();
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "sprig-host: %s\n", failure.what());
        } catch (...) {
            std::fprintf(stderr, "sprig-host: stopped by an unknown exception\n");
        }
    }
    CoUninitialize();
    return code;
}
