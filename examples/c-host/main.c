/* A host of norvik.dll in plain C: one window with a field of its own and the editor page.
 * The module is loaded at run time (no import library), gets the host's services as a table
 * of callbacks, and is asked before the window closes whether there is something to save. */
#include <windows.h>

#include <wchar.h>

#include "norvik/norvik.h"

static HWND g_field;
static NorvikActivateFunction g_activate;
static NorvikVoidFunction g_close;
static NorvikIntFunction g_save;
static NorvikIntFunction g_changed;

/* The two-call rule: the whole length is returned, at most `capacity` characters written. */
static uint32_t CopyText(const wchar_t* text, wchar_t* buffer, uint32_t capacity)
{
    const uint32_t length = (uint32_t)wcslen(text);
    if (capacity > 0)
    {
        const uint32_t copied = length < capacity ? length : capacity - 1;
        wmemcpy(buffer, text, copied);
        buffer[copied] = L'\0';
    }
    return length;
}

/* The settings file beside the program; a real host gives a folder of its own. */
static uint32_t NORVIK_CALL GetSettingsFolder(void* context, wchar_t* buffer, uint32_t capacity)
{
    wchar_t path[MAX_PATH] = L"";
    wchar_t* slash;
    (void)context;
    GetModuleFileNameW(NULL, path, MAX_PATH);
    slash = wcsrchr(path, L'\\');
    if (slash)
        slash[1] = L'\0';
    return CopyText(path, buffer, capacity);
}

static uint32_t NORVIK_CALL GetVersionText(void* context, wchar_t* buffer, uint32_t capacity)
{
    (void)context;
    return CopyText(L"1.0", buffer, capacity);
}

static int NORVIK_CALL GetModuleVersion(void* context, uint32_t index, wchar_t* name, uint32_t nameCapacity,
                                        uint32_t* nameLength, wchar_t* version, uint32_t versionCapacity,
                                        uint32_t* versionLength)
{
    static const wchar_t* const modules[][2] = {{L"c-host.exe", L"1.0"}, {L"norvik.dll", L"1.0.0.0"}};
    (void)context;
    if (index >= sizeof(modules) / sizeof(modules[0]))
        return 0;
    *nameLength = CopyText(modules[index][0], name, nameCapacity);
    *versionLength = CopyText(modules[index][1], version, versionCapacity);
    return 1;
}

/* Shift+Tab from the page's first control: back to the host's own field. */
static void NORVIK_CALL FocusPrevious(void* context)
{
    (void)context;
    SetFocus(g_field);
}

/* An export by name: through void (*)(void), which C lets stand for any function. */
typedef void (*AnyFunction)(void);
static AnyFunction Export(HMODULE module, const char* name)
{
    return module ? (AnyFunction)GetProcAddress(module, name) : NULL;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT client;
    switch (message)
    {
    case WM_CREATE:
        GetClientRect(window, &client);
        g_field = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 4, 4, 200, 24,
                                  window, NULL, NULL, NULL);
        return g_activate(window, 0, 32, client.right, client.bottom) ? 0 : -1;
    case WM_CLOSE:
        if (g_changed())
        {
            const int answer =
                MessageBoxW(window, L"Save the hosts file?", L"C host", MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL || (answer == IDYES && !g_save()))
                return 0;
        }
        g_close();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show)
{
    NorvikHost host = {0};
    HMODULE norvik = LoadLibraryW(L"norvik.dll");
    NorvikInitFunction init = (NorvikInitFunction)Export(norvik, "NorvikInit");
    WNDCLASSW windowClass = {0};
    MSG msg;
    (void)previous;
    (void)commandLine;
    g_activate = (NorvikActivateFunction)Export(norvik, "Activate");
    g_close = (NorvikVoidFunction)Export(norvik, "CloseHostEditor");
    g_save = (NorvikIntFunction)Export(norvik, "SaveHosts");
    g_changed = (NorvikIntFunction)Export(norvik, "IsHostsChanged");
    host.size = sizeof(host);
    host.getSettingsFolder = GetSettingsFolder;
    host.getVersionText = GetVersionText;
    host.getModuleVersion = GetModuleVersion;
    host.focusPrevious = FocusPrevious;
    if (!init || !g_activate || !g_close || !g_save || !g_changed || !init(&host))
        return 1;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(NULL, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"NorvikCHost";
    RegisterClassW(&windowClass);
    if (!CreateWindowExW(0, L"NorvikCHost", L"Hosts (C host)", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                         CW_USEDEFAULT, CW_USEDEFAULT, 760, 560, NULL, NULL, instance, NULL))
        return 1;
    (void)show;
    /* The page's keys need nothing here: the module sees them before dispatch. */
    while (GetMessageW(&msg, NULL, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
