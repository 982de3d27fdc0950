// The record dialog as the editor opens it: Add record and Edit record from the toolbar, in
// the real norvik.dll. The dialog is modal, so each test drives it from a script of steps
// that a timer of the test's thread runs inside the dialog's own message loop.
#include "EditorPage.h"

#include "ui/GdiObject.h"

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr wchar_t kTitle[] = L"Ошибка ввода";
constexpr wchar_t kMessage[] = L"# - недопустимый символ";
static_assert(kTitle[0] == 0x041E, "source not read as UTF-8");

std::wstring Text(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], length + 1)));
    return text;
}

std::wstring ClassName(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::pair<DWORD, DWORD> Selection(HWND edit)
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}


RECT WindowRect(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual, const std::string& what)
{
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

RECT Moved(RECT rect, int left, int right)
{
    rect.left += left;
    rect.right += right;
    return rect;
}

// Keys go to the focus of the foreground window.
void FocusForTyping(HWND dialog, HWND control)
{
    EXPECT_TRUE(BringToFront(dialog)) << "the record dialog could not be brought to the front";
    SetFocus(control);
}

struct GlobalTraits
{
    using Type = HGLOBAL;
    static Type Empty() { return nullptr; }
    static void Close(Type memory) { GlobalFree(memory); }
};

bool PutOnClipboard(HWND owner, const std::wstring& text)
{
    CUniqueHandle<GlobalTraits> memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory)
        return false;
    if (void* bytes = GlobalLock(memory.Get()))
    {
        std::memcpy(bytes, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory.Get());
    }
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    const bool put = SetClipboardData(CF_UNICODETEXT, memory.Get()) != nullptr;
    CloseClipboard();
    // The clipboard owns what it took.
    if (put)
        memory.Release();
    return put;
}

// --- The balloon tip.

// What the dialog asked of tooltip windows, seen by a hook on this thread's sent messages.
struct TipRequests
{
    std::vector<std::pair<WPARAM, std::wstring>> titles;
    std::vector<POINT> positions;
};
TipRequests* g_tipRequests = nullptr;

