// The text view: its text in and out, the switch to it, and the fill of a long text in pieces.
#include "form/HostsEditorForm.h"

#include "form/Prompts.h"
#include "resources/Texts.h"

#include <algorithm>
#include <cwchar>

namespace
{
// Up to here (about 1,500 lines, a tenth of a second) the text goes in at once.
const size_t kPiecewiseChars = 65536;
// From here (about half a second) the fill shows its progress, with Cancel.
const size_t kProgressChars = 262144;

std::wstring FillProgressText(int index, int count)
{
    wchar_t text[96];
    swprintf(text, 96, texts::kShowingTextFormat, index, count);
    return text;
}
} // namespace

void CHostsEditorForm::ReadText()
{
    if (!m_bTextUnread)
        return;
    m_pText = std::make_shared<const std::wstring>(m_editText.GetText());
    m_bTextUnread = false;
    m_bTextCompared = false;
}

void CHostsEditorForm::OnTextChanged()
{
    m_bTextUnread = true;
    m_bTextCompared = false;
    m_editText.GrowLimit(static_cast<size_t>(GetWindowTextLengthW(m_editText.Hwnd())));
    if (!m_bLoading)
        UpdateCommandStates();
}

const std::wstring& CHostsEditorForm::Text() const
{
    static const std::wstring empty;
    return m_pText ? *m_pText : empty;
}

void CHostsEditorForm::SetText(std::shared_ptr<const std::wstring> text)
{
    m_pText = std::move(text);
    m_bTextToShow = true;
    m_bTextCompared = false;
}

void CHostsEditorForm::ShowText()
{
    StopTextFill();
    if (Text().size() < kPiecewiseChars)
    {
        m_editText.SetText(Text());
        return;
    }
    // The table stands in, disabled, until the whole text is in the hidden view.
    m_textFill.Start(m_editText, m_pText);
    ShowView(VIEW_TABLE);
    UpdateViews();
    if (m_pProgressDialog && Text().size() >= kProgressChars)
    {
        m_bFillProgress = true;
        m_pProgressDialog->Reset();
        m_pProgressDialog->SetRange(m_textFill.LineCount());
        m_pProgressDialog->SetText(FillProgressText(0, m_textFill.LineCount()));
        m_pProgressDialog->ShowCentered();
    }
    UpdateCommandStates();
    ScheduleTextFill();
}

// A posted message is taken before the input and painting that wait in the queue, a timer's
// after them: the next piece waits for them, so that Cancel and the host stay usable.
void CHostsEditorForm::ScheduleTextFill()
{
    // The page's own painting is done now, or it would send every piece through the timer.
    if (m_bFillProgress)
        UpdateWindow(m_pProgressDialog->Hwnd());
    UpdateWindow(DialogOwner());
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER)) != 0)
        SetTimer(m_hwnd, kTextFillTimer, USER_TIMER_MINIMUM, nullptr);
    else
        PostMessageW(m_hwnd, WM_TEXT_FILL, m_nFill, 0);
}

void CHostsEditorForm::OnTextFillStep(unsigned fill)
{
    // A fill stopped since (a load, a close, a cancel, a new text) takes no more pieces.
    if (fill != m_nFill || !m_textFill.IsRunning() || m_bClosing)
        return;
    if (!m_textFill.Step())
    {
        if (m_bFillProgress)
        {
            m_pProgressDialog->SetPos(m_textFill.LinesDone());
            m_pProgressDialog->SetText(FillProgressText(m_textFill.LinesDone(), m_textFill.LineCount()));
        }
        ScheduleTextFill();
        return;
    }
    // A control short of memory drops what it cannot take: a cut text saved would cut the file.
    if (static_cast<size_t>(GetWindowTextLengthW(m_editText.Hwnd())) != Text().size())
    {
        CancelTextFill();
        Modal([this] { ReportNoMemory(m_hwnd); });
        return;
    }
    // Focus only for a page the user is still in (a disabled view leaves it on the top window):
    // the host's other windows keep theirs.
    const HWND focus = GetFocus();
    const HWND progress = m_pProgressDialog ? m_pProgressDialog->Hwnd() : nullptr;
    const bool focusHere =
        IsWindowVisible(m_hwnd) && (!focus || focus == DialogOwner() || focus == m_hwnd || IsChild(m_hwnd, focus) ||
                                    (progress && (focus == progress || IsChild(progress, focus))));
    StopTextFill();
    UpdateViews();
    ShowView(VIEW_TEXT);
    const DWORD length = static_cast<DWORD>(Text().size());
    m_editText.SetSel(std::min(m_dwTextSelStart, length), std::min(m_dwTextSelEnd, length));
    SendMessageW(m_editText.Hwnd(), EM_SCROLLCARET, 0, 0);
    if (focusHere)
        SetFocus(m_editText.Hwnd());
    UpdateCommandStates();
}

void CHostsEditorForm::StopTextFill()
{
    ++m_nFill;
    m_textFill.Stop();
    if (m_hwnd)
        KillTimer(m_hwnd, kTextFillTimer);
    if (m_bFillProgress && m_pProgressDialog)
        m_pProgressDialog->Hide();
    m_bFillProgress = false;
}

void CHostsEditorForm::CancelTextFill()
{
    if (!m_textFill.IsRunning())
        return;
    // Emptied while it still counts as filling: the view's change is not the user's.
    m_editText.SetText(std::wstring());
    StopTextFill();
    m_nViewMode = VIEW_TABLE;
    m_bTextToShow = true;
    UpdateViews();
    ShowView(VIEW_TABLE);
    UpdateCommandStates();
}

void CHostsEditorForm::ShowView(int mode)
{
    ShowWindow(m_wndTable.Hwnd(), mode == VIEW_TABLE ? SW_SHOW : SW_HIDE);
    ShowWindow(m_editText.Hwnd(), mode == VIEW_TEXT ? SW_SHOW : SW_HIDE);
}

bool CHostsEditorForm::SwitchView(int mode)
{
    if (m_nViewMode == mode || !ConfirmPendingChanges())
        return false;
    // After a save the file is read again, so that the view shows what was written.
    if (m_bSavedSinceLoad)
        StartLoad();
    m_nViewMode = mode;
    return true;
}

void CHostsEditorForm::OnViewAsText()
{
    if (!SwitchView(VIEW_TEXT))
        return;
    // The text goes out now unless a load is about to bring it; the controls are read
    // first, so that only the text goes out new.
    if (!m_bLoading)
    {
        m_dwTextSelStart = m_dwTextSelEnd = 0;
        UpdateData(false);
        UpdateData(true);
    }
    // A long text shows the view itself once it is in.
    if (m_textFill.IsRunning())
        return;
    ShowView(VIEW_TEXT);
    SetFocus(m_editText.Hwnd());
}

void CHostsEditorForm::OnViewAsTable()
{
    if (SwitchView(VIEW_TABLE))
        ShowView(VIEW_TABLE);
}
