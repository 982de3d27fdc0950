#pragma once

#include <windows.h>

// Tab stops of a dialog in the order the dialog manager uses for Tab.
class CTabNavigation
{
public:
    // The first enabled tab stop, starting after the last child; null when there is none.
    static HWND FirstEnabledTabStop(HWND window);
    // The last enabled tab stop, starting before the first child; null when there is none.
    static HWND LastEnabledTabStop(HWND window);
};
