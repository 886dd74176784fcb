// The modal dialog "Open File(s) in Solution": it owns the catalogue of the solution's files,
// shows it in an owner-data list that narrows at every keystroke in the filter box, and lays its
// controls out anew when it is resized.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <oaidl.h>

#include <exception>
#include <iterator>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "win/ComPtr.h"
#include "win/Owners.h"
#include "win/ThreadPool.h"
#include "catalogue/Catalogue.h"
#include "catalogue/SolutionView.h"
#include "dialog/core/Layout.h"
#include "dialog/ResultListView.h"
#include "dialog/Settings.h"
#include "filter/Filter.h"

namespace sprig {

class CSprig;

// One resizable control and where it stood when the dialog started.
struct LayoutAnchor {
    HWND control = nullptr;
    std::uint32_t flags = 0;
    LayoutRect reference{};
};

// The filter edit's own window procedure, kept while the dialog sends its navigation keys on to
// the list.
struct SubclassRecord {
    CSprig* dialog;
    HWND window;
    WNDPROC previous;
};

// Every subclassed filter edit of the process, in the order they were hooked. Only the
// user-interface thread touches it.
extern std::vector<std::unique_ptr<SubclassRecord>> SubclassRegistry;

class CSprig {
public:
    // Takes a reference on the environment's root object (DTE2) for the dialog's life, for
    // opening and exploring files, and catalogues the open solution through `view` (the walk's
    // view onto that same root) before any window exists.
    CSprig(ComPtr<IDispatch> root, SolutionView& view);
    ~CSprig();
    CSprig(const CSprig&) = delete;
    CSprig& operator=(const CSprig&) = delete;

    // Runs the dialog modally, owned by `owner`, and answers how it ended: 1 Open, 0 open by a
    // double-click, 2 Cancel, 205 Explore, -1 when the window system could not make it. An
    // exception raised while the dialog ran (memory exhausted) ends the dialog and leaves from
    // here, never through the window system's frames.
    INT_PTR DoModal(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK FilterEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnCommand(int control, int code);
    INT_PTR OnNotify(NMHDR& header);
    // Gives the window system `result` for the message being handled.
    INT_PTR Answer(LRESULT result);
    INT_PTR OnInitDialog();
    void OnDestroy();
    void OnSize(int width, int height);
    void LoadDialogIcon();
    void HookFilterEdit(HWND edit);
    void FillProjectBox();
    void RefreshResults();
    void OnColumnClick(int column);
    void OnListGetDispInfo(NMLVDISPINFOW& info) const;
    void OnListGetInfoTip(NMLVGETINFOTIPW& tip) const;
    const FileEntry* RowFile(int row) const;

    // The window-system side: the window while it exists, the icon it shows, and an exception
    // caught in the dialog procedure on its way out of DoModal.
    HWND window_ = nullptr;
    Icon icon_;
    std::exception_ptr failure_;

    bool Initializing = true;
    DialogSettings settings_;
    ClientSize ReferenceClientSize;
    LayoutAnchor anchors_[std::size(AnchorTable)];
    ComPtr<IDispatch> root_;
    // ProjectList, ProjectPathPool, FileList and ResultList; member destruction frees their
    // storage in the reverse order, after the destructor has cleared them.
    Catalogue catalogue_;
    // The query the rows on screen were chosen by: its terms for drawing what they matched, and
    // the line the files are to be opened at (0 for none).
    ParsedFilter shownFilter_;
    std::int32_t shownLine_ = 0;
    MatchHighlighter highlighter_;
    // The threads that test files beside this one while the dialog is shown; DoModal ends them
    // before it returns.
    std::optional<ThreadPool> threads_;
};

}  // namespace sprig
