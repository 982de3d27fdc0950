#include "form/TabNavigation.h"

namespace
{
bool IsEnabledTabStop(HWND window)
{
    return IsWindowEnabled(window) && (GetWindowLongW(window, GWL_STYLE) & WS_TABSTOP);
}

// With no enabled tab stop the dialog manager hands back the window it started from, which
// need not be a tab stop at all: then there is none.
HWND FirstEnabledFrom(HWND window, HWND from, BOOL previous)
{
    if (!from)
        return nullptr;
    HWND candidate = GetNextDlgTabItem(window, from, previous);
    const HWND first = candidate;
    while (candidate && !IsEnabledTabStop(candidate))
    {
        candidate = GetNextDlgTabItem(window, candidate, previous);
        if (candidate == first || candidate == from)
            return nullptr;
    }
    return candidate;
}
} // namespace

HWND CTabNavigation::FirstEnabledTabStop(HWND window)
{
    return FirstEnabledFrom(window, GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST), FALSE);
}

HWND CTabNavigation::LastEnabledTabStop(HWND window)
{
    return FirstEnabledFrom(window, GetWindow(window, GW_CHILD), TRUE);
}
