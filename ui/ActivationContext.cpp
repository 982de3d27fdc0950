#include "ui/ActivationContext.h"

namespace
{
HANDLE g_context = INVALID_HANDLE_VALUE;
}

void CActivationContext::Create(HMODULE module)
{
    Release();
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = module;
    context.lpResourceName = MAKEINTRESOURCEW(2);
    g_context = CreateActCtxW(&context);
}

void CActivationContext::Release()
{
    if (g_context != INVALID_HANDLE_VALUE)
        ReleaseActCtx(g_context);
    g_context = INVALID_HANDLE_VALUE;
}

HANDLE CActivationContext::Get()
{
    return g_context;
}

CActivationScope::CActivationScope()
{
    const HANDLE context = CActivationContext::Get();
    if (context != INVALID_HANDLE_VALUE)
        m_active = ActivateActCtx(context, &m_cookie) != FALSE;
}

CActivationScope::~CActivationScope()
{
    if (m_active)
        DeactivateActCtx(0, m_cookie);
}
