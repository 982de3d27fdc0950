#include "ui/KeyPreprocessor.h"

#include "ui/ExceptionBarrier.h"

#include <vector>

namespace
{
struct Registration
{
    HWND root;
    IKeyPreTranslator* translator;
    DWORD thread;
};

std::vector<Registration> g_registrations;
HHOOK g_hook = nullptr;
DWORD g_hookThread = 0;

LRESULT CALLBACK GetMessageProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE)
    {
        MSG& message = *reinterpret_cast<MSG*>(lParam);
        if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST)
        {
            for (const Registration& registration : g_registrations)
            {
                if (message.hwnd != registration.root && !IsChild(registration.root, message.hwnd))
                    continue;
                // A key that stopped in an exception has been handled as far as it went.
                if (CatchAtBoundary(true, [&] { return registration.translator->PreTranslateMessage(message); }))
                    message.message = WM_NULL;
                break;
            }
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
} // namespace

bool CKeyPreprocessor::Register(HWND root, IKeyPreTranslator* translator)
{
    const DWORD thread = GetWindowThreadProcessId(root, nullptr);
    if (!g_hook)
    {
        g_hook = SetWindowsHookExW(WH_GETMESSAGE, &GetMessageProc, nullptr, thread);
        g_hookThread = thread;
    }
    // One GUI thread: the hook sees only the messages of the thread it was set on.
    if (!g_hook || thread != g_hookThread)
        return false;
    g_registrations.push_back({root, translator, thread});
    return true;
}

void CKeyPreprocessor::Unregister(HWND root)
{
    for (auto it = g_registrations.begin(); it != g_registrations.end(); ++it)
    {
        if (it->root == root)
        {
            g_registrations.erase(it);
            break;
        }
    }
    if (g_registrations.empty() && g_hook)
    {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
        g_hookThread = 0;
    }
}
