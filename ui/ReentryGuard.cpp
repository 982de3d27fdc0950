#include "ui/ReentryGuard.h"

#include <utility>

CReentryGuard::CReentryGuard(CReentryCounter& counter) : m_counter(counter), m_generation(counter.Generation())
{
    ++m_counter.m_depth;
}

bool CReentryGuard::End()
{
    if (!std::exchange(m_ended, true))
        --m_counter.m_depth;
    return m_counter.Generation() == m_generation;
}
