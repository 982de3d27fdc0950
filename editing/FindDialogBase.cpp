#include "editing/FindDialogBase.h"

#include "resources/resource.h"

bool CFindDialogBase::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return false;
    UpdateData(true);
    OnCriteriaChanged();
    return true;
}

void CFindDialogBase::ExchangeDirection(bool toControls)
{
    // Up is 0, Down 1; neither checked reads as -1, and a search then runs up.
    ExchangeRadio(IDC_FIND_UP, 2, m_nDirection, toControls);
}

bool CFindDialogBase::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == IDC_FIND_NEXT)
    {
        if (code == BN_CLICKED)
            OnFindNext();
        return true;
    }
    if (id == IDOK)
    {
        // Enter without a default button to take it: search when that is possible, and
        // never close the dialog.
        if (CWindow(Item(IDC_FIND_NEXT)).IsEnabled())
            OnFindNext();
        return true;
    }
    if (IsCriterion(id))
    {
        // The exchange's own writes are not the user's typing.
        if (code == EN_CHANGE && !IsExchangingData())
            OnCriteriaChanged();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CFindDialogBase::OnCriteriaChanged()
{
    UpdateData(false);
    CWindow(Item(IDC_FIND_NEXT)).Enable(HasCriteria());
}
