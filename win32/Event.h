#pragma once

#include "win32/UniqueHandle.h"

#include <windows.h>

enum class EventReset
{
    Manual,    // stays set until reset
    Automatic, // a wait that sees it set resets it
};

// Owns a Win32 event. Empty when it could not be made: then Set and Reset fail and Wait never
// sees it set.
class CEvent
{
public:
    CEvent() = default;
    explicit CEvent(EventReset reset, bool initiallySet = false)
        : m_handle(CreateEventW(nullptr, reset == EventReset::Manual, initiallySet, nullptr))
    {
    }

    explicit operator bool() const { return m_handle.IsValid(); }
    // For the waits of several objects at once.
    HANDLE Get() const { return m_handle.Get(); }

    bool Set() const { return m_handle && SetEvent(m_handle.Get()); }
    bool Reset() const { return m_handle && ResetEvent(m_handle.Get()); }
    // True when the event is set within `milliseconds`.
    bool Wait(DWORD milliseconds = INFINITE) const
    {
        return m_handle && WaitForSingleObject(m_handle.Get(), milliseconds) == WAIT_OBJECT_0;
    }
    // True when set now; resets an automatic event, as any wait does.
    bool IsSet() const { return Wait(0); }

private:
    CKernelHandle m_handle;
};
