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
LRESULT CALLBACK RootProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR /*data*/)
{
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message != WM_ACTIVATE)
        return result;
    // By index: a focus change runs code that may register or unregister a page.
    for (size_t i = 0; i < g_pages.size(); ++i)
    {
        Page& page = g_pages[i];
        if (page.root != hwnd)
            continue;
        const HWND focus = GetFocus();
        if (LOWORD(wParam) == WA_INACTIVE)
            page.focus = focus && IsChild(page.page, focus) ? focus : nullptr;
        else if ((!focus || focus == hwnd) && CanTakeFocus(page))
            SetFocus(page.focus);
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
