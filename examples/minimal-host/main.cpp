// The smallest host of norvik.dll: one window whose client area is the editor page.
#include "norvik/NorvikApi.h"

#include <windows.h>

namespace
{
class CHost : public IEditorHost, public IEditorFocusHandler
{
public:
    void ApplySkin(const std::wstring&) override {}
    // The module's settings file goes beside the program; a real host gives its own folder.
    std::wstring GetSettingsFolder() override
    {
        wchar_t path[MAX_PATH] = {};
        const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
        return program.substr(0, program.find_last_of(L'\\') + 1);
    }
    std::wstring GetVersionText() override { return L"1.0"; }
    std::map<std::wstring, std::wstring> GetModuleVersions() override { return {{L"minimal-host.exe", L"1.0"}}; }
    void FocusPrevious() override {}
};

CHost g_host;
HWND g_page = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CREATE:
    {
        if (!Init(&g_host, &g_host))
            return -1;
        RECT client;
        GetClientRect(window, &client);
        g_page = Activate(window, 0, 0, client.right, client.bottom);
        return g_page ? 0 : -1;
    }
    case WM_SIZE:
        MoveWindow(g_page, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_CLOSE:
        // Unsaved edits are the user's: ask before they go.
        if (IsHostsChanged())
        {
            const int answer = MessageBoxW(window, L"Save the changes to the hosts file?", L"Minimal host",
                                           MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL || (answer == IDYES && !SaveHosts()))
                return 0;
        }
        CloseHostEditor();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"NorvikMinimalHost";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, windowClass.lpszClassName, L"Minimal host",
                                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 800, 500,
                                        nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    // The page pre-processes its own keys: a plain loop is enough.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
