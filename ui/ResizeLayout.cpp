#include "ui/ResizeLayout.h"

#include "ui/Window.h"

#include <cmath>

void CResizeLayout::Attach(HWND parent)
{
    m_parent = parent;
    const RECT client = CWindow(parent).ClientRect();
    m_initialSize = {client.right - client.left, client.bottom - client.top};
    m_items.clear();
}

void CResizeLayout::Add(HWND control, Anchor anchor)
{
    if (control)
        m_items.push_back({control, CWindow(control).RectInParent(), anchor});
}

void CResizeLayout::Apply() const
{
    if (!m_parent || m_items.empty())
        return;
    const RECT client = CWindow(m_parent).ClientRect();
    const double growX = (client.right - client.left) - m_initialSize.cx;
    const double growY = (client.bottom - client.top) - m_initialSize.cy;
    HDWP positions = BeginDeferWindowPos(static_cast<int>(m_items.size()));
    for (const Item& item : m_items)
    {
        const int left = item.initial.left + static_cast<int>(std::lround(growX * item.anchor.left));
        const int top = item.initial.top + static_cast<int>(std::lround(growY * item.anchor.top));
        const int right = item.initial.right + static_cast<int>(std::lround(growX * item.anchor.right));
        const int bottom = item.initial.bottom + static_cast<int>(std::lround(growY * item.anchor.bottom));
        // Repainted where they land: bits copied from the old place can carry a neighbour's
        // pixels when several controls move at once.
        if (positions)
            positions = DeferWindowPos(positions, item.control, nullptr, left, top, right - left, bottom - top,
                                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (positions)
        EndDeferWindowPos(positions);
}

void CResizeLayout::SetTop(HWND control, int top)
{
    for (Item& item : m_items)
    {
        if (item.control == control)
            item.initial.top = top;
    }
}

void CResizeLayout::Rescale(int to, int from)
{
    if (to <= 0 || from <= 0 || to == from)
        return;
    const auto scale = [to, from](LONG& length) { length = MulDiv(length, to, from); };
    scale(m_initialSize.cx);
    scale(m_initialSize.cy);
    for (Item& item : m_items)
    {
        scale(item.initial.left);
        scale(item.initial.top);
        scale(item.initial.right);
        scale(item.initial.bottom);
    }
}
