#include "editing/FindTextDialog.h"

#include "resources/resource.h"

CFindTextDialog::CFindTextDialog() : CFindDialogBase(IDD_FIND_TEXT) {}

CFindTextDialog::~CFindTextDialog() = default;

void CFindTextDialog::DoDataExchange(bool toControls)
{
    ExchangeDirection(toControls);
    ExchangeText(IDC_FIND_TEXT, m_strText, toControls);
}

bool CFindTextDialog::IsCriterion(WORD id) const
{
    return id == IDC_FIND_TEXT;
}

bool CFindTextDialog::HasCriteria() const
{
    return !m_strText.empty();
}

void CFindTextDialog::OnFindNext()
{
    if (!m_pTarget)
        return;
    UpdateData(false);
    m_pTarget->FindText(m_nDirection, m_strText);
}
