// The editor as a user meets it, on the real norvik.dll with a blocklist hosts file of the
// size asked for: time from Activate to the table filled and Refresh enabled, time of
// SaveHosts after one toggled entry (the load's first save, with its backup) and after a second
// one (none), of Refresh, of the first switch to the text view and of a
// typed character there, of a Ctrl+V of the file's lines into the table, of Ctrl+A and Space on
// every row and of deleting the first half and every other row (up to 1,000,000 lines), the longest the host's window kept a user
// waiting meanwhile, and the process's memory. Run under Wine (or Windows), one process per size:
//   editor_wine_bench.exe [LINES [RUNS [RESERVE_MB]]]     (200000, 5 and 0 by default)
// RESERVE_MB of address space is reserved up front, as a host with big data of its own has:
// with enough of it a 32-bit load runs out of memory.
// A load that fails (out of memory) shows the page's message box: it is printed and answered,
// and what the process does afterwards is the result. Every wait has a limit; a wait that
// runs out ends the process with exit code 4 and says what it waited for.
#include "BackupFiles.h"
#include "SampleHostsFile.h"
#include "StallMeter.h"
#include "Watchdog.h"

#include "norvik/NorvikModule.h"
#include "resources/resource.h"
#include "win32/UniqueHandle.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace
{
const int kCrashed = 5;

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

struct WindowTraits
{
    using Type = HWND;
    static Type Empty() { return nullptr; }
    static void Close(Type hwnd) { ::DestroyWindow(hwnd); }
};
using CWindowHandle = CUniqueHandle<WindowTraits>;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Reserved, never committed: takes address space, not memory. Given back when it goes.
class CReservedSpace
{
public:
    explicit CReservedSpace(int megabytes)
    {
        for (int left = megabytes; left > 0; --left)
        {
            void* reserved = VirtualAlloc(nullptr, size_t(1) << 20, MEM_RESERVE, PAGE_NOACCESS);
            if (!reserved)
                break;
            m_blocks.push_back(reserved);
        }
    }
    ~CReservedSpace()
    {
        for (void* block : m_blocks)
            VirtualFree(block, 0, MEM_RELEASE);
    }
    CReservedSpace(const CReservedSpace&) = delete;
    CReservedSpace& operator=(const CReservedSpace&) = delete;
    int Megabytes() const { return static_cast<int>(m_blocks.size()); }

private:
    std::vector<void*> m_blocks;
};
// A crash would otherwise bring up Wine's crash dialog and wait for a click.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    std::printf("crashed: exception 0x%08lx at %p\n",
                static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                exception->ExceptionRecord->ExceptionAddress);
    std::printf("peak working set: %.1f MB\n", ReadMemory().peak);
    std::printf("result: outcome=crashed\n");
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kCrashed);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Everything this thread has to do now, as a host's loop would do it.
void PumpPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A new period for the stall meter: its wait in flight, begun by what came before, ends first.
void NewStallPeriod(CStallMeter& meter)
{
    const double end = Now() + 0.06;
    while (Now() < end)
    {
        PumpPending();
        Sleep(5);
    }
    meter.TakeLongest();
}

// The longest stall of the period that ends now: the wait in flight is answered once the
// host's loop runs again.
double SettledStall(CStallMeter& meter)
{
    const double end = Now() + 0.03;
    while (Now() < end)
        PumpPending();
    return meter.TakeLongest();
}

// A click on a toolbar button, as a user's mouse gives it, and all it does at once.
void Click(HWND toolbar, UINT id)
{
    RECT rect = {};
    SendMessageW(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect));
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(toolbar, WM_LBUTTONUP, 0, point);
    PumpPending();
}

