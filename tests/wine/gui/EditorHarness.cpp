#include "EditorHarness.h"

#include "TestFiles.h"
#include "ui/GdiObject.h"
#include "win32/UniqueHandle.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

namespace
{
CMessageBoxWatcher* g_watcher = nullptr;
std::atomic<bool> g_watchdogFired{false};

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL CALLBACK PaintNow(HWND hwnd, LPARAM)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

HICON SystemIcon(LPCWSTR id)
{
    return LoadIconW(nullptr, id);
}
BOOL CALLBACK PrintAndCloseWindow(HWND hwnd, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(hwnd))
        return TRUE;
    wchar_t className[64] = {};
    wchar_t title[256] = {};
    wchar_t text[512] = {};
    GetClassNameW(hwnd, className, 64);
    GetWindowTextW(hwnd, title, 256);
    GetDlgItemTextW(hwnd, 0xFFFF, text, 512);
    std::fprintf(stderr, "  open window %ls \"%ls\" %ls\n", className, title, text);
    if (std::wstring(className) == L"#32770")
    {
        const int button = GetDlgItem(hwnd, IDCANCEL) ? IDCANCEL : GetDlgItem(hwnd, IDNO) ? IDNO : IDOK;
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    }
    return TRUE;
}

// A GUI test that waits for something that never comes (a message box nobody answers, a
// load that never ends) must fail the run, not hang it: after a minute the watchdog names
// the test and the windows left open and closes the dialogs; after two it ends the process.
class CHangWatchdog : public ::testing::EmptyTestEventListener
{
public:
    CHangWatchdog() : m_thread([this] { Watch(); }) {}
    ~CHangWatchdog() override
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_test = std::string(test.test_suite_name()) + "." + test.name();
        m_started = std::chrono::steady_clock::now();
        m_running = true;
        m_wake.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_running = false;
        m_wake.notify_all();
    }

    void Watch()
    {
        using namespace std::chrono;
        std::unique_lock<std::mutex> lock(m_lock);
        while (!m_stop)
        {
            if (!m_running)
            {
                m_wake.wait(lock);
                continue;
            }
            const auto started = m_started;
            if (m_wake.wait_until(lock, started + minutes(1),
                                  [&] { return m_stop || !m_running || m_started != started; }))
                continue;
            std::fprintf(stderr, "%s hangs after a minute\n", m_test.c_str());
            g_watchdogFired = true;
            EnumWindows(&PrintAndCloseWindow, 0);
            if (m_wake.wait_until(lock, started + minutes(2),
                                  [&] { return m_stop || !m_running || m_started != started; }))
                continue;
            std::fprintf(stderr, "%s still hangs; ending the run\n", m_test.c_str());
            std::fflush(stderr);
            ExitProcess(3);
        }
    }

    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_running = false;
    std::string m_test;
    std::chrono::steady_clock::time_point m_started;
    std::thread m_thread;
};

// gtest owns its listeners and deletes them at exit.
const bool g_watchdogInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CHangWatchdog);
    return true;
}();
} // namespace

bool HangWatchdogFired()
{
    return g_watchdogFired;
}

const CNorvikModule& NorvikExports()
{
    static const CNorvikModule module = [] {
        CNorvikModule loaded;
        loaded.Load();
        return loaded;
    }();
    return module;
}

void PumpPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;)
    {
        PumpPending();
        if (done())
            return true;
        if (GetTickCount64() >= end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

CMessageBoxWatcher::CMessageBoxWatcher()
{
    g_watcher = this;
    m_hook = SetWindowsHookExW(WH_CBT, &CbtProc, GetModuleHandleW(nullptr), 0);
}

CMessageBoxWatcher::~CMessageBoxWatcher()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    g_watcher = nullptr;
}

void CMessageBoxWatcher::QueueAnswer(int command)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_answers.push_back(command);
}

void CMessageBoxWatcher::Reset()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_answers.clear();
    m_seen.clear();
}

std::vector<SeenMessageBox> CMessageBoxWatcher::Seen() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_seen;
}

size_t CMessageBoxWatcher::Count() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_seen.size();
}

void CMessageBoxWatcher::OnOtherDialog(std::function<void(HWND)> handler)
{
    m_otherDialog = std::move(handler);
}

void CMessageBoxWatcher::Answer(const SeenMessageBox& box, int command)
{
    PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
}

