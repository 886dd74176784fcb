// The dialog's remembered settings: read from the live dialog, kept per user under
// HKEY_CURRENT_USER\Software\Tarn's Tools\Sprig!, and put back into the next dialog.
#pragma once

#include <windows.h>

#include "catalogue/Catalogue.h"
#include "dialog/core/Layout.h"
#include "dialog/core/SettingsRules.h"

namespace sprig {

// Held by the dialog, which hands each operation the window and what else it reads: the catalogue
// for its project list (project box item k + 1 is ProjectList entry k) and the client size the
// dialog measured before any setting was applied. No operation reports a failure: what cannot be
// read, stored or set is left as it was.
struct DialogSettings : StoredSettings {
    // Takes the window's placement (kept within the largest trackable size), the column widths,
    // the chosen project, the filter text and the view choice from the dialog.
    void CaptureFromDialog(HWND window, const Catalogue& catalogue, ClientSize reference);
    // Replaces the fields by the stored values where they exist. Once the key is there, a string
    // that is not becomes absent, while a number that is not keeps its value.
    void LoadFromRegistry();
    // Places the window where it can be seen, at a size of use, and sets the controls; called
    // while the window still has its template's size. Applying is set meanwhile,
    // so that the dialog's change handlers leave the refresh to the dialog.
    void ApplyToDialog(HWND window, const Catalogue& catalogue);
    // Writes all nine values, creating the key if needed.
    void SaveToRegistry() const;

    bool Applying = false;
};

}  // namespace sprig
