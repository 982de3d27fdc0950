// The nine exports and the module's load and unload.
#define NORVIK_BUILDING_MODULE
#include "norvik/norvik.h"
#include "norvik/NorvikApi.h"

#include "form/HostsEditorForm.h"
#include "form/TabNavigation.h"
#include "module/HostTable.h"
#include "ui/ActivationContext.h"
#include "ui/ExceptionBarrier.h"

#include <commctrl.h>

#include <memory>

namespace
{
HMODULE g_module = nullptr;
std::unique_ptr<CHostsEditorForm> g_form;
// A C host's table behind the form's host interfaces; lives as long as the form that uses it.
std::unique_ptr<CHostTable> g_hostTable;

// The form for these host objects, in place of the one there was; false, with the old one
// kept, while the old one's own code waits below the host's (a question, a dialog).
bool MakeForm(std::unique_ptr<CHostTable> table, IEditorHost* host, IEditorFocusHandler* focusHandler)
{
    if (g_form && g_form->InHostCode())
        return false;
    CActivationScope scope;
    g_form.reset();
    g_hostTable = std::move(table);
    // Every common control class the page and its dialogs use, the IP address and link included.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                                           ICC_INTERNET_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    g_form = std::make_unique<CHostsEditorForm>(g_module, host, focusHandler);
    return true;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason)
    {
    case DLL_PROCESS_ATTACH:
        g_module = instance;
        DisableThreadLibraryCalls(instance);
        CActivationContext::Create(instance);
        break;
    case DLL_PROCESS_DETACH:
        // At process exit the other threads are gone already; tearing the form down then
        // would wait for nothing and touch windows of a dying process.
        if (!reserved)
        {
            g_form.reset();
            g_hostTable.reset();
        }
        else
        {
            (void)g_form.release();
            (void)g_hostTable.release();
        }
        CActivationContext::Release();
        break;
    default:
        break;
    }
    return TRUE;
}

NORVIK_API bool Init(IEditorHost* host, IEditorFocusHandler* focusHandler)
{
    return CatchAtBoundary(false, [&] { return MakeForm(nullptr, host, focusHandler); });
}

int NORVIK_CALL NorvikInit(const NorvikHost* host)
{
    return CatchAtBoundary(0, [&] {
        std::unique_ptr<CHostTable> table = CHostTable::Take(host);
        if (!table)
            return 0;
        CHostTable* services = table.get();
        return MakeForm(std::move(table), services, services) ? 1 : 0;
    });
}

NORVIK_API HWND Activate(HWND parent, int left, int top, int right, int bottom)
{
    return CatchAtBoundary(HWND(nullptr), [&]() -> HWND {
        if (!g_form)
            return nullptr;
        CActivationScope scope;
        // Each form gets its window on its first activation, a form made by a later Init included.
        if (!g_form->Hwnd())
        {
            const RECT rect = {left, top, right, bottom};
            if (!g_form->CreateIn(parent, rect))
                return nullptr;
        }
        else
        {
            g_form->ShowAgain();
        }
        return g_form->Hwnd();
    });
}

NORVIK_API void Deactivate()
{
    CatchAtBoundary([] {
        if (g_form)
            g_form->Deactivate();
    });
}

NORVIK_API void CloseHostEditor()
{
    CatchAtBoundary([] {
        if (g_form)
            g_form->Close();
    });
}

NORVIK_API int SaveHosts()
{
    return CatchAtBoundary(0, [] { return g_form && g_form->Save() ? 1 : 0; });
}

NORVIK_API int IsHostsChanged()
{
    return CatchAtBoundary(0, [] {
        if (!g_form || g_form->IsLoading())
            return 0;
        return g_form->IsContentModified() || g_form->IsReadOnlyModified() ? 1 : 0;
    });
}

NORVIK_API HWND GetFirstFormControl()
{
    return CatchAtBoundary(HWND(nullptr), [] {
        return g_form && g_form->Hwnd() ? CTabNavigation::FirstEnabledTabStop(g_form->Hwnd()) : nullptr;
    });
}

NORVIK_API HWND GetLastFormControl()
{
    return CatchAtBoundary(HWND(nullptr), [] {
        return g_form && g_form->Hwnd() ? CTabNavigation::LastEnabledTabStop(g_form->Hwnd()) : nullptr;
    });
}
