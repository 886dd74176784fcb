// show-dialog [--filter TEXT] [--close-after MS]
//
// Shows the file dialog over a representative solution built in code, served through the
// stand-in COM objects, the way the environment runs it. With --filter the text is typed into the
// filter box once the dialog is up; then the program prints "ready LEFT TOP RIGHT BOTTOM", the
// dialog's screen rectangle, on standard output. With --close-after the dialog closes itself that
// many milliseconds later; otherwise it stays until a person closes it. Prints each file the
// dialog asked the environment to open ("opened PATH VIEWKIND"), then the end code.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "dialog/Sprig.h"
#include "host/com/ModelObjects.h"
#include "resources/resource.h"

namespace {

using sprig::model::ItemCollection;
using sprig::model::Project;
using sprig::model::SolutionModel;

constexpr char16_t CppKind[] = u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";
constexpr char16_t CSharpKind[] = u"{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}";
constexpr char16_t Root[] = u"C:\\Projects\\Atlas\\";

void AddFiles(SolutionModel& model, ItemCollection& into, const std::u16string& folder,
              std::initializer_list<const char16_t*> names) {
    for (const char16_t* name : names) model.AddFile(into, name, Root + folder + name);
}

ItemCollection& Folder(SolutionModel& model, ItemCollection& into, const char16_t* name,
                       std::u16string kind = sprig::model::VirtualFolderKind) {
    return *model.AddFolder(into, name, std::move(kind)).children;
}

// A map viewer: its application and core library in C++ with the usual filters, their tests, a
// tile tool in C# with folders and designer files, and a solution folder with the build notes.
void BuildSolution(SolutionModel& model) {
    Project& app = model.AddProject(u"Atlas", CppKind);
    AddFiles(model, Folder(model, *app.items, u"Source Files"), u"Atlas\\",
             {u"Atlas.cpp", u"MainFrame.cpp", u"MapDocument.cpp", u"MapView.cpp", u"LayerPanel.cpp",
              u"TilePreview.cpp", u"SearchBar.cpp", u"PrintPreview.cpp", u"ExportDialog.cpp",
              u"SettingsDialog.cpp", u"StatusBar.cpp", u"stdafx.cpp"});
    AddFiles(model, Folder(model, *app.items, u"Header Files"), u"Atlas\\",
             {u"Atlas.h", u"MainFrame.h", u"MapDocument.h", u"MapView.h", u"LayerPanel.h", u"TilePreview.h",
              u"SearchBar.h", u"PrintPreview.h", u"ExportDialog.h", u"SettingsDialog.h", u"StatusBar.h",
              u"stdafx.h", u"resource.h"});
    AddFiles(model, Folder(model, *app.items, u"Resource Files"), u"Atlas\\res\\",
             {u"Atlas.rc2", u"Atlas.ico", u"Toolbar.bmp", u"Layers.bmp"});
    AddFiles(model, *app.items, u"Atlas\\", {u"Atlas.rc", u"ReadMe.txt"});

    Project& core = model.AddProject(u"AtlasCore", CppKind);
    ItemCollection& coreSource = Folder(model, *core.items, u"Source Files");
    AddFiles(model, coreSource, u"AtlasCore\\src\\",
             {u"Geometry.cpp", u"Projection.cpp", u"TileCache.cpp", u"TileLoader.cpp", u"TileKey.cpp",
              u"LayerStack.cpp", u"Style.cpp", u"Label.cpp", u"Raster.cpp", u"Vector.cpp", u"Quadtree.cpp"});
    AddFiles(model, Folder(model, coreSource, u"Formats"), u"AtlasCore\\src\\formats\\",
             {u"GeoJsonReader.cpp", u"ShapefileReader.cpp", u"TileArchive.cpp", u"PngCodec.cpp"});
    AddFiles(model, Folder(model, *core.items, u"Header Files"), u"AtlasCore\\include\\",
             {u"Geometry.h", u"Projection.h", u"TileCache.h", u"TileLoader.h", u"TileKey.h", u"LayerStack.h",
              u"Style.h", u"Label.h", u"Raster.h", u"Vector.h", u"Quadtree.h", u"GeoJsonReader.h",
              u"ShapefileReader.h", u"TileArchive.h", u"PngCodec.h"});

    Project& tests = model.AddProject(u"AtlasCore.Tests", CppKind);
    AddFiles(model, *tests.items, u"AtlasCore\\tests\\",
             {u"GeometryTests.cpp", u"ProjectionTests.cpp", u"TileCacheTests.cpp", u"TileKeyTests.cpp",
              u"QuadtreeTests.cpp", u"StyleTests.cpp", u"TestMain.cpp"});

    Project& tool = model.AddProject(u"TileBaker", CSharpKind);
    constexpr char16_t Folders[] = u"{6BB5F8EF-4483-11D3-8BCF-00C04F8EC28C}";
    AddFiles(model, Folder(model, *tool.items, u"Properties", Folders), u"TileBaker\\Properties\\",
             {u"AssemblyInfo.cs", u"Settings.settings", u"Settings.Designer.cs"});
    // Each form with its designer code and resources as dependent files.
    for (const std::u16string form : {u"MainForm", u"BakeProgressForm"}) {
        ItemCollection& parts = model.Children(model.AddFile(*tool.items, form + u".cs", Root + (u"TileBaker\\" + form) + u".cs"));
        for (const char16_t* suffix : {u".Designer.cs", u".resx"}) {
            model.AddFile(parts, form + suffix, Root + (u"TileBaker\\" + form) + suffix);
        }
    }
    AddFiles(model, Folder(model, *tool.items, u"Services", Folders), u"TileBaker\\Services\\",
             {u"TileBakery.cs", u"TileWriter.cs", u"ZoomPlan.cs", u"SourceCatalog.cs"});
    AddFiles(model, *tool.items, u"TileBaker\\", {u"Program.cs", u"App.config"});

    Project& notes = model.AddProject(u"Solution Items", sprig::model::SolutionFolderKind);
    AddFiles(model, *notes.items, u"", {u"build.cmd", u"README.txt", u"LICENSE.txt", u"Atlas.props"});
}

struct Options {
    std::wstring filter;
    int closeAfterMs = -1;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, IDC_FILTER_EDIT)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Finds the dialog of `thread`, types the filter into it, reports where it stands, and closes it
// when asked to.
DWORD WINAPI Typist(void* parameter) {
    const auto& [options, thread] = *static_cast<std::pair<Options, DWORD>*>(parameter);
    HWND dialog = nullptr;
    for (int waited = 0; waited < 10000 && !dialog; waited += 20) {
        Sleep(20);
        EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
    }
    if (!dialog) return 1;
    HWND edit = GetDlgItem(dialog, IDC_FILTER_EDIT);
    for (const wchar_t unit : options.filter) SendMessageW(edit, WM_CHAR, unit, 1);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT bounds;
    GetWindowRect(dialog, &bounds);
    std::printf("ready %ld %ld %ld %ld\n", bounds.left, bounds.top, bounds.right, bounds.bottom);
    std::fflush(stdout);
    if (options.closeAfterMs >= 0) {
        Sleep(static_cast<DWORD>(options.closeAfterMs));
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return 0;
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 == argc) {
            std::fwprintf(stderr, L"show-dialog: %ls wants a value\n", argv[i]);
            return 2;
        }
        if (std::wcscmp(argv[i], L"--filter") == 0) {
            options.filter = argv[i + 1];
        } else if (std::wcscmp(argv[i], L"--close-after") == 0) {
            options.closeAfterMs = static_cast<int>(std::wcstol(argv[i + 1], nullptr, 10));
        } else {
            std::fwprintf(stderr, L"show-dialog: unknown option %ls\n", argv[i]);
            return 2;
        }
    }
    // What the environment does before any add-in runs.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);

    SolutionModel model;
    BuildSolution(model);
    INT_PTR code;
    {
        sprig::CSprig dialog(sprig::host::CreateModelRoot(model));
        std::pair<Options, DWORD> typing{options, GetCurrentThreadId()};
        const std::unique_ptr<void, HandleCloser> typist(CreateThread(nullptr, 0, Typist, &typing, 0, nullptr));
        // The environment runs the dialog from its main window, which is active at that moment;
        // a plain window stands in for it.
        const std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer> owner(
            CreateWindowExW(0, L"STATIC", L"Atlas - stand-in environment", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            320, 120, nullptr, nullptr, nullptr, nullptr));
        SetForegroundWindow(owner.get());
        code = dialog.DoModal(owner.get());
        if (typist) WaitForSingleObject(typist.get(), INFINITE);
    }
    CoUninitialize();
    for (const auto& request : model.itemOperations.requests) {
        std::printf("opened %ls %ls\n", reinterpret_cast<const wchar_t*>(request.fileName.c_str()),
                    reinterpret_cast<const wchar_t*>(request.viewKind.c_str()));
    }
    std::printf("ended %d\n", static_cast<int>(code));
    return 0;
}
