#pragma once

#include <windows.h>

// The module's own activation context (from its manifest resource 2), so its windows get
// comctl32 version 6 whatever the host's manifest says.
class CActivationContext
{
public:
    // Once, when the module is loaded; a null module or a missing manifest leaves none.
    static void Create(HMODULE module);
    static void Release();
    static HANDLE Get();
};

// Activates the module's context for one scope (nothing when there is none).
class CActivationScope
{
public:
    CActivationScope();
    ~CActivationScope();
    CActivationScope(const CActivationScope&) = delete;
    CActivationScope& operator=(const CActivationScope&) = delete;

private:
    ULONG_PTR m_cookie = 0;
    bool m_active = false;
};