LRESULT CALLBACK CMessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && g_watcher)
        g_watcher->OnDestroy(reinterpret_cast<HWND>(wParam));
    if (code == HCBT_ACTIVATE && g_watcher)
    {
        const HWND hwnd = reinterpret_cast<HWND>(wParam);
        wchar_t className[32] = {};
        GetClassNameW(hwnd, className, 32);
        // A message box is a dialog with its text in the static 0xFFFF.
        if (std::wstring(className) == L"#32770" && GetDlgItem(hwnd, 0xFFFF))
            g_watcher->OnActivate(hwnd);
        else if (std::wstring(className) == L"#32770" && g_watcher->m_otherDialog)
            g_watcher->m_otherDialog(hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CMessageBoxWatcher::OnDestroy(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_open.erase(hwnd);
}

void CMessageBoxWatcher::OnActivate(HWND hwnd)
{
    // Under a window manager a box can be activated more than once (the dialog below takes the
    // focus back for a moment when the manager's late focus event arrives): it is still one box.
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_open.insert(hwnd).second)
            return;
    }
    SeenMessageBox box;
    box.hwnd = hwnd;
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    box.caption = text;
    GetDlgItemTextW(hwnd, 0xFFFF, text, 1024);
    box.text = text;
    const bool yes = GetDlgItem(hwnd, IDYES) != nullptr;
    const bool no = GetDlgItem(hwnd, IDNO) != nullptr;
    const bool cancel = GetDlgItem(hwnd, IDCANCEL) != nullptr;
    if (yes && no)
        box.flags = cancel ? MB_YESNOCANCEL : MB_YESNO;
    else if (cancel)
        box.flags = MB_OKCANCEL;
    else
        box.flags = MB_OK;
    // The icon static is 0x14 on Windows and 0x440 on Wine.
    HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageW(hwnd, 0x14, STM_GETICON, 0, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(SendDlgItemMessageW(hwnd, 0x440, STM_GETICON, 0, 0));
    if (icon == SystemIcon(IDI_HAND))
        box.flags |= MB_ICONERROR;
    else if (icon == SystemIcon(IDI_QUESTION))
        box.flags |= MB_ICONQUESTION;
    else if (icon == SystemIcon(IDI_EXCLAMATION))
        box.flags |= MB_ICONWARNING;
    else if (icon == SystemIcon(IDI_ASTERISK))
        box.flags |= MB_ICONINFORMATION;

    int answer = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_seen.push_back(box);
        if (!m_answers.empty())
        {
            answer = m_answers.front();
            m_answers.erase(m_answers.begin());
        }
    }
    if (answer)
        Answer(box, answer);
}

CHostWindow::CHostWindow()
{
    static const ATOM windowClass = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &HostWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"NorvikTestHost";
        return RegisterClassExW(&wc);
    }();
    (void)windowClass;
    m_hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, L"NorvikTestHost", L"norvik test host",
                             WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 760, 560, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    m_field = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 200, 22,
                              m_hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    PumpPending();
}

CHostWindow& CHostWindow::Get()
{
    static CHostWindow window;
    return window;
}

DWORD RunThisProgram(const std::wstring& arguments)
{
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(nullptr, path, MAX_PATH))
        return ~0u;
    std::wstring commandLine = L"\"" + std::wstring(path) + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return ~0u;
    CKernelHandle processHandle(process.hProcess);
    CKernelHandle threadHandle(process.hThread);
    DWORD exitCode = ~0u;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &exitCode))
    {
        TerminateProcess(process.hProcess, 1);
        return ~0u;
    }
    return exitCode;
}

::testing::AssertionResult RunTestInChildProcess(const std::string& suite, const std::string& name)
{
    const testfiles::CTempFolder folder;
    const std::wstring report = folder / L"report.xml";
    const std::string filter = suite + "." + name;
    const DWORD exitCode =
        RunThisProgram(L"--gtest_also_run_disabled_tests --gtest_filter=" + std::wstring(filter.begin(), filter.end()) +
                       L" --gtest_output=xml:" + report);
    const std::optional<std::string> xml = testfiles::ReadBytes(report);
    if (!xml)
        return ::testing::AssertionFailure() << filter << ": the child (exit code " << exitCode << ") wrote no report";
    const size_t start = xml->find("<testcase name=\"" + name + "\"");
    const std::string testCase =
        start == std::string::npos ? std::string() : xml->substr(start, xml->find('>', start) - start);
    if (exitCode != 0 || xml->find("<testsuites tests=\"1\" failures=\"0\"") == std::string::npos ||
        testCase.find("status=\"run\" result=\"completed\"") == std::string::npos ||
        testCase.find("classname=\"" + suite + "\"") == std::string::npos)
        return ::testing::AssertionFailure()
               << filter << " did not run alone and pass in the child (exit code " << exitCode << "):\n"
               << *xml;
    return ::testing::AssertionSuccess();
}

