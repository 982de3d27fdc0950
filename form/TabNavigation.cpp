#include "form/TabNavigation.h"

namespace
{
HWND FirstEnabledFrom(HWND window, HWND from, BOOL previous)
{
    if (!from)
        return nullptr;
    HWND candidate = GetNextDlgTabItem(window, from, previous);
    const HWND first = candidate;
    while (candidate && !IsWindowEnabled(candidate))
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
