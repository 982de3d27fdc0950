#include "ui/FocusKeeper.h"

#include <commctrl.h>

#include <vector>

namespace
{
struct Page
{
    HWND page;
    HWND root;  // the host's top-level window, subclassed while it holds a page
    HWND focus; // in the page, when its top-level window was last deactivated
};

std::vector<Page> g_pages;
const UINT_PTR kSubclassId = 0x4E464B; // any number unique to this subclass

bool CanTakeFocus(const Page& page)
{
    return page.focus && IsChild(page.page, page.focus) && IsWindowVisible(page.focus) && IsWindowEnabled(page.focus);
}

bool HoldsPage(HWND root)
{
    for (const Page& page : g_pages)
    {
        if (page.root == root)
            return true;
    }
    return false;
}

// A subclass of the top-level window, not a hook: a hook on sent messages would make every
// message the thread sends pay for it. The host's window handles the activation first, as a
// plain window's activation sets the focus.
// Gives the focus back to the page of `root` that had it, when nothing of the host's has it.
void Restore(HWND root)
{
    // By index: a focus change runs code that may register or unregister a page.
    for (size_t i = 0; i < g_pages.size(); ++i)
    {
        const HWND focus = GetFocus();
        if (g_pages[i].root == root && (!focus || focus == root) && CanTakeFocus(g_pages[i]))
            SetFocus(g_pages[i].focus);
    }
}

LRESULT CALLBACK RootProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR /*data*/)
{
    // Asked for below: the activation has settled by now.
    static const UINT recheck = RegisterWindowMessageW(L"norvik.FocusKeeper.Recheck");
    if (message == recheck && recheck)
    {
        if (GetActiveWindow() == hwnd)
            Restore(hwnd);
        return 0;
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message != WM_ACTIVATE)
        return result;
    if (LOWORD(wParam) != WA_INACTIVE)
    {
        Restore(hwnd);
        // A window that had the focus (a message box's button) may still be letting it go
        // while its owner is activated; once it has, the focus is on nothing.
        PostMessageW(hwnd, recheck, 0, 0);
        return result;
    }
    const HWND focus = GetFocus();
    for (Page& page : g_pages)
    {
        if (page.root == hwnd)
            page.focus = focus && IsChild(page.page, focus) ? focus : nullptr;
    }
    return result;
}
} // namespace

bool CFocusKeeper::Register(HWND page)
{
    const HWND root = GetAncestor(page, GA_ROOT);
    if (!root || root == page)
        return false;
    if (!HoldsPage(root) && !SetWindowSubclass(root, &RootProc, kSubclassId, 0))
        return false;
    g_pages.push_back({page, root, nullptr});
    return true;
}

void CFocusKeeper::Unregister(HWND page)
{
    for (auto it = g_pages.begin(); it != g_pages.end(); ++it)
    {
        if (it->page != page)
            continue;
        const HWND root = it->root;
        g_pages.erase(it);
        // A destroyed window has lost its subclasses with it.
        if (!HoldsPage(root) && IsWindow(root))
            RemoveWindowSubclass(root, &RootProc, kSubclassId);
        return;
    }
}
