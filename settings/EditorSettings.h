#pragma once

#include <string>

// The one choice kept between runs: whether a skin is in use and which file it is.
class CEditorSettings
{
public:
    // Defaults, or what the file holds; a bad or outdated file is reported and rewritten.
    void ReadSettings();
    // False only when the file cannot be opened for writing.
    bool WriteSettings();
    // Skin off and no skin file, written at once.
    bool ResetSettings();

    // Empty without a host: nothing is read and every write fails.
    std::wstring m_strSettingsFile;
    bool m_bSkinEnabled = false;
    std::wstring m_strSkinFile;
    // The user asked for the default look; carried out when the editor closes.
    bool m_bSkinResetPending = false;
};
