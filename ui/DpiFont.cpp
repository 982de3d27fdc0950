#include "ui/DpiFont.h"

#include <utility>

namespace
{
HFONT FontOf(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
}

// Controls in either of two fonts get a third.
struct Change
{
    HFONT from[2];
    HFONT to;
};

BOOL CALLBACK ChangeFont(HWND control, LPARAM param)
{
    const auto& change = *reinterpret_cast<const Change*>(param);
    const HFONT font = FontOf(control);
    if (font && (font == change.from[0] || font == change.from[1]))
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(change.to), TRUE);
    return TRUE;
}
} // namespace

void CDpiFont::Attach(HWND window, UINT dpi)
{
    m_base = FontOf(window);
    m_baseDpi = dpi;
    m_dpi = dpi;
    // The controls holding the previous scaled font went with the previous window.
    m_scaled.Reset();
}

bool CDpiFont::Follow(HWND window, UINT dpi)
{
    if (dpi == m_dpi || !dpi || !m_baseDpi)
        return false;
    const HFONT current = FontOf(window);
    if (!current || current != m_base)
    {
        // The system rescaled the page and its controls: that font is the base from now on.
        m_base = current;
        m_baseDpi = dpi;
        m_dpi = dpi;
        return false;
    }
    LOGFONTW face = {};
    if (!GetObjectW(current, sizeof(face), &face))
        return false;
    // Scaled from the font the page was made with, so moves back and forth do not drift.
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(m_baseDpi));
    CFont scaled(CreateFontIndirectW(&face));
    if (!scaled)
        return false;
    Change change = {{m_base, m_scaled.Get()}, scaled.Get()};
    EnumChildWindows(window, &ChangeFont, reinterpret_cast<LPARAM>(&change));
    // The previous scaled font is in no control now.
    m_scaled = std::move(scaled);
    m_dpi = dpi;
    return true;
}
