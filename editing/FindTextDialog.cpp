#include "editing/FindTextDialog.h"

#include "resources/resource.h"

CFindTextDialog::CFindTextDialog() : CDialog(IDD_FIND_TEXT) {}

CFindTextDialog::~CFindTextDialog() = default;

bool CFindTextDialog::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return false;
    UpdateData(true);
    OnTextChanged();
    return true;
}

void CFindTextDialog::DoDataExchange(bool toControls)
{
    const HWND edit = Item(IDC_FIND_TEXT);
    if (toControls)
    {
        CheckDlgButton(m_hwnd, IDC_FIND_UP, m_nDirection == 0 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(m_hwnd, IDC_FIND_DOWN, m_nDirection == 1 ? BST_CHECKED : BST_UNCHECKED);
        // Only when it differs: setting the same text again would move the caret to the start.
        if (CWindow::GetText(edit) != m_strText)
            SetWindowTextW(edit, m_strText.c_str());
    }
    else
    {
        // -1 when neither is checked: a search then runs up.
        m_nDirection = IsDlgButtonChecked(m_hwnd, IDC_FIND_UP) == BST_CHECKED     ? 0
                       : IsDlgButtonChecked(m_hwnd, IDC_FIND_DOWN) == BST_CHECKED ? 1
                                                                                  : -1;
        m_strText = CWindow::GetText(edit);
    }
}

bool CFindTextDialog::OnCommand(WORD id, WORD code, HWND control)
{
    switch (id)
    {
    case IDC_FIND_NEXT:
        if (code == BN_CLICKED)
            OnFindNext();
        return true;
    case IDC_FIND_TEXT:
        if (code == EN_CHANGE && !IsExchangingData())
            OnTextChanged();
        return true;
    case IDOK:
        // Enter without a default button to take it: search when that is possible, and
        // never close the dialog.
        if (CWindow(Item(IDC_FIND_NEXT)).IsEnabled())
            OnFindNext();
        return true;
    default:
        return CDialog::OnCommand(id, code, control);
    }
}

void CFindTextDialog::OnTextChanged()
{
    UpdateData(false);
    CWindow(Item(IDC_FIND_NEXT)).Enable(!m_strText.empty());
}

void CFindTextDialog::OnFindNext()
{
    if (!m_pTarget)
        return;
    UpdateData(false);
    m_pTarget->FindText(m_nDirection, m_strText);
}
