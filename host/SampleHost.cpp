// A sample host: a top-level window with controls of its own around the editor page, as a real
// host application embeds norvik.dll.
#include "norvik/NorvikModule.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
const int kMargin = 8;
const int kRowHeight = 24;
const UINT IDC_HOST_FILTER = 101;
const UINT IDC_HOST_CLOSE = 102;

std::wstring FileVersion(const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return L"unknown";
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return L"unknown";
    wchar_t text[64];
    swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
             HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return text;
}

std::wstring ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

std::wstring FileName(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

class CSampleHost : public IEditorHost, public IEditorFocusHandler
{
public:
    CNorvikModule m_norvik;
    HWND m_window = nullptr;
    HWND m_filter = nullptr;
    HWND m_close = nullptr;
    HWND m_status = nullptr;
    HWND m_page = nullptr;

    void ApplySkin(const std::wstring& skinFile) override
    {
        const std::wstring text = skinFile.empty() ? L"Skin: default look" : L"Skin: " + skinFile;
        SendMessageW(m_status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    std::wstring GetSettingsFolder() override
    {
        wchar_t base[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
            return std::wstring();
        std::wstring folder = std::wstring(base) + L"\\norvik sample host\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        return folder;
    }

    // The bare number: the About box puts its own "v" before it.
    std::wstring GetVersionText() override { return FileVersion(ModulePath(m_norvik.dll)); }

    std::map<std::wstring, std::wstring> GetModuleVersions() override
    {
        const std::wstring host = ModulePath(nullptr);
        const std::wstring dll = ModulePath(m_norvik.dll);
        return {{FileName(host), FileVersion(host)}, {FileName(dll), FileVersion(dll)}};
    }

    void FocusPrevious() override { SetFocus(m_filter); }

    RECT PageRect() const
    {
        RECT client;
        GetClientRect(m_window, &client);
        RECT status;
        GetWindowRect(m_status, &status);
        const int statusHeight = status.bottom - status.top;
        return {kMargin, kMargin + kRowHeight + kMargin, client.right - kMargin,
                client.bottom - statusHeight - kMargin - kRowHeight - kMargin};
    }

    void Layout()
    {
        SendMessageW(m_status, WM_SIZE, 0, 0);
        const RECT page = PageRect();
        MoveWindow(m_filter, kMargin, kMargin, 240, kRowHeight, TRUE);
        MoveWindow(m_close, page.right - 90, page.bottom + kMargin, 90, kRowHeight, TRUE);
        if (m_page)
            MoveWindow(m_page, page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
    }

    bool CloseEditor()
    {
        if (m_norvik.IsHostsChanged())
        {
            const int answer = MessageBoxW(m_window, L"The hosts file has unsaved changes. Save them?",
                                           L"norvik sample host", MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL || (answer == IDYES && !m_norvik.SaveHosts()))
                return false;
        }
        m_norvik.CloseHostEditor();
        return true;
    }
};

CSampleHost g_host;

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CREATE:
    {
        g_host.m_window = hwnd;
        const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        g_host.m_filter = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0,
                                          0, hwnd, reinterpret_cast<HMENU>(IDC_HOST_FILTER), nullptr, nullptr);
        g_host.m_close = CreateWindowExW(0, L"BUTTON", L"Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, hwnd,
                                         reinterpret_cast<HMENU>(IDC_HOST_CLOSE), nullptr, nullptr);
        g_host.m_status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd, nullptr,
                                          nullptr, nullptr);
        SendMessageW(g_host.m_filter, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SendMessageW(g_host.m_close, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SendMessageW(g_host.m_filter, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Host's own field"));
        g_host.ApplySkin(std::wstring());
        if (!g_host.m_norvik.Init(&g_host, &g_host))
            return -1;
        const RECT page = g_host.PageRect();
        g_host.m_page = g_host.m_norvik.Activate(hwnd, page.left, page.top, page.right, page.bottom);
        g_host.Layout();
        return 0;
    }
    case WM_SIZE:
        g_host.Layout();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_HOST_CLOSE)
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        if (g_host.CloseEditor())
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (!g_host.m_norvik.Load(L"norvik.dll"))
    {
        MessageBoxW(nullptr, L"norvik.dll could not be loaded.", L"norvik sample host", MB_OK | MB_ICONERROR);
        return 1;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &HostWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"NorvikSampleHost";
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, windowClass.lpszClassName, L"norvik sample host",
                                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 900, 600,
                                        nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        if (!IsDialogMessageW(window, &message))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    FreeLibrary(g_host.m_norvik.dll);
    return static_cast<int>(message.wParam);
}