CWindowSpy::CWindowSpy(HWND window, Handler handler) : m_state(new State{window, std::move(handler), false})
{
    m_state->set = SetWindowSubclass(window, &Proc, reinterpret_cast<UINT_PTR>(m_state.get()),
                                     reinterpret_cast<DWORD_PTR>(m_state.get())) != FALSE;
}

CWindowSpy::~CWindowSpy()
{
    if (m_state && m_state->set)
        RemoveWindowSubclass(m_state->window, &Proc, reinterpret_cast<UINT_PTR>(m_state.get()));
}

LRESULT CALLBACK CWindowSpy::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR state)
{
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    reinterpret_cast<State*>(state)->handler(message, wParam, lParam);
    return result;
}

HWND FindToolbar(HWND page)
{
    return FindWindowExW(page, nullptr, TOOLBARCLASSNAMEW, nullptr);
}

bool IsButtonEnabled(HWND toolbar, UINT id)
{
    return SendMessageW(toolbar, TB_ISBUTTONENABLED, id, 0) != 0;
}

bool IsButtonChecked(HWND toolbar, UINT id)
{
    return SendMessageW(toolbar, TB_ISBUTTONCHECKED, id, 0) != 0;
}

void ClickButton(HWND toolbar, UINT id)
{
    RECT rect = {};
    SendMessageW(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect));
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(toolbar, WM_LBUTTONUP, 0, point);
    PumpPending();
}

bool BringToFront(HWND window)
{
    // Under a window manager the request goes through it and takes effect a little later.
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        SetForegroundWindow(window);
        if (PumpUntil([window] { return GetForegroundWindow() == window; }, 2000))
            return true;
    }
    return false;
}

void SendKeys(WORD key, const std::vector<WORD>& modifiers)
{
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD code, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers)
        add(modifier, false);
    add(key, false);
    add(key, true);
    for (auto it = modifiers.end(); it != modifiers.begin();)
        add(*--it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void SendText(const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (const wchar_t c : text)
    {
        for (const bool up : {false, true})
        {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD key, const std::vector<WORD>& modifiers)
{
    // Input goes to the foreground window, and after a message box that may be another one.
    // The box's owner is activated when the window manager gets to it, and the focus comes back
    // with that activation: a user's next key waits for it too.
    HWND focus = GetFocus();
    if (!focus)
        PumpUntil([&focus] { return (focus = GetFocus()) != nullptr; }, 3000);
    if (!focus)
        ADD_FAILURE() << "no window of the test has the keyboard focus";
    else if (!BringToFront(GetAncestor(focus, GA_ROOT)))
        ADD_FAILURE() << "the window with the keyboard focus could not be brought to the front";
    SendKeys(key, modifiers);
    // As the host's loop does: the hook sees each message as it is taken from the queue. The
    // strokes are queued when SendInput returns; done once none is left.
    const ULONGLONG end = GetTickCount64() + 5000;
    for (;;)
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (!IsDialogMessageW(GetAncestor(message.hwnd, GA_ROOT), &message))
            {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        if (!GetInputState())
            break;
        if (GetTickCount64() >= end)
        {
            ADD_FAILURE() << "the key strokes were not all taken from the queue";
            break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpPending();
}

void SaveScreen(const char* name, DWORD settleMs, bool pump)
{
    const std::wstring folder = testfiles::EnvironmentValue(L"NORVIK_SCREENSHOTS");
    ASSERT_FALSE(folder.empty()) << "NORVIK_SCREENSHOTS is not set";
    // Painted: nothing left in the queue (unless the picture is of work in progress), and
    // every window of this thread drawn now.
    if (pump)
        PumpUntil([] { return !GetQueueStatus(QS_ALLINPUT); }, settleMs);
    EnumThreadWindows(GetCurrentThreadId(), &PaintNow, 0);
    GdiFlush();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = GetDC(nullptr);
    CCompatibleDc memory(CreateCompatibleDC(screen));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    CBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        const CSelectObject selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(height);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    bytes.append(static_cast<const char*>(bits), static_cast<size_t>(stride) * static_cast<size_t>(height));
    EXPECT_TRUE(testfiles::WriteBytes(folder + L"\\" + std::wstring(name, name + strlen(name)) + L".bmp", bytes));
}

RECT DialogUnits(HWND dialog, int x, int y, int width, int height)
{
    RECT units = {x, y, width, height};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

RECT RectInDialog(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
