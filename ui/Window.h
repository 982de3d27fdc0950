#pragma once

#include <windows.h>

#include <string>

// A window handle with the few operations the layer needs; owns nothing.
class CWindow
{
public:
    CWindow(HWND hwnd = nullptr) : m_hwnd(hwnd) {}

    HWND Hwnd() const { return m_hwnd; }
    explicit operator bool() const { return m_hwnd != nullptr; }

    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    std::wstring GetText() const;
    void SetText(const std::wstring& text) const { SetWindowTextW(m_hwnd, text.c_str()); }
    bool IsVisible() const { return IsWindowVisible(m_hwnd) != FALSE; }
    void Show(int command) const { ShowWindow(m_hwnd, command); }
    bool IsEnabled() const { return IsWindowEnabled(m_hwnd) != FALSE; }
    void Enable(bool enable) const { EnableWindow(m_hwnd, enable); }
    RECT ClientRect() const;
    // The window's rectangle in its parent's client coordinates.
    RECT RectInParent() const;
    // How wide `text` is in the window's font, in pixels.
    int TextWidth(const std::wstring& text) const;
    // At least `width` wide, growing to the left: the right edge stays where it is.
    void WidenLeftward(int width) const;

    static std::wstring GetText(HWND hwnd);

protected:
    HWND m_hwnd;
};
