#pragma once

#include <windows.h>

#include <commctrl.h>

// How wide a list view's column must be for `caption` to show whole in its header: the text in
// the list's font, and three edges of padding on either side, as the header draws it.
inline int HeaderCaptionWidth(HWND list, const wchar_t* caption)
{
    return ListView_GetStringWidth(list, caption) + 6 * GetSystemMetrics(SM_CXEDGE);
}
