#pragma once

#include "ui/GdiObject.h"

// Paints into an off-screen bitmap and copies it to the target in one step when it goes,
// so that nothing flickers. The bitmap starts filled with `background`.
class CMemoryDc
{
public:
    CMemoryDc(HDC target, const RECT& rect, COLORREF background);
    ~CMemoryDc();
    CMemoryDc(const CMemoryDc&) = delete;
    CMemoryDc& operator=(const CMemoryDc&) = delete;

    HDC Get() const { return m_dc.IsValid() ? m_dc.Get() : m_target; }

private:
    HDC m_target;
    RECT m_rect;
    CCompatibleDc m_dc;
    CBitmap m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;
};