LRESULT CALLBACK TipSpy(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_tipRequests && ClassName(message->hwnd) == TOOLTIPS_CLASSW)
    {
        if (message->message == TTM_SETTITLEW && message->lParam)
            g_tipRequests->titles.emplace_back(message->wParam, reinterpret_cast<const wchar_t*>(message->lParam));
        else if (message->message == TTM_TRACKPOSITION)
            g_tipRequests->positions.push_back(
                {static_cast<short>(LOWORD(message->lParam)), static_cast<short>(HIWORD(message->lParam))});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookTraits
{
    using Type = HHOOK;
    static Type Empty() { return nullptr; }
    static void Close(Type hook) { UnhookWindowsHookEx(hook); }
};

class CTipSpy
{
public:
    CTipSpy() : m_hook(SetWindowsHookExW(WH_CALLWNDPROC, &TipSpy, nullptr, GetCurrentThreadId()))
    {
        g_tipRequests = &m_requests;
    }
    ~CTipSpy() { g_tipRequests = nullptr; }
    CTipSpy(const CTipSpy&) = delete;
    CTipSpy& operator=(const CTipSpy&) = delete;
    const TipRequests& Requests() const { return m_requests; }

private:
    TipRequests m_requests;
    CUniqueHandle<HookTraits> m_hook;
};

BOOL CALLBACK FindOwnedTip(HWND hwnd, LPARAM found)
{
    auto* result = reinterpret_cast<std::pair<HWND, HWND>*>(found);
    if (GetWindow(hwnd, GW_OWNER) == result->first && ClassName(hwnd) == TOOLTIPS_CLASSW)
    {
        result->second = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The tooltip window the dialog owns, if any.
HWND FindTip(HWND dialog)
{
    std::pair<HWND, HWND> found(dialog, nullptr);
    EnumThreadWindows(GetCurrentThreadId(), &FindOwnedTip, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

bool TipShown(HWND dialog)
{
    const HWND tip = FindTip(dialog);
    return tip && IsWindowVisible(tip);
}

TTTOOLINFOW FirstTool(HWND tip)
{
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
    return tool;
}

std::wstring TipText(HWND tip)
{
    wchar_t text[1024] = {};
    TTTOOLINFOW tool = FirstTool(tip);
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return text;
}

// The title as the tip reports it. Wine's tooltips do not answer TTM_GETTITLE; there the
// title the tip was last given stands in.
std::wstring TipTitle(HWND tip, const TipRequests& requests)
{
    wchar_t title[256] = {};
    TTGETTITLE get = {};
    get.dwSize = sizeof(get);
    get.cch = 256;
    get.pszTitle = title;
    SendMessageW(tip, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(&get));
    if (title[0])
        return title;
    return requests.titles.empty() ? std::wstring() : requests.titles.back().second;
}

// --- Scripts run inside the modal loop.

// Steps for the next record dialog that opens, run in order from a timer of this thread:
// the dialog's modal loop dispatches it. A step that waits is run again until it holds; one
// that never holds fails the test and cancels the dialog, so nothing hangs.
class CDialogScript
{
public:
    explicit CDialogScript(CMessageBoxWatcher& watcher) : m_watcher(watcher)
    {
        m_watcher.OnOtherDialog([this](HWND dialog) { OnDialog(dialog); });
    }
    ~CDialogScript()
    {
        Stop();
        m_watcher.OnOtherDialog(nullptr);
    }
    CDialogScript(const CDialogScript&) = delete;
    CDialogScript& operator=(const CDialogScript&) = delete;

    CDialogScript& Do(std::function<void(HWND)> action)
    {
        m_steps.push_back({[action](HWND dialog) {
                               action(dialog);
                               return true;
                           },
                           "", 0});
        return *this;
    }
    CDialogScript& WaitFor(const std::string& what, std::function<bool(HWND)> condition, DWORD timeoutMs = 5000)
    {
        m_steps.push_back({std::move(condition), what, timeoutMs});
        return *this;
    }
    CDialogScript& Pause(DWORD ms)
    {
        m_steps.push_back({[](HWND) { return false; }, "", ms, 0, true});
        return *this;
    }
    // Both post their command: the dialog ends once the step has returned.
    CDialogScript& ClickOk() { return Command(IDOK); }
    CDialogScript& Cancel() { return Command(IDCANCEL); }

    HWND Dialog() const { return m_dialog; }
    bool Opened() const { return m_dialog != nullptr; }
    bool Finished() const { return m_opened && m_steps.empty(); }

private:
    struct Step
    {
        std::function<bool(HWND)> run;
        std::string what;
        DWORD timeoutMs;
        ULONGLONG started = 0;
        bool pause = false;
    };

    CDialogScript& Command(int id)
    {
        return Do([id](HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); });
    }

    void OnDialog(HWND dialog)
    {
        if (m_opened || !GetDlgItem(dialog, IDC_RECORD_HOST))
            return;
        m_opened = true;
        m_dialog = dialog;
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 10, &Tick);
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_current && !s_current->m_busy)
            s_current->Run();
    }

    void Run()
    {
        m_busy = true;
        while (!m_steps.empty())
        {
            Step& step = m_steps.front();
            const ULONGLONG now = GetTickCount64();
            if (!step.started)
                step.started = now;
            if (!IsWindow(m_dialog))
            {
                ADD_FAILURE() << "the dialog closed before " << (step.what.empty() ? "the script ended" : step.what);
                m_steps.clear();
                break;
            }
            if (step.pause ? now - step.started >= step.timeoutMs : step.run(m_dialog))
            {
                m_steps.pop_front();
                continue;
            }
            if (!step.pause && now - step.started >= step.timeoutMs)
            {
                ADD_FAILURE() << "timed out waiting for " << step.what;
                m_steps.clear();
                PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            break;
        }
        if (m_steps.empty())
            Stop();
        m_busy = false;
    }

    void Stop()
    {
        if (m_timer)
            KillTimer(nullptr, m_timer);
        m_timer = 0;
        if (s_current == this)
            s_current = nullptr;
    }

    static inline CDialogScript* s_current = nullptr;
    CMessageBoxWatcher& m_watcher;
    std::deque<Step> m_steps;
    HWND m_dialog = nullptr;
    bool m_opened = false;
    bool m_busy = false;
    UINT_PTR m_timer = 0;
};

// The page over a small hosts file, in the table view.
class RecordDialog : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        // The last address is one the control cannot show as it is.
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 localhost\r\n10.0.0.5 build.example # the build box\r\n"
                                                       "300.1..7 odd.example\r\n"));
        ASSERT_TRUE(Open());
        ASSERT_EQ(3, TableRows());
    }

    // Opens Add record and runs the script; returns once the dialog has ended.
    void RunAdd(CDialogScript& script) { Run(script, ID_ADD_RECORD); }
    // Opens Edit record on the row.
    void RunEdit(CDialogScript& script, int row)
    {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        SendMessageW(Table(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(Table(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        PumpPending();
        Run(script, ID_EDIT_RECORD);
    }

    std::vector<std::wstring> Row(int row) const { return {Cell(row, 1), Cell(row, 2), Cell(row, 3)}; }

private:
    void Run(CDialogScript& script, UINT command)
    {
        ASSERT_TRUE(IsButtonEnabled(m_toolbar, command));
        ClickButton(m_toolbar, command);
        ASSERT_TRUE(script.Opened()) << "the command opened no record dialog";
        EXPECT_TRUE(script.Finished()) << "the dialog ended before its script did";
        EXPECT_FALSE(IsWindow(script.Dialog())) << "the dialog is still open";
        EXPECT_EQ(0u, m_boxes.Count());
    }
};

} // namespace

TEST_F(RecordDialog, IsLaidOutAsItsTemplateOwnsAHiddenBalloonAndWidensButNeverGrowsTaller)
{
    HWND tip = nullptr;
    CDialogScript script(m_boxes);
    script.Do([&](HWND dialog) {
        EXPECT_EQ(m_window.Hwnd(), GetWindow(dialog, GW_OWNER));
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
                  style & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

        RECT client = {};
        GetClientRect(dialog, &client);
        ExpectRect(DialogUnits(dialog, 0, 0, 338, 74), client, "client area");
        struct Control
        {
            int id;
            const wchar_t* className;
            const wchar_t* text;
            int x, y, width, height;
        };
        const Control controls[] = {
            {IDC_RECORD_ADDRESS_LABEL, L"Static", L"IP Address", 3, 3, 74, 8},
            {IDC_RECORD_ADDRESS, WC_IPADDRESSW, nullptr, 3, 13, 100, 15},
            {IDC_RECORD_HOST_LABEL, L"Static", L"Host", 108, 3, 16, 8},
            {IDC_RECORD_HOST, L"Edit", L"", 108, 13, 227, 14},
            {IDC_RECORD_COMMENT_LABEL, L"Static", L"Comment", 3, 30, 31, 8},
            {IDC_RECORD_COMMENT, L"Edit", L"", 3, 40, 332, 14},
            {IDOK, L"Button", L"OK", 223, 57, 50, 14},
            {IDCANCEL, L"Button", L"Cancel", 277, 57, 50, 14},
        };
        for (const Control& c : controls)
        {
            const HWND control = GetDlgItem(dialog, c.id);
            ASSERT_TRUE(control) << c.id;
            EXPECT_EQ(0, lstrcmpiW(c.className, ClassName(control).c_str())) << c.id;
            if (c.text)
            {
                EXPECT_EQ(c.text, Text(control)) << c.id;
            }
            ExpectRect(DialogUnits(dialog, c.x, c.y, c.width, c.height), RectInDialog(control),
                       "control " + std::to_string(c.id));
        }
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_RECORD_ADDRESS), GWL_STYLE) & WS_TABSTOP);
        for (const int id : {IDC_RECORD_HOST, IDC_RECORD_COMMENT})
        {
            const HWND edit = GetDlgItem(dialog, id);
            const LONG editStyle = GetWindowLongW(edit, GWL_STYLE);
            EXPECT_TRUE(editStyle & WS_TABSTOP) << id;
            EXPECT_TRUE(editStyle & ES_AUTOHSCROLL) << id;
            // The dialog manager may draw WS_BORDER as a sunken client edge instead.
            EXPECT_TRUE((editStyle & WS_BORDER) || (GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) << id;
        }
        EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(IDOK, LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)));
        EXPECT_FALSE(Enabled(dialog, IDOK));
        EXPECT_TRUE(Enabled(dialog, IDCANCEL));

        tip = FindTip(dialog);
        ASSERT_TRUE(tip) << "no tooltip window owned by the dialog";
        EXPECT_FALSE(IsWindowVisible(tip));
        const LONG tipStyle = GetWindowLongW(tip, GWL_STYLE);
        EXPECT_TRUE(tipStyle & TTS_BALLOON);
        EXPECT_TRUE(tipStyle & TTS_NOPREFIX);
        EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
        EXPECT_EQ(static_cast<UINT>(TTF_TRACK | TTF_ABSOLUTE), FirstTool(tip).uFlags & (TTF_TRACK | TTF_ABSOLUTE));

        // Wider and taller asked at once: only the width changes.
        const RECT before = WindowRect(dialog);
        std::vector<RECT> controlsBefore;
        for (const Control& c : controls)
            controlsBefore.push_back(RectInDialog(GetDlgItem(dialog, c.id)));
        SetWindowPos(dialog, nullptr, 0, 0, before.right - before.left + 120, before.bottom - before.top + 80,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT after = WindowRect(dialog);
        EXPECT_EQ(before.right - before.left + 120, after.right - after.left);
        EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
        const int growth[][2] = {{0, 0}, {0, 0}, {0, 120}, {0, 120}, {0, 120}, {0, 120}, {120, 120}, {120, 120}};
        for (size_t i = 0; i < controlsBefore.size(); ++i)
            ExpectRect(Moved(controlsBefore[i], growth[i][0], growth[i][1]), RectInDialog(GetDlgItem(dialog, controls[i].id)),
                       "widened control " + std::to_string(controls[i].id));

        // Only taller: nothing changes.
        SetWindowPos(dialog, nullptr, 0, 0, after.right - after.left, after.bottom - after.top + 50,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(before.bottom - before.top, WindowRect(dialog).bottom - WindowRect(dialog).top);

        // Back to its first size, the controls are where the template put them.
        SetWindowPos(dialog, nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        for (size_t i = 0; i < controlsBefore.size(); ++i)
            ExpectRect(controlsBefore[i], RectInDialog(GetDlgItem(dialog, controls[i].id)),
                       "restored control " + std::to_string(controls[i].id));
    });
    script.Cancel();

    RunAdd(script);
    EXPECT_FALSE(IsWindow(tip)) << "the balloon outlived its dialog";
    EXPECT_EQ(3, TableRows());
}

TEST_F(RecordDialog, AddOpensWithTheLoopbackAddressAndOkFollowsTheAddressAndTheHost)
{
    CDialogScript script(m_boxes);
    script.Do([](HWND dialog) {
        EXPECT_EQ(L"Add record", Text(dialog));
        const HWND address = GetDlgItem(dialog, IDC_RECORD_ADDRESS);
        EXPECT_EQ(L"127.0.0.1", Text(address));
        DWORD value = 0;
        EXPECT_EQ(4, SendMessageW(address, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value)));
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(127, 0, 0, 1)), value);
        EXPECT_EQ(L"", Text(GetDlgItem(dialog, IDC_RECORD_HOST)));
        EXPECT_EQ(L"", Text(GetDlgItem(dialog, IDC_RECORD_COMMENT)));
        EXPECT_FALSE(Enabled(dialog, IDOK));
        FocusForTyping(dialog, GetDlgItem(dialog, IDC_RECORD_HOST));
        SendText(L"x");
    });
    script.WaitFor("the typed host", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)) == L"x"; });
    script.Do([](HWND dialog) {
        EXPECT_TRUE(Enabled(dialog, IDOK)) << "one host character and an address";
        SendKeys(VK_BACK);
    });
    script.WaitFor("the host deleted", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)).empty(); });
    script.Do([](HWND dialog) {
        EXPECT_FALSE(Enabled(dialog, IDOK)) << "empty host";
        SendText(L"h");
    });
    script.WaitFor("the host typed again", [](HWND dialog) { return Enabled(dialog, IDOK); });
    script.Do([](HWND dialog) {
        const HWND address = GetDlgItem(dialog, IDC_RECORD_ADDRESS);
        SendMessageW(address, IPM_CLEARADDRESS, 0, 0);
        EXPECT_NE(0, SendMessageW(address, IPM_ISBLANK, 0, 0));
        EXPECT_FALSE(Enabled(dialog, IDOK)) << "blank address with a host";
        SendText(L"i");
    });
    script.WaitFor("more host typed", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)) == L"hi"; });
    script.Do([](HWND dialog) {
        // The host's change writes the fields back: a blank address stays blank.
        EXPECT_NE(0, SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_ISBLANK, 0, 0));
        EXPECT_FALSE(Enabled(dialog, IDOK));
        SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_SETFOCUS, 2, 0);
        SendText(L"7");
    });
    script.WaitFor("one address field typed",
                   [](HWND dialog) { return !SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_ISBLANK, 0, 0); });
    script.Do([](HWND dialog) {
        EXPECT_TRUE(Enabled(dialog, IDOK)) << "one field is an address";
        // Leaving the field: the control reports it.
        SetFocus(GetDlgItem(dialog, IDC_RECORD_COMMENT));
        EXPECT_TRUE(Enabled(dialog, IDOK));
    });
    script.Cancel();

    RunAdd(script);
    EXPECT_EQ(3, TableRows()) << "Cancel added an entry";
}

