#include "ui/ReentryGuard.h"

CReentryGuard::CReentryGuard(CReentryCounter& counter, HWND page)
    : m_counter(counter), m_generation(counter.Generation()), m_page(page)
{
    ++m_counter.m_depth;
    const HWND focus = GetFocus();
    if (m_page && focus && IsChild(m_page, focus))
        m_focus = focus;
}

bool CReentryGuard::End()
{
    const bool survived = m_counter.Generation() == m_generation;
    if (m_ended)
        return survived;
    m_ended = true;
    --m_counter.m_depth;
    // Only into the same page, and only where a user could have put it.
    if (survived && m_focus && IsWindow(m_page) && IsChild(m_page, m_focus) && IsWindowVisible(m_focus) &&
        IsWindowEnabled(m_focus))
        SetFocus(m_focus);
    return survived;
}
