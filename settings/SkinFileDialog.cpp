#include "settings/SkinFileDialog.h"

#include "resources/Texts.h"

#include <commdlg.h>

#include <vector>

bool ChooseSkinFile(HWND owner, std::wstring& path)
{
    // Room for several chosen files: the folder, then each name, each ended by a zero.
    std::vector<wchar_t> names(32768, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = texts::kSkinFilter;
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.Flags =
        OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog))
        return false;
    // Several files come as the folder followed by the names.
    path = names.data();
    const wchar_t* firstName = names.data() + path.size() + 1;
    if (dialog.nFileOffset > path.size() && *firstName)
        path = path + (path.back() == L'\\' ? L"" : L"\\") + firstName;
    return true;
}
