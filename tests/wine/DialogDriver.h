// Runs the real dialog modally on the test's thread and drives it from a second thread the way a
// person would: typed characters and keys go through the dialog's message loop, clicks land on
// controls at their coordinates, and what the controls show is read back through their messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/Sprig.h"
#include "solution/model/SolutionModel.h"

namespace sprig::testing {

// A notification or command that reached the dialog: the sender's identifier and its code.
struct Notice {
    UINT_PTR control;
    UINT code;
    bool operator==(const Notice& other) const { return control == other.control && code == other.code; }
};

// A text buffer of `size` units as a control hands it out, filled beforehand and followed by guard
// units, so that what was written, and where, can be seen.
struct TextProbe {
    static constexpr wchar_t Fill = L'#';
    static constexpr int Guard = 8;
    explicit TextProbe(int size) : size(size), units(static_cast<std::size_t>(size + Guard), Fill) {}
    int size;
    std::vector<wchar_t> units;
};

class DialogDriver {
public:
    DialogDriver(HWND dialog, DWORD uiThread) : dialog_(dialog), uiThread_(uiThread) {}

    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }

    // Posted input, handled by the dialog's own loop in order; Sync waits until it has been.
    void Type(std::u16string_view text, int control);
    void Key(UINT key, int control);
    void KeyTo(UINT key, HWND window);
    void ClickHeader(int column);
    // A double click at a point of the list's client area.
    void DoubleClickList(POINT at);
    // A left click at a point of `window`'s client area.
    void Click(HWND window, POINT at);
    void ClickButton(int id);
    void Close();
    void Sync();

    // Sets the dialog's client area to width × height pixels, frame around it.
    void ResizeClient(int width, int height);

    // Read back.
    HWND Focus() const;
    std::wstring Title() const;
    std::wstring Text(int control) const;
    DWORD Selection(int control) const;  // EM_GETSEL: start in the low word, end in the high one
    int RowCount() const;
    std::vector<int> SelectedRows() const;
    int FocusedRow() const;
    std::wstring CellText(int row, int column) const;
    RECT ClientRect(int control) const;  // the control's window rectangle in dialog client coordinates
    SIZE DialogClientSize() const;
    std::vector<std::wstring> ProjectItems() const;
    bool Received(Notice notice) const;

    // The dialog's answer to a text request (LVN_GETDISPINFOW or LVN_GETINFOTIPW for a row and
    // column), sent as the list would send it.
    TextProbe AskDialog(UINT code, int item, int column, int size) const;
    // A cell's text asked of the list view (LVM_GETITEMTEXTW) into a buffer of `size` units.
    TextProbe AskList(int row, int column, int size) const;

private:
    void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND dialog_;
    DWORD uiThread_;
};

// Runs `show`, which runs the dialog modally on this thread, while `script` drives it from a
// second thread, and answers what `show` answers. The script must end the dialog; if it does not
// within a few seconds of returning, or the whole run takes longer than `limitMs`, the dialog is
// closed and the test fails, so that a fault never hangs the test run. An exception that ends the
// dialog passes on once all is cleaned up. A dialog that never shows fails the test, unless
// `mayEndUnshown`: then `show` ending without one skips the script.
INT_PTR DriveModal(const std::function<INT_PTR()>& show, const std::function<void(DialogDriver&)>& script,
                   DWORD limitMs = 20000, bool mayEndUnshown = false);

// DriveModal for the dialog built over `model`, served through the stand-in COM objects: answers
// its end code.
// The dialog over `model` served as COM objects, catalogued through the add-in's dispatch view as
// the command does; only the dialog's own reference on the root is left when it returns.
CSprig ModelDialog(model::SolutionModel& model);

INT_PTR RunDialog(model::SolutionModel& model, const std::function<void(DialogDriver&)>& script, DWORD limitMs = 20000);

}  // namespace sprig::testing