TEST_F(RecordDialog, HashTypedOrPastedIntoTheHostIsRemovedWithABalloonThatTheNextKeyHides)
{
    CTipSpy spy;
    CDialogScript script(m_boxes);
    script.Do([](HWND dialog) {
        FocusForTyping(dialog, GetDlgItem(dialog, IDC_RECORD_HOST));
        SendText(L"abcd");
    });
    script.WaitFor("the host typed", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)) == L"abcd"; });
    script.Do([](HWND dialog) {
        EXPECT_FALSE(TipShown(dialog));
        SendDlgItemMessageW(dialog, IDC_RECORD_HOST, EM_SETSEL, 2, 2);
        SendText(L"#");
    });
    script.WaitFor("the balloon", [](HWND dialog) { return TipShown(dialog); });
    script.Do([&spy](HWND dialog) {
        const HWND host = GetDlgItem(dialog, IDC_RECORD_HOST);
        EXPECT_EQ(L"abcd", Text(host));
        EXPECT_EQ(std::make_pair(DWORD{2}, DWORD{2}), Selection(host)) << "the caret moved";
        EXPECT_TRUE(Enabled(dialog, IDOK));

        const HWND tip = FindTip(dialog);
        EXPECT_EQ(kMessage, TipText(tip));
        EXPECT_EQ(kTitle, TipTitle(tip, spy.Requests()));
        ASSERT_FALSE(spy.Requests().titles.empty());
        const WPARAM icon = spy.Requests().titles.back().first;
        EXPECT_TRUE(icon == TTI_ERROR || icon == TTI_WARNING) << "icon " << icon;
        // The stem touches the host field's lower-left corner.
        const RECT field = WindowRect(host);
        ASSERT_FALSE(spy.Requests().positions.empty());
        EXPECT_EQ(field.left, spy.Requests().positions.back().x);
        EXPECT_EQ(field.bottom, spy.Requests().positions.back().y);
        const RECT balloon = WindowRect(tip);
        EXPECT_NEAR(field.bottom, balloon.top, 2);
        EXPECT_LE(balloon.left, field.left);
        EXPECT_GT(balloon.right, field.left);

        SendText(L"e");
    });
    script.WaitFor("the next key", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)) == L"abecd"; });
    script.Do([](HWND dialog) { EXPECT_FALSE(TipShown(dialog)) << "the next key left the balloon"; });
    script.Pause(300);
    script.Do([](HWND dialog) {
        EXPECT_FALSE(TipShown(dialog)) << "the balloon came back";
        // A paste is checked like typing; the caret goes one place left of where the paste
        // left it, which is as far as the shorter text goes.
        SendDlgItemMessageW(dialog, IDC_RECORD_HOST, EM_SETSEL, 0, -1);
        SendKeys(VK_DELETE);
        ASSERT_TRUE(PutOnClipboard(dialog, L"a#b#c"));
        SendKeys('V', {VK_CONTROL});
    });
    script.WaitFor("the pasted host", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)) == L"abc"; });
    script.WaitFor("the balloon after the paste", [](HWND dialog) { return TipShown(dialog); });
    script.Do([](HWND dialog) {
        EXPECT_EQ(std::make_pair(DWORD{3}, DWORD{3}), Selection(GetDlgItem(dialog, IDC_RECORD_HOST)));
        EXPECT_EQ(kMessage, TipText(FindTip(dialog)));
        // Blanks are no reason for a balloon.
        SendText(L" d e");
    });
    script.WaitFor("blanks typed", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)) == L"abc d e"; });
    script.Pause(300);
    script.Do([](HWND dialog) { EXPECT_FALSE(TipShown(dialog)); });
    script.Cancel();

    RunAdd(script);
    EXPECT_EQ(3, TableRows());
}

