#include "ui/SubclassedWindow.h"

#include "ui/ExceptionBarrier.h"

#include <commctrl.h>

CSubclassedWindow::~CSubclassedWindow()
{
    if (m_hwnd && IsWindow(m_hwnd))
        Detach();
}

bool CSubclassedWindow::Attach(HWND hwnd)
{
    // The object is the subclass id too: two objects never share one entry of a window.
    if (m_hwnd || !hwnd ||
        !SetWindowSubclass(hwnd, &SubclassProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hwnd = hwnd;
    return true;
}

void CSubclassedWindow::Detach()
{
    if (!m_hwnd)
        return;
    RemoveWindowSubclass(m_hwnd, &SubclassProc, reinterpret_cast<UINT_PTR>(this));
    m_hwnd = nullptr;
}

LRESULT CSubclassedWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return DefSubclassProc(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassedWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                                 DWORD_PTR self)
{
    auto* window = reinterpret_cast<CSubclassedWindow*>(self);
    LRESULT result = 0;
    const bool answered = CatchAtBoundary(true, [&] { return window->OnMessage(message, wParam, lParam, result); });
    if (message == WM_NCDESTROY)
    {
        // The window's last message: nothing of ours may run for it after this.
        window->Detach();
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return answered ? result : DefSubclassProc(hwnd, message, wParam, lParam);
}
