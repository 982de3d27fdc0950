// Keys the page takes before the views, and Tab in and out of the page.
#include "form/HostsEditorForm.h"

#include "form/TabNavigation.h"

bool CHostsEditorForm::PreTranslateMessage(MSG& message)
{
    // The focused view sees its keys first. A key typed ahead of a load may still come for
    // the table, disabled meanwhile: neither the page nor the list acts on it.
    if (message.hwnd == m_wndTable.Hwnd())
    {
        if (message.message == WM_KEYDOWN && !IsWindowEnabled(message.hwnd))
            return true;
        if (m_wndTable.PreTranslateMessage(message))
            return true;
    }
    if (message.hwnd == m_editText.Hwnd() && m_editText.PreTranslateMessage(message))
        return true;
    if (message.message == WM_KEYDOWN)
    {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        switch (message.wParam)
        {
        case 'F':
            if (!control)
                break;
            OnFind();
            return true;
        case VK_F3:
            OnFindNext();
            return true;
        case VK_F5:
            Refresh();
            UpdateCommandStates();
            return true;
        case 'S':
            if (!control)
                break;
            Save();
            return true;
        case VK_TAB:
            return NavigateTab(GetKeyState(VK_SHIFT) < 0);
        default:
            break;
        }
    }
    // The dialog's own handling: arrow keys between controls, Enter and Escape (which do
    // nothing here); the multi-line text view keeps the keys it wants.
    return IsDialogMessageW(m_hwnd, &message) != FALSE;
}

void CHostsEditorForm::OnFind(const MSG& /*message*/)
{
    OnFind();
}

void CHostsEditorForm::OnFindNext(const MSG& /*message*/)
{
    OnFindNext();
}

void CHostsEditorForm::OnAddRecord(const MSG& /*message*/)
{
    AddRecord();
}

void CHostsEditorForm::OnDeleteRecords(const MSG& /*message*/)
{
    DeleteRecords();
}

void CHostsEditorForm::OnEditRecord(const MSG& /*message*/)
{
    EditRecord();
}

bool CHostsEditorForm::NavigateTab(bool backward)
{
    HWND focus = GetFocus();
    if (!focus)
        return true;
    HWND container = GetParent(focus);
    for (;;)
    {
        const bool atEdge = focus == (backward ? CTabNavigation::FirstEnabledTabStop(container)
                                               : CTabNavigation::LastEnabledTabStop(container));
        const HWND next =
            atEdge ? (backward ? TabOutBackward() : TabOutForward()) : GetNextDlgTabItem(m_hwnd, focus, backward);
        if (!next)
            return true;
        if (IsWindowEnabled(next))
        {
            SetFocus(next);
            return true;
        }
        focus = next;
        container = m_hwnd;
    }
}

HWND CHostsEditorForm::TabOutForward()
{
    if (!m_pFocusHandler)
        return CTabNavigation::FirstEnabledTabStop(m_hwnd);
    HWND window = m_hwnd;
    for (int level = 0; level < 4 && window; ++level)
        window = GetParent(window);
    if (window)
        return window;
    // A host whose page sits higher up: go on to its next control after the page.
    const HWND root = GetAncestor(m_hwnd, GA_ROOT);
    const HWND last = CTabNavigation::LastEnabledTabStop(m_hwnd);
    const HWND next = root && last ? GetNextDlgTabItem(root, last, FALSE) : nullptr;
    return next && !IsChild(m_hwnd, next) ? next : nullptr;
}

HWND CHostsEditorForm::TabOutBackward()
{
    if (!m_pFocusHandler)
        return CTabNavigation::LastEnabledTabStop(m_hwnd);
    CallHost([this] { m_pFocusHandler->FocusPrevious(); });
    return nullptr;
}