// Pumps this thread's messages as a host's loop does, until `done`; the watchdog sets the limit.
template <class Done>
void Pump(Done done)
{
    while (!done())
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool SetDataBasePath(const std::wstring& folder)
{
    CRegKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.Get(), L"DataBasePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                          static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Written a block at a time: the whole file held here would count in the peak working set.
bool WriteSampleFile(const std::wstring& path, int lines, uint64_t& size)
{
    CFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    CSampleHostsLines sample(lines);
    std::string block;
    size = 0;
    while (!sample.Done())
    {
        block.clear();
        sample.AppendTo(block, 1 << 20);
        DWORD written = 0;
        if (!WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr) ||
            written != block.size())
            return false;
        size += written;
    }
    return true;
}

bool IsEnabled(HWND toolbar, UINT command)
{
    return SendMessageW(toolbar, TB_ISBUTTONENABLED, command, 0) != 0;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// Prints the message boxes seen so far; true when there were any.
bool PrintBoxes(const char* what, const CWatchdog& watchdog)
{
    const std::vector<SeenBox> boxes = watchdog.Boxes();
    for (const SeenBox& box : boxes)
        std::printf("%s: %s (message box \"%s\")\n", what, Narrow(box.text).c_str(), Narrow(box.caption).c_str());
    return !boxes.empty();
}

std::string Field(const char* name, double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof(text), " %s=%.*f", name, decimals, value);
    return text;
}

bool PutOnClipboard(HWND owner, const std::string& text)
{
    const std::wstring wide(text.begin(), text.end());
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory || !OpenClipboard(owner))
        return false;
    std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    const bool put = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    return put;
}

// A key with Ctrl held, queued for `window` as the keyboard would queue it.
void PostControlKey(HWND window, WPARAM key)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(window, WM_KEYDOWN, key, 0);
    PumpPending();
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
}

// Rows deleted with the Delete key and Yes, and Discard after: the first half, or every other
// row. They are selected through the list's own procedure, past the page's subclass, as fast as
// the list allows: only the time from the answer to the table without them counts.
double DeleteRows(HWND table, HWND toolbar, CWatchdog& watchdog, CStallMeter& meter, bool everyOther, double& stall,
                  double& stallBefore)
{
    const int rows = static_cast<int>(SendMessageW(table, LVM_GETITEMCOUNT, 0, 0));
    const auto list = reinterpret_cast<WNDPROC>(GetClassLongPtrW(table, GCLP_WNDPROC));
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    CallWindowProcW(list, table, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    int chosen = 0;
    for (int row = 0; row < (everyOther ? rows : rows / 2); row += everyOther ? 2 : 1, ++chosen)
        CallWindowProcW(list, table, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    // The wait before the question (gathering the rows) apart from the one after the answer.
    NewStallPeriod(meter);
    watchdog.AnswerYes(true, [&] { stallBefore = meter.TakeLongest(); });
    SetFocus(table);
    PostMessageW(table, WM_KEYDOWN, VK_DELETE, 0);
    Pump([&] {
        return SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) == rows - chosen && IsEnabled(toolbar, ID_SAVE_CHANGES);
    });
    const double took = Now() - watchdog.AnsweredYesAt();
    stall = SettledStall(meter);
    watchdog.AnswerYes(false);
    Click(toolbar, ID_DISCARD_CHANGES);
    Pump([&] { return SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) == rows; });
    return took;
}

int ParseCount(int argc, char** argv, int index, int fallback, int least)
{
    if (argc <= index)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(argv[index], &end, 10);
    return *end == '\0' && value >= least && value <= 100000000 ? static_cast<int>(value) : -1;
}
} // namespace

