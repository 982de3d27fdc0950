#pragma once

#include <windows.h>

// Stops a window's painting for a burst of changes and repaints it once at the end. A hidden
// window is left alone: turning redraw back on would mark it visible.
class CRedrawPause
{
public:
    explicit CRedrawPause(HWND window)
        : m_window(window && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) ? window : nullptr)
    {
        if (m_window)
            SendMessageW(m_window, WM_SETREDRAW, FALSE, 0);
    }
    ~CRedrawPause()
    {
        if (!m_window)
            return;
        SendMessageW(m_window, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_window, nullptr, TRUE);
    }
    CRedrawPause(const CRedrawPause&) = delete;
    CRedrawPause& operator=(const CRedrawPause&) = delete;

private:
    HWND m_window;
};
