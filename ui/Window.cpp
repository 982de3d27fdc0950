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

int CWindow::TextWidth(const std::wstring& text) const
{
    const HDC dc = GetDC(m_hwnd);
    if (!dc)
        return 0;
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (previous)
        SelectObject(dc, previous);
    ReleaseDC(m_hwnd, dc);
    return size.cx;
}

void CWindow::WidenLeftward(int width) const
{
    const RECT rect = RectInParent();
    if (rect.right - rect.left >= width)
        return;
    SetWindowPos(m_hwnd, nullptr, rect.right - width, rect.top, width, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
