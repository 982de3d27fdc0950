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
    // Up is 0, Down 1; neither checked reads as -1, and a search then runs up.
    ExchangeRadio(IDC_FIND_UP, 2, m_nDirection, toControls);
    ExchangeText(IDC_FIND_TEXT, m_strText, toControls);
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
