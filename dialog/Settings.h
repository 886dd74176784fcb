// The dialog's remembered settings: read from the live dialog, kept per user under
// HKEY_CURRENT_USER\Software\Tarn's Tools\Sprig!, and put back into the next dialog.
#pragma once

#include "dialog/core/SettingsRules.h"

namespace sprig {

class CSprig;

// Held by the dialog it reads and sets. No operation reports a failure: what cannot be read,
// stored or set is left as it was.
struct DialogSettings : StoredSettings {
    explicit DialogSettings(CSprig& owner) : owner(owner) {}

    // Takes the window's placement (kept within the largest trackable size), the column widths,
    // the chosen project, the filter text and the view choice from the dialog.
    void CaptureFromDialog();
    // Replaces the fields by the stored values where they exist. Once the key is there, a string
    // that is not becomes absent, while a number that is not keeps its value.
    void LoadFromRegistry();
    // Places the window and sets the controls. Applying is set meanwhile, so that the dialog's
    // change handlers leave the refresh to the dialog.
    void ApplyToDialog();
    // Writes all nine values, creating the key if needed.
    void SaveToRegistry() const;

    CSprig& owner;
    bool Applying = false;
};

}  // namespace sprig
