#include "ui/FocusKeeper.h"

#include "win32/ModuleThread.h"

#include <commctrl.h>

#include <algorithm>
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

// Subclassed windows, each with the window procedure it had once the subclass was on.
struct Root
{
    HWND hwnd;
    LONG_PTR procedure;
};
std::vector<Root> g_roots;

std::vector<Root>::iterator FindRoot(HWND root)
{
    return std::find_if(g_roots.begin(), g_roots.end(), [root](const Root& known) { return known.hwnd == root; });
}

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

// The page is inside `root` now, not only registered with it.
bool IsIn(const Page& page, HWND root)
{
    return page.root == root && GetAncestor(page.page, GA_ROOT) == root;
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
        if (IsIn(g_pages[i], root) && (!focus || focus == root) && CanTakeFocus(g_pages[i]))
            SetFocus(g_pages[i].focus);
    }
}

// Pages registered with `root` that a host moved to another top-level window since.
void FollowMovedPages(HWND root)
{
    std::vector<HWND> moved;
    for (const Page& page : g_pages)
    {
        if (page.root == root && !IsIn(page, root))
            moved.push_back(page.page);
    }
    for (HWND page : moved)
        CFocusKeeper::Follow(page);
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
    // The window takes its subclasses with it.
    if (message == WM_NCDESTROY)
    {
        if (const auto root = FindRoot(hwnd); root != g_roots.end())
            g_roots.erase(root);
    }
    if (message != WM_ACTIVATE)
        return result;
    FollowMovedPages(hwnd);
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
        if (IsIn(page, hwnd))
            page.focus = focus && IsChild(page.page, focus) ? focus : nullptr;
    }
    return result;
}

bool Subclass(HWND root)
{
    if (FindRoot(root) != g_roots.end())
        return true;
    if (!SetWindowSubclass(root, &RootProc, kSubclassId, 0))
        return false;
    g_roots.push_back({root, GetWindowLongPtrW(root, GWLP_WNDPROC)});
    return true;
}

void ReleaseRoot(HWND root)
{
    const auto it = FindRoot(root);
    if (HoldsPage(root) || it == g_roots.end())
        return;
    // A host that set a window procedure of its own over ours would lose it with the last
    // subclass (comctl32 then puts back the procedure it found): ours stays, passing every
    // message on, and so must its code.
    if (GetWindowLongPtrW(root, GWLP_WNDPROC) != it->procedure)
    {
        PinModule();
        return;
    }
    RemoveWindowSubclass(root, &RootProc, kSubclassId);
    g_roots.erase(it);
}
} // namespace

bool CFocusKeeper::Register(HWND page)
{
    const HWND root = GetAncestor(page, GA_ROOT);
    if (!root || root == page)
        return false;
    if (!Subclass(root))
        return false;
    g_pages.push_back({page, root, nullptr});
    return true;
}

void CFocusKeeper::Follow(HWND page)
{
    const HWND root = GetAncestor(page, GA_ROOT);
    for (Page& registered : g_pages)
    {
        if (registered.page != page)
            continue;
        if (!root || root == page || root == registered.root || !Subclass(root))
            return;
        const HWND old = registered.root;
        registered.root = root;
        registered.focus = nullptr;
        ReleaseRoot(old);
        return;
    }
}

void CFocusKeeper::Unregister(HWND page)
{
    for (auto it = g_pages.begin(); it != g_pages.end(); ++it)
    {
        if (it->page != page)
            continue;
        const HWND root = it->root;
        g_pages.erase(it);
        ReleaseRoot(root);
        return;
    }
}
