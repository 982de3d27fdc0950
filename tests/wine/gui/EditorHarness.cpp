#include "EditorHarness.h"

#include <commctrl.h>

namespace
{
template <class Function>
Function Proc(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

CMessageBoxWatcher* g_watcher = nullptr;

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HICON SystemIcon(LPCWSTR id)
{
    return LoadIconW(nullptr, id);
}
} // namespace

const NorvikExports& NorvikExports::Get()
{
    static const NorvikExports exports = [] {
        NorvikExports e;
        e.dll = LoadLibraryW(L"norvik.dll");
        if (!e.dll)
            return e;
        e.Init = Proc<InitFunction>(e.dll, "Init");
        e.Activate = Proc<ActivateFunction>(e.dll, "Activate");
        e.Deactivate = Proc<VoidFunction>(e.dll, "Deactivate");
        e.CloseHostEditor = Proc<VoidFunction>(e.dll, "CloseHostEditor");
        e.SaveHosts = Proc<IntFunction>(e.dll, "SaveHosts");
        e.IsHostsChanged = Proc<IntFunction>(e.dll, "IsHostsChanged");
        e.GetFirstFormControl = Proc<WindowFunction>(e.dll, "GetFirstFormControl");
        e.GetLastFormControl = Proc<WindowFunction>(e.dll, "GetLastFormControl");
        return e;
    }();
    return exports;
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

void CMessageBoxWatcher::Answer(const SeenMessageBox& box, int command)
{
    PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
}

LRESULT CALLBACK CMessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_watcher)
    {
        const HWND hwnd = reinterpret_cast<HWND>(wParam);
        wchar_t className[32] = {};
        GetClassNameW(hwnd, className, 32);
        // A message box is a dialog with its text in the static 0xFFFF.
        if (std::wstring(className) == L"#32770" && GetDlgItem(hwnd, 0xFFFF))
            g_watcher->OnActivate(hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CMessageBoxWatcher::OnActivate(HWND hwnd)
{
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

void PressKey(WORD key, std::initializer_list<WORD> modifiers)
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
    // As the host's loop does: the hook sees each message as it is taken from the queue.
    const ULONGLONG end = GetTickCount64() + 500;
    while (GetTickCount64() < end)
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
        Sleep(5);
    }
    PumpPending();
}
