#pragma once

#include "ui/GdiObject.h"

#include <windows.h>

// A child dialog's controls drawn in a font of its screen's DPI. The system rescales a
// top-level dialog's font when it moves to a screen of another DPI; a page inside someone
// else's window is only told of the move, so it rescales its controls itself unless the
// system already gave the page a new font.
class CDpiFont
{
public:
    // `window` is drawn at `dpi`, in the font it holds now.
    void Attach(HWND window, UINT dpi);
    // `window` is drawn at `dpi` now. Unless its font changed meanwhile, every control under it
    // in that font gets the same face scaled to `dpi`. False when nothing was changed.
    bool Follow(HWND window, UINT dpi);

private:
    HFONT m_base = nullptr;
    UINT m_baseDpi = 0;
    UINT m_dpi = 0;
    CFont m_scaled;
};