TEST_F(RecordDialog, TheBalloonAppearsAfterItsDelayAndGoesByItselfAboutTwoSecondsLater)
{
    CDialogScript script(m_boxes);
    script.Do([](HWND dialog) {
        const HWND host = GetDlgItem(dialog, IDC_RECORD_HOST);
        // Typed straight into the field: what the dialog does runs before this returns, and
        // no timer can fire in between.
        SendMessageW(host, WM_CHAR, 'a', 1);
        SendMessageW(host, WM_CHAR, '#', 1);
        EXPECT_EQ(L"a", Text(host));
        EXPECT_FALSE(TipShown(dialog)) << "shown without its delay";
    });
    script.WaitFor("the balloon", [](HWND dialog) { return TipShown(dialog); });
    script.Pause(1000);
    script.Do([](HWND dialog) { EXPECT_TRUE(TipShown(dialog)) << "gone within a second"; });
    script.WaitFor("the balloon to go by itself", [](HWND dialog) { return !TipShown(dialog); }, 10000);
    script.Cancel();

    RunAdd(script);
}

TEST_F(RecordDialog, AddWithOkAppendsATickedEntryAsTypedWithTheHashInItsComment)
{
    CDialogScript script(m_boxes);
    script.Do([](HWND dialog) {
        FocusForTyping(dialog, GetDlgItem(dialog, IDC_RECORD_HOST));
        SendText(L"new host");
    });
    script.WaitFor("the typed host", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_HOST)) == L"new host"; });
    script.Do([](HWND dialog) {
        SetFocus(GetDlgItem(dialog, IDC_RECORD_COMMENT));
        SendText(L"a # b");
    });
    script.WaitFor("the typed comment",
                   [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_COMMENT)) == L"a # b"; });
    // The address last: only OK reads it after that.
    script.Do([](HWND dialog) {
        EXPECT_FALSE(TipShown(dialog)) << "a balloon for the comment";
        SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_SETFOCUS, 0, 0);
        SendText(L"10.1.2.3");
    });
    script.WaitFor("the typed address",
                   [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_ADDRESS)) == L"10.1.2.3"; });
    script.Do([](HWND dialog) { EXPECT_TRUE(Enabled(dialog, IDOK)); });
    script.ClickOk();

    RunAdd(script);
    ASSERT_EQ(4, TableRows());
    EXPECT_EQ((std::vector<std::wstring>{L"10.1.2.3", L"new host", L"a # b"}), Row(3));
    EXPECT_TRUE(Ticked(3));
    EXPECT_EQ((std::vector<std::wstring>{L"127.0.0.1", L"localhost", L""}), Row(0));
    EXPECT_EQ((std::vector<std::wstring>{L"10.0.0.5", L"build.example", L"the build box"}), Row(1));
}

