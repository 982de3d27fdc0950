#include "ui/FocusKeeper.h"

#include <vector>

namespace
{
struct Page
{
    HWND page;
    HWND focus; // in the page, when its top-level window was last deactivated
};

std::vector<Page> g_pages;
HHOOK g_hook = nullptr;

bool CanTakeFocus(const Page& page)
{
    return page.focus && IsChild(page.page, page.focus) && IsWindowVisible(page.focus) && IsWindowEnabled(page.focus);
}

// After the window has handled the message: a plain window's activation has set the focus.
LRESULT CALLBACK CallWndRetProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_ACTIVATE)
    {
        for (Page& page : g_pages)
        {
            if (GetAncestor(page.page, GA_ROOT) != call->hwnd)
                continue;
            const HWND focus = GetFocus();
            if (LOWORD(call->wParam) == WA_INACTIVE)
                page.focus = focus && IsChild(page.page, focus) ? focus : nullptr;
            else if ((!focus || focus == call->hwnd) && CanTakeFocus(page))
                SetFocus(page.focus);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
} // namespace

bool CFocusKeeper::Register(HWND page)
{
    if (!g_hook)
        g_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &CallWndRetProc, nullptr, GetCurrentThreadId());
    if (!g_hook)
        return false;
    g_pages.push_back({page, nullptr});
    return true;
}

void CFocusKeeper::Unregister(HWND page)
{
    for (auto it = g_pages.begin(); it != g_pages.end(); ++it)
    {
        if (it->page == page)
        {
            g_pages.erase(it);
            break;
        }
    }
    if (g_pages.empty() && g_hook)
    {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}