int main(int argc, char** argv)
{
    const int lines = ParseCount(argc, argv, 1, 200000, 1);
    const int runs = ParseCount(argc, argv, 2, 5, 1);
    const int reserve = ParseCount(argc, argv, 3, 0, 0);
    if (lines < 0 || runs < 0 || reserve < 0 || argc > 4)
    {
        std::fprintf(stderr, "usage: editor_wine_bench.exe [LINES [RUNS [RESERVE_MB]]]\n");
        return 2;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&ReportCrash);
    // About a minute for a small file, five for 3,000,000 lines on a busy machine.
    const auto limit = std::chrono::seconds(60 + static_cast<long long>(lines) * 80 / 1000000);

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"norvik-editor-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\hosts";
    uint64_t size = 0;
    if (!SetDataBasePath(folder) || !WriteSampleFile(path, lines, size))
    {
        std::fprintf(
            stderr, "cannot prepare the hosts file (this changes the prefix's DataBasePath: use a throwaway prefix)\n");
        return 1;
    }
    const double fileMegabytes = static_cast<double>(size) / kMegabyte;
    std::printf("hosts file: %d lines, %.1f MB (%llu bytes); %d runs; %d-bit process\n", lines, fileMegabytes,
                static_cast<unsigned long long>(size), runs, static_cast<int>(sizeof(void*) * 8));
    std::fflush(stdout);

    CNorvikModule norvik;
    if (!norvik.Load())
    {
        std::fprintf(stderr, "norvik.dll not found\n");
        return 1;
    }
    const CWindowHandle window(CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                               900, 700, nullptr, nullptr, nullptr, nullptr));
    CBenchHost host;
    host.folder = folder + L"\\";
    const CReservedSpace reserved(reserve);
    if (reserve)
        std::printf("address space reserved up front: %d MB of %d asked\n", reserved.Megabytes(), reserve);
    CWatchdog watchdog;
    const Memory before = ReadMemory();

    std::vector<double> loads;
    std::vector<double> saves;
    std::vector<double> savesAgain;
    std::vector<double> saveStalls;
    std::vector<double> refreshes;
    std::vector<double> loadStalls;
    std::vector<double> refreshStalls;
    std::vector<double> typing;
    double textSwitch = -1;
    double paste = -1;
    int pasted = 0;
    double flipAll = -1;
    double deleteHalf = -1;
    double deleteHalfStall = -1;
    double deleteOther = -1;
    double deleteOtherStall = -1;
    double deleteHalfAsking = -1;
    double deleteOtherAsking = -1;
    double textStall = -1;
    CStallMeter meter(window.Get());
    Memory afterLoad;
    Memory afterSave;
    int rows = 0;
    std::string outcome = "ok";
    for (int run = 0; run < runs && outcome == "ok"; ++run)
    {
        watchdog.Expect("Init to return", limit);
        if (!norvik.Init(&host, &host))
        {
            std::printf("Init failed\n");
            return 1;
        }
        watchdog.Expect("the table filled and Refresh enabled after Activate", limit);
        NewStallPeriod(meter);
        const double start = Now();
        const HWND page = norvik.Activate(window.Get(), 0, 0, 880, 680);
        const HWND toolbar = FindWindowExW(page, nullptr, TOOLBARCLASSNAMEW, nullptr);
        const HWND table = GetDlgItem(page, IDC_HOSTS_TABLE);
        if (!page || !toolbar || !table)
        {
            std::printf("Activate gave no page with a toolbar and a table\n");
            return 1;
        }
        // Refresh comes back when the load has ended, also when it failed and its box was answered.
        Pump([&] { return IsEnabled(toolbar, ID_REFRESH); });
        const double loaded = Now() - start;
        watchdog.Met();
        if (run == 0)
            afterLoad = ReadMemory();
        if (PrintBoxes("load failed", watchdog))
        {
            std::printf("the failed load ended after %.0f ms\n", loaded * 1000);
            outcome = "load-failed";
            break;
        }
        loads.push_back(loaded);
        loadStalls.push_back(meter.TakeLongest());
        rows = static_cast<int>(SendMessageW(table, LVM_GETITEMCOUNT, 0, 0));
        if (rows == 0)
        {
            std::printf("the table is empty after the load\n");
            return 1;
        }

        // One entry flipped with Space, as a user does it, and saved: the load's first save,
        // which keeps a backup; then another entry, saved again: no backup.
        for (int row = 0; row < 2; ++row)
        {
            watchdog.Expect("Save changes enabled after Space on an entry", limit);
            LVITEMW item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(table, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
            SetFocus(table);
            PostMessageW(table, WM_KEYDOWN, VK_SPACE, 0);
            Pump([&] { return IsEnabled(toolbar, ID_SAVE_CHANGES); });
            watchdog.Expect("SaveHosts to return", limit);
            NewStallPeriod(meter);
            const double saveStart = Now();
            const int saved = norvik.SaveHosts();
            const double saveTime = Now() - saveStart;
            watchdog.Met();
            const double stall = SettledStall(meter);
            if (row == 0)
                saveStalls.push_back(stall);
            if (run == 0 && row == 0)
                afterSave = ReadMemory();
            if (PrintBoxes("save failed", watchdog) || !saved)
            {
                std::printf("SaveHosts returned %d after %.0f ms\n", saved, saveTime * 1000);
                outcome = "save-failed";
            }
            else
            {
                (row == 0 ? saves : savesAgain).push_back(saveTime);
            }
        }
        // Refresh of the file just saved: no question, a new load.
        watchdog.Expect("Refresh to end", std::chrono::seconds(900));
        NewStallPeriod(meter);
        const double refreshStart = Now();
        Click(toolbar, ID_REFRESH);
        Pump([&] { return IsEnabled(toolbar, ID_REFRESH) && SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) > 0; });
        refreshes.push_back(Now() - refreshStart);
        refreshStalls.push_back(meter.TakeLongest());
        watchdog.Met();
        // The text view once, after the figures above: a character typed at the end, taken back.
        if (run == 0 && lines <= 1000000)
        {
            watchdog.Expect("the switch to the text view", std::chrono::seconds(900));
            NewStallPeriod(meter);
            const HWND edit = GetDlgItem(page, IDC_HOSTS_TEXT);
            const double switchStart = Now();
            Click(toolbar, ID_VIEW_AS_TEXT);
            Pump([&] { return IsWindowVisible(edit) && IsEnabled(toolbar, ID_VIEW_AS_TABLE); });
            textSwitch = Now() - switchStart;
            textStall = meter.TakeLongest();
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
            for (const WPARAM key : {WPARAM('x'), WPARAM(VK_BACK), WPARAM('y'), WPARAM(VK_BACK), WPARAM('z')})
            {
                const double typed = Now();
                SendMessageW(edit, WM_CHAR, key, 0);
                PumpPending();
                typing.push_back(Now() - typed);
            }
            SendMessageW(edit, WM_CHAR, VK_BACK, 0);
            Click(toolbar, ID_VIEW_AS_TABLE);
            watchdog.Met();
            if (PrintBoxes("text view", watchdog))
                outcome = "text-view-asked";
        }

        // The file's own lines pasted into the table with Ctrl+V, once, then discarded.
        if (run == 0 && lines <= 1000000)
        {
            watchdog.Expect("the pasted entries in the table", limit);
            std::string text;
            CSampleHostsLines(lines).AppendTo(text, SIZE_MAX);
            if (!PutOnClipboard(window.Get(), text))
                std::printf("the clipboard took no text\n");
            SetFocus(table);
            const double pasteStart = Now();
            PostControlKey(table, 'V');
            Pump([&] { return IsEnabled(toolbar, ID_SAVE_CHANGES); });
            paste = Now() - pasteStart;
            pasted = static_cast<int>(SendMessageW(table, LVM_GETITEMCOUNT, 0, 0)) - rows;
            Click(toolbar, ID_DISCARD_CHANGES);
            Pump([&] { return SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) == rows; });
            // Every entry flipped: Ctrl+A, then Space.
            watchdog.Expect("every entry flipped", limit);
            const double flipStart = Now();
            PostControlKey(table, 'A');
            PostMessageW(table, WM_KEYDOWN, VK_SPACE, 0);
            Pump([&] { return IsEnabled(toolbar, ID_SAVE_CHANGES); });
            flipAll = Now() - flipStart;
            Click(toolbar, ID_DISCARD_CHANGES);
            watchdog.Expect("the first half of the rows deleted", limit);
            deleteHalf = DeleteRows(table, toolbar, watchdog, meter, false, deleteHalfStall, deleteHalfAsking);
            watchdog.Expect("every other row deleted", limit);
            deleteOther = DeleteRows(table, toolbar, watchdog, meter, true, deleteOtherStall, deleteOtherAsking);
            watchdog.Met();
        }

        watchdog.Expect("CloseHostEditor to return", limit);
        norvik.CloseHostEditor();
        watchdog.Met();
    }
    if (outcome == "load-failed")
    {
        watchdog.Expect("CloseHostEditor to return after the failed load", limit);
        norvik.CloseHostEditor();
        watchdog.Met();
    }
    watchdog.Expect("Init(nullptr, nullptr) to return", limit);
    norvik.Init(nullptr, nullptr);
    watchdog.Met();
    const Memory closed = ReadMemory();

    std::string result =
        "result: lines=" + std::to_string(lines) + Field("file_mb", fileMegabytes, 1) + " outcome=" + outcome;
    if (rows)
        std::printf("table rows: %d\n", rows);
    if (!loads.empty())
    {
        std::printf("Activate to table filled and Refresh enabled: median %.0f ms (first %.0f ms) of %zu\n",
                    Median(loads) * 1000, loads.front() * 1000, loads.size());
        result += Field("load_ms", Median(loads) * 1000, 0) + Field("load_first_ms", loads.front() * 1000, 0);
    }
    if (!saves.empty())
    {
        std::printf("SaveHosts after one toggle, keeping a backup: median %.0f ms (first %.0f ms) of %zu; "
                    "longest wait of the host's window %.0f ms\n",
                    Median(saves) * 1000, saves.front() * 1000, saves.size(), Median(saveStalls));
        result += Field("save_ms", Median(saves) * 1000, 0) + Field("save_first_ms", saves.front() * 1000, 0) +
                  Field("save_stall_ms", Median(saveStalls), 0);
    }
    if (!savesAgain.empty())
    {
        std::printf("SaveHosts of another toggle in the same load, no backup: median %.0f ms of %zu\n",
                    Median(savesAgain) * 1000, savesAgain.size());
        result += Field("save_again_ms", Median(savesAgain) * 1000, 0);
    }
    if (!refreshes.empty())
    {
        std::printf("Refresh to table filled and Refresh enabled: median %.0f ms of %zu\n", Median(refreshes) * 1000,
                    refreshes.size());
        result += Field("refresh_ms", Median(refreshes) * 1000, 0);
    }
    if (!loadStalls.empty())
    {
        std::printf("longest wait of the host's window: load %.0f ms, Refresh %.0f ms (medians)\n", Median(loadStalls),
                    Median(refreshStalls.empty() ? loadStalls : refreshStalls));
        result += Field("load_stall_ms", Median(loadStalls), 0);
        if (!refreshStalls.empty())
            result += Field("refresh_stall_ms", Median(refreshStalls), 0);
    }
    if (textSwitch >= 0)
    {
        std::printf("switch to the text view: %.0f ms, longest wait of the host's window %.0f ms\n", textSwitch * 1000,
                    textStall);
        std::printf("a typed character in the text view: median %.1f ms of %zu\n", Median(typing) * 1000,
                    typing.size());
        result += Field("text_ms", textSwitch * 1000, 0) + Field("text_stall_ms", textStall, 0) +
                  Field("char_ms", Median(typing) * 1000, 1);
    }
    if (paste >= 0)
    {
        std::printf("Ctrl+V of the file's %d lines (%d entries) to the rows in the table: %.0f ms\n", lines, pasted,
                    paste * 1000);
        result += Field("paste_ms", paste * 1000, 0);
        std::printf("Ctrl+A and Space on every row: %.0f ms\n", flipAll * 1000);
        result += Field("flip_all_ms", flipAll * 1000, 0);
        std::printf("Delete, Yes, to the table without them: the first half %.0f ms (longest wait %.0f ms, before the "
                    "question %.0f ms), every other row %.0f ms (longest wait %.0f ms, before the question %.0f ms)\n",
                    deleteHalf * 1000, deleteHalfStall, deleteHalfAsking, deleteOther * 1000, deleteOtherStall,
                    deleteOtherAsking);
        result +=
            Field("delete_half_ms", deleteHalf * 1000, 0) + Field("delete_half_stall_ms", deleteHalfStall, 0) +
            Field("delete_half_asking_ms", deleteHalfAsking, 0) + Field("delete_other_ms", deleteOther * 1000, 0) +
            Field("delete_other_stall_ms", deleteOtherStall, 0) + Field("delete_other_asking_ms", deleteOtherAsking, 0);
    }
    std::printf("working set before the first Activate: %.1f MB\n", before.current);
    std::printf("peak working set after the first load: %.1f MB\n", afterLoad.peak);
    result += Field("peak_load_mb", afterLoad.peak, 1);
    if (afterSave.peak > 0)
    {
        std::printf("peak working set after the first save: %.1f MB\n", afterSave.peak);
        result += Field("peak_save_mb", afterSave.peak, 1);
    }
    std::printf("working set after CloseHostEditor and Init(nullptr, nullptr): %.1f MB\n", closed.current);
    result += Field("ws_closed_mb", closed.current, 1) + Field("ws_before_mb", before.current, 1);
    if (outcome != "ok")
        std::printf("the host process survived the failed %s: the box was answered and the page closed\n",
                    outcome == "load-failed" ? "load" : "save");
    std::printf("%s\n", result.c_str());
    RemoveBackups(path);
    return 0;
}