TEST_F(RecordDialog, CancelAndTheCloseBoxLeaveTheEntriesAsTheyWere)
{
    for (const bool closeBox : {false, true})
    {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        CDialogScript add(m_boxes);
        add.Do([](HWND dialog) {
            FocusForTyping(dialog, GetDlgItem(dialog, IDC_RECORD_HOST));
            SendText(L"nobody");
        });
        add.WaitFor("the typed host", [](HWND dialog) { return Enabled(dialog, IDOK); });
        if (closeBox)
            add.Do([](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
        else
            add.Cancel();
        RunAdd(add);
        EXPECT_EQ(3, TableRows());

        CDialogScript edit(m_boxes);
        edit.Do([](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_RECORD_COMMENT, L"changed");
            SetDlgItemTextW(dialog, IDC_RECORD_HOST, L"other.example");
        });
        if (closeBox)
            edit.Do([](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
        else
            edit.Cancel();
        RunEdit(edit, 1);
        EXPECT_EQ((std::vector<std::wstring>{L"10.0.0.5", L"build.example", L"the build box"}), Row(1));
    }
}

TEST_F(RecordDialog, EditOpensWithTheEntryAndOkDisabledAndACommentChangeEnablesOkForGood)
{
    CDialogScript script(m_boxes);
    script.Do([](HWND dialog) {
        EXPECT_EQ(L"Edit record", Text(dialog));
        EXPECT_EQ(L"10.0.0.5", Text(GetDlgItem(dialog, IDC_RECORD_ADDRESS)));
        EXPECT_EQ(0, SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_ISBLANK, 0, 0));
        EXPECT_EQ(L"build.example", Text(GetDlgItem(dialog, IDC_RECORD_HOST)));
        EXPECT_EQ(L"the build box", Text(GetDlgItem(dialog, IDC_RECORD_COMMENT)));
        EXPECT_FALSE(Enabled(dialog, IDOK));
        // Typed straight into the comment: moving the focus out of the address would itself
        // raise IPN_FIELDCHANGED, and so the OK rule, before any key.
        const HWND comment = GetDlgItem(dialog, IDC_RECORD_COMMENT);
        SendMessageW(comment, WM_KEYDOWN, VK_END, 0);
        SendMessageW(comment, WM_CHAR, '!', 1);
        EXPECT_EQ(L"the build box!", Text(comment));
        EXPECT_TRUE(Enabled(dialog, IDOK));
        SendMessageW(comment, WM_CHAR, VK_BACK, 1);
        EXPECT_EQ(L"the build box", Text(comment));
        EXPECT_TRUE(Enabled(dialog, IDOK)) << "OK went with the character";
        // And a real edit of the comment, through the keyboard, is what OK hands back.
        FocusForTyping(dialog, comment);
        SendMessageW(comment, EM_SETSEL, 0, -1);
        SendText(L"x#y");
    });
    script.WaitFor("the typed comment", [](HWND dialog) { return Text(GetDlgItem(dialog, IDC_RECORD_COMMENT)) == L"x#y"; });
    script.ClickOk();

    RunEdit(script, 1);
    ASSERT_EQ(3, TableRows());
    EXPECT_EQ((std::vector<std::wstring>{L"10.0.0.5", L"build.example", L"x#y"}), Row(1));
    EXPECT_TRUE(Ticked(1));
    EXPECT_EQ((std::vector<std::wstring>{L"127.0.0.1", L"localhost", L""}), Row(0));
}

TEST_F(RecordDialog, EditShowsAnAddressOutsideTheFieldsAsTheControlWouldCorrectItAndOkReturnsThat)
{
    CDialogScript script(m_boxes);
    script.Do([](HWND dialog) {
        const HWND address = GetDlgItem(dialog, IDC_RECORD_ADDRESS);
        DWORD value = 0;
        EXPECT_EQ(4, SendMessageW(address, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value)));
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(255, 1, 0, 7)), value);
        EXPECT_EQ(L"odd.example", Text(GetDlgItem(dialog, IDC_RECORD_HOST)));
        EXPECT_FALSE(Enabled(dialog, IDOK));
    });
    script.ClickOk();

    RunEdit(script, 2);
    EXPECT_EQ((std::vector<std::wstring>{L"255.1.0.7", L"odd.example", L""}), Row(2));
}

TEST_F(RecordDialog, DISABLED_ScreenshotWithBalloon)
{
    CDialogScript script(m_boxes);
    script.Do([](HWND dialog) {
        FocusForTyping(dialog, GetDlgItem(dialog, IDC_RECORD_HOST));
        SetDlgItemTextW(dialog, IDC_RECORD_COMMENT, L"build server");
        SendText(L"build.example#");
    });
    script.WaitFor("the balloon", [](HWND dialog) { return TipShown(dialog); });
    script.Pause(300);
    script.Do([](HWND) { SaveScreen("record-dialog", 0); });
    script.Cancel();

    RunAdd(script);
}
