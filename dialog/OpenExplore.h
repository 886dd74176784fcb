// The dialog's two actions on the rows selected in its file list, row r standing for rows[r]:
// open the files in the environment, or show them in the shell's folder windows.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <shlobj.h>

#include <cstdint>
#include <vector>

#include "catalogue/ResultRow.h"

namespace sprig {

// Opens each selected file through the ItemOperations of the environment's `root`, in code view
// when the dialog's "View Code" box is checked, and with a `line` above 0 moves the caret of each
// window opened to that line. True when a selected row was taken, whether or not its file opened;
// false when the list is missing or nothing could be tried.
bool OpenSelectedFiles(HWND dialog, const std::vector<ResultRow>& rows, IDispatch* root, std::int32_t line = 0);

// Opens one shell folder window per folder of the selected files, with those files highlighted.
// The caller's thread is initialised for COM.
void ExploreSelectedFiles(HWND dialog, const std::vector<ResultRow>& rows);

// SHOpenFolderAndSelectItems, which Windows XP brought: looked up by name once per process, in a
// shell32.dll that the process has already loaded. Marking the look-up as made with a function of
// one's own puts that function in the shell's place.
using OpenFolderFunction = HRESULT(WINAPI*)(LPCITEMIDLIST folder, UINT count, LPCITEMIDLIST* items, DWORD flags);
struct ShellLookup {
    bool made = false;
    OpenFolderFunction openFolder = nullptr;
};
extern ShellLookup OpenFolderLookup;

}  // namespace sprig
