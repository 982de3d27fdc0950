// Both searches: entries in the table, text in the text view.
#include "form/HostsEditorForm.h"

#include "editing/EntrySearch.h"
#include "editing/TextSearch.h"
#include "form/Prompts.h"

void CHostsEditorForm::OnFind()
{
    if (m_bLoading || m_bSaving || m_textFill.IsRunning())
        return;
    ShowFindDialog();
}

void CHostsEditorForm::ShowFindDialog()
{
    if (m_nViewMode == VIEW_TABLE)
        RunModal(m_findRecordDialog);
    else if (m_nViewMode == VIEW_TEXT)
        RunModal(m_findTextDialog);
}

// F3: the view's last search once more, from the focused row or the caret.
void CHostsEditorForm::OnFindNext()
{
    if (m_bLoading || m_bSaving || m_textFill.IsRunning())
        return;
    if (m_nViewMode == VIEW_TABLE)
    {
        if (!m_bRecordSearchSet)
            return ShowFindDialog();
        m_nSearchStart = -1;
        SearchTable();
    }
    else if (m_nViewMode == VIEW_TEXT)
    {
        if (!m_bTextSearchSet)
            return ShowFindDialog();
        SearchText();
    }
}

int CHostsEditorForm::FindRecord(int start, int direction, const std::wstring& address, const std::wstring& host,
                                 const std::wstring& comment)
{
    // The dialog may outlive its page's content: the host closed, reloaded or destroyed it.
    if (!IsSettled())
        return -1;
    m_nSearchStart = start;
    m_nSearchDirection = direction;
    m_bRecordSearchSet = true;
    m_strFindAddress = address;
    m_strFindHost = host;
    m_strFindComment = comment;
    return SearchTable();
}

int CHostsEditorForm::GetFocusedIndex()
{
    return m_wndTable.GetFocusedRow();
}

int CHostsEditorForm::SearchTable()
{
    if (m_nSearchStart == -1)
    {
        const int focused = m_wndTable.GetFocusedRow();
        if (focused >= 0)
            m_nSearchStart = m_nSearchDirection == 1 ? focused + 1 : focused - 1;
    }
    const int found =
        FindEntry(m_hostsFile, m_nSearchStart, m_nSearchDirection, m_strFindAddress, m_strFindHost, m_strFindComment);
    if (found < 0)
        Modal([this] { ReportRecordNotFound(m_hwnd); });
    else
        m_wndTable.SetFocusedRow(found, false);
    return found;
}

void CHostsEditorForm::FindText(int direction, const std::wstring& text)
{
    if (!IsSettled())
        return;
    m_bTextSearchSet = true;
    m_strFindText = text;
    m_bTextSearchDown = direction == 1;
    SearchText();
}

// Plain and case-sensitive, from the caret or one character on from the selection's start,
// without wrapping.
void CHostsEditorForm::SearchText()
{
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    m_editText.GetSel(selectionStart, selectionEnd);
    ReadText();
    const size_t found = FindInText(Text(), m_strFindText, selectionStart, selectionEnd, m_bTextSearchDown);
    if (found == std::wstring::npos)
    {
        Modal([this] { ReportRecordNotFound(m_hwnd); });
        return;
    }
    m_editText.SetSel(static_cast<DWORD>(found), static_cast<DWORD>(found + m_strFindText.size()));
    SendMessageW(m_editText.Hwnd(), EM_SCROLLCARET, 0, 0);
}
