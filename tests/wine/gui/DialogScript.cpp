#include "DialogScript.h"

#include <memory>

std::wstring WindowText(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], length + 1)));
    return text;
}

std::wstring ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

bool ItemEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool IsShown(HWND hwnd)
{
    return IsWindow(hwnd) && IsWindowVisible(hwnd);
}

std::pair<DWORD, DWORD> EditSelection(HWND edit)
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void FocusForTyping(HWND dialog, HWND control)
{
    EXPECT_TRUE(BringToFront(dialog)) << "the dialog could not be brought to the front";
    SetFocus(control);
}

CDialogScript::CDialogScript(CMessageBoxWatcher& watcher, int markerId) : m_watcher(watcher), m_markerId(markerId)
{
    m_watcher.OnOtherDialog([this](HWND dialog) { OnDialog(dialog); });
}

CDialogScript::~CDialogScript()
{
    m_watcher.OnOtherDialog(nullptr);
    m_timer.Reset();
    if (s_current == this)
        s_current = nullptr;
}

CDialogScript& CDialogScript::Do(std::function<void(HWND)> action)
{
    Step step;
    step.run = [action = std::move(action)](HWND dialog) {
        action(dialog);
        return true;
    };
    m_steps.push_back(std::move(step));
    return *this;
}

CDialogScript& CDialogScript::WaitFor(const std::string& what, std::function<bool(HWND)> condition, DWORD timeoutMs)
{
    Step step;
    step.run = std::move(condition);
    step.what = what;
    step.timeoutMs = timeoutMs;
    m_steps.push_back(std::move(step));
    return *this;
}

CDialogScript& CDialogScript::Type(int id, const std::wstring& text, const std::wstring& shown)
{
    Do([id, text](HWND dialog) {
        const HWND edit = GetDlgItem(dialog, id);
        FocusForTyping(dialog, edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        if (text.empty())
            SendKeys(VK_DELETE);
        else
            SendText(text);
    });
    return WaitFor("the text typed into " + std::to_string(id),
                   [id, shown](HWND dialog) { return ItemText(dialog, id) == shown; });
}

CDialogScript& CDialogScript::PressEnter(int button)
{
    return Do([button](HWND dialog) {
        EXPECT_EQ(button, LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0))) << "not the default button";
        if (!ItemEnabled(dialog, button))
        {
            // No user could press it; cancelled so that the test ends.
            ADD_FAILURE() << "Enter with the default button " << button << " disabled";
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        EXPECT_TRUE(BringToFront(dialog)) << "the dialog could not be brought to the front";
        SendKeys(VK_RETURN);
    });
}

CDialogScript& CDialogScript::EnterIgnored(int button)
{
    const auto focus = std::make_shared<HWND>(nullptr);
    Do([button, focus](HWND dialog) {
        EXPECT_FALSE(ItemEnabled(dialog, button)) << button << " is enabled";
        EXPECT_TRUE(BringToFront(dialog)) << "the dialog could not be brought to the front";
        *focus = GetFocus();
        wchar_t className[16] = {};
        GetClassNameW(*focus, className, 16);
        EXPECT_TRUE(IsChild(dialog, *focus) && lstrcmpiW(className, L"Edit") == 0)
            << "Enter from no edit of the dialog";
        SendKeys(VK_RETURN);
        SendKeys(VK_TAB);
    });
    return WaitFor("the Tab behind Enter, with the dialog still open", [focus](HWND) { return GetFocus() != *focus; });
}

CDialogScript& CDialogScript::Cancel()
{
    return Do([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
}

CDialogScript& CDialogScript::CloseBox()
{
    return Do([](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

CDialogScript& CDialogScript::CancelIfOpen()
{
    Step step;
    step.run = [](HWND dialog) {
        if (IsShown(dialog))
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    };
    step.mayFindItEnded = true;
    m_steps.push_back(std::move(step));
    return *this;
}

::testing::AssertionResult CDialogScript::Run(const std::function<void()>& open)
{
    open();
    if (!Opened())
        return ::testing::AssertionFailure() << "no dialog came up";
    // Steps that found the dialog ended have failed the test already and are dropped.
    if (!PumpUntil([this] { return Finished() && !IsWindow(m_dialog); }))
        return ::testing::AssertionFailure()
               << (Finished() ? "the dialog is still open after its script" : "the script did not end");
    return ::testing::AssertionSuccess();
}

void CDialogScript::OnDialog(HWND dialog)
{
    // A dialog is activated again after each message box over it: the first time counts.
    if (m_dialog || !GetDlgItem(dialog, m_markerId))
        return;
    m_dialog = dialog;
    s_current = this;
    // From the modal loop, not from inside the activation.
    m_timer.Reset(SetTimer(nullptr, 0, 10, &Tick));
}

void CALLBACK CDialogScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_current && !s_current->m_busy)
        s_current->RunSteps();
}

void CDialogScript::RunSteps()
{
    // A modal dialog shows once its queue is empty, which a due timer does not wait for.
    if (!m_shown && IsWindow(m_dialog) && !IsWindowVisible(m_dialog))
        return;
    m_shown = true;
    m_busy = true;
    while (!m_steps.empty())
    {
        Step& step = m_steps.front();
        const ULONGLONG now = GetTickCount64();
        if (!step.started)
            step.started = now;
        if (!step.mayFindItEnded && !IsShown(m_dialog))
        {
            ADD_FAILURE() << "the dialog ended before " << (step.what.empty() ? "its script did" : step.what);
            m_steps.clear();
            break;
        }
        if (step.run(m_dialog))
        {
            m_steps.pop_front();
            continue;
        }
        if (now - step.started >= step.timeoutMs)
        {
            ADD_FAILURE() << "timed out waiting for " << step.what;
            m_steps.clear();
            PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        break;
    }
    if (m_steps.empty())
    {
        m_timer.Reset();
        s_current = nullptr;
    }
    m_busy = false;
}
