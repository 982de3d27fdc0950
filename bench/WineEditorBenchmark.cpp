// The editor as a user meets it, on the real norvik.dll with a 200,000-line hosts file: time
// from Activate to the table filled and the toolbar enabled, time of SaveHosts after one
// toggled entry, and the process's peak working set. Run under Wine (or Windows).
#include "SampleHostsFile.h"

#include "hosts/FileReplacer.h"
#include "module/NorvikModule.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace
{
class CBenchHost : public IEditorHost, public IEditorFocusHandler
{
public:
    void ApplySkin(const std::wstring&) override {}
    std::wstring GetSettingsFolder() override { return folder; }
    std::wstring GetVersionText() override { return L"bench"; }
    std::map<std::wstring, std::wstring> GetModuleVersions() override { return {}; }
    void FocusPrevious() override {}
    std::wstring folder;
};


double Now()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Pumps this thread's messages as a host's loop does, until `done` or a minute passes.
template <class Done>
bool Pump(Done done)
{
    const ULONGLONG end = GetTickCount64() + 60000;
    while (!done())
    {
        if (GetTickCount64() > end)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool SetDataBasePath(const std::wstring& folder)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExW(key, L"DataBasePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                   static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
} // namespace

int main()
{
    const int runs = 5;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"norvik-editor-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string bytes = MakeSampleHostsFile(200000);
    const std::wstring path = folder + L"\\hosts";
    if (!SetDataBasePath(folder) || ReplaceFileContents(path, bytes) != WriteResult::Ok)
    {
        std::fprintf(stderr, "cannot prepare the hosts file (this changes the prefix's DataBasePath: use a throwaway prefix)\n");
        return 1;
    }

    CNorvikModule norvik;
    if (!norvik.Load())
    {
        std::fprintf(stderr, "norvik.dll not found\n");
        return 1;
    }
    const auto init = norvik.Init;
    const auto activate = norvik.Activate;
    const auto close = norvik.CloseHostEditor;
    const auto save = norvik.SaveHosts;

    const HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 900,
                                        700, nullptr, nullptr, nullptr, nullptr);
    CBenchHost host;
    host.folder = folder + L"\\";
    std::vector<double> loads;
    std::vector<double> saves;
    int rows = 0;
    for (int run = 0; run < runs; ++run)
    {
        if (!init(&host, &host))
            return 1;
        const double start = Now();
        const HWND page = activate(window, 0, 0, 880, 680);
        const HWND toolbar = FindWindowExW(page, nullptr, TOOLBARCLASSNAMEW, nullptr);
        const HWND table = GetDlgItem(page, IDC_HOSTS_TABLE);
        if (!Pump([&] { return SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_REFRESH, 0) != 0; }))
            return 1;
        loads.push_back(Now() - start);
        rows = static_cast<int>(SendMessageW(table, LVM_GETITEMCOUNT, 0, 0));

        // One entry flipped with Space, as a user does it.
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(table, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        SetFocus(table);
        PostMessageW(table, WM_KEYDOWN, VK_SPACE, 0);
        Pump([&] { return SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_SAVE_CHANGES, 0) != 0; });
        const double saveStart = Now();
        if (!save())
            return 1;
        saves.push_back(Now() - saveStart);
        close();
    }
    init(nullptr, nullptr);

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("hosts file: %zu bytes, %d table rows\n", bytes.size(), rows);
    std::printf("Activate to table filled and toolbar enabled: median %.0f ms (first %.0f ms) of %d\n",
                Median(loads) * 1000, loads.front() * 1000, runs);
    std::printf("SaveHosts after one toggle: median %.0f ms (first %.0f ms) of %d\n", Median(saves) * 1000,
                saves.front() * 1000, runs);
    std::printf("peak working set: %.1f MB\n", static_cast<double>(memory.PeakWorkingSetSize) / (1024 * 1024));
    DestroyWindow(window);
    return 0;
}
