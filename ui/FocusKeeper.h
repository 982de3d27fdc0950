#pragma once

#include <windows.h>

// A page's keyboard focus across the deactivations of the host's top-level window. A dialog
// gives its controls their focus back when it is activated again; a plain top-level window
// takes the focus itself, so a page inside one would lose it after every message box it shows,
// and whenever the window manager or the user activates the window anew. Once the host's window
// is active again with the focus on nothing of its own, the page's window that had it gets it.
class CFocusKeeper
{
public:
    static bool Register(HWND page);
    static void Unregister(HWND page);
    // The page's top-level window as it is now: a host may have moved the page to another one.
    static void Follow(HWND page);
};
