#include "ui/Window.h"

std::wstring CWindow::GetText(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

std::wstring CWindow::GetText() const
{
    return GetText(m_hwnd);
}

RECT CWindow::ClientRect() const
{
    RECT rect = {};
    GetClientRect(m_hwnd, &rect);
    return rect;
}

RECT CWindow::RectInParent() const
{
    RECT rect = {};
    GetWindowRect(m_hwnd, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
