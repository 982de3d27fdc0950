#include "ui/MemoryDc.h"

CMemoryDc::CMemoryDc(HDC target, const RECT& rect, COLORREF background) : m_target(target), m_rect(rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width > 0 && height > 0)
    {
        m_dc.Reset(CreateCompatibleDC(target));
        m_bitmap.Reset(CreateCompatibleBitmap(target, width, height));
    }
    if (!m_dc || !m_bitmap)
    {
        // Without memory for the bitmap, paint straight onto the target.
        m_dc.Reset();
        m_bitmap.Reset();
    }
    else
    {
        m_previousBitmap = SelectObject(m_dc.Get(), m_bitmap.Get());
        // Drawing code keeps using the target's coordinates.
        SetWindowOrgEx(m_dc.Get(), rect.left, rect.top, nullptr);
    }
    const CBrush brush(CreateSolidBrush(background));
    FillRect(Get(), &rect, brush.Get());
}

CMemoryDc::~CMemoryDc()
{
    if (!m_dc)
        return;
    BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_dc.Get(),
           m_rect.left, m_rect.top, SRCCOPY);
    SelectObject(m_dc.Get(), m_previousBitmap);
}
