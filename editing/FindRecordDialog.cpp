#include "editing/FindRecordDialog.h"

#include "resources/resource.h"

#include <cwctype>

namespace
{
void TrimRight(std::wstring& text)
{
    size_t end = text.size();
    while (end > 0 && std::iswspace(text[end - 1]))
        --end;
    text.erase(end);
}
} // namespace

CFindRecordDialog::CFindRecordDialog() : CFindDialogBase(IDD_FIND_RECORD) {}

CFindRecordDialog::~CFindRecordDialog() = default;

bool CFindRecordDialog::OnInitDialog()
{
    m_nLastFound = -1;
    return CFindDialogBase::OnInitDialog();
}

void CFindRecordDialog::DoDataExchange(bool toControls)
{
    ExchangeText(IDC_FIND_ADDRESS, m_strAddress, toControls);
    ExchangeText(IDC_FIND_HOST, m_strHost, toControls);
    ExchangeText(IDC_FIND_COMMENT, m_strComment, toControls);
    ExchangeDirection(toControls);
}

bool CFindRecordDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_CLOSE)
    {
        OnCancel();
        return true;
    }
    return CFindDialogBase::OnMessage(message, wParam, lParam, result);
}

void CFindRecordDialog::OnCancel()
{
    m_nLastFound = -1;
    CFindDialogBase::OnCancel();
}

bool CFindRecordDialog::IsCriterion(WORD id) const
{
    return id == IDC_FIND_ADDRESS || id == IDC_FIND_HOST || id == IDC_FIND_COMMENT;
}

bool CFindRecordDialog::HasCriteria() const
{
    return !m_strAddress.empty() || !m_strHost.empty() || !m_strComment.empty();
}

void CFindRecordDialog::OnFindNext()
{
    if (!m_pTarget)
        return;
    UpdateData(false);
    TrimRight(m_strAddress);
    TrimRight(m_strHost);
    TrimRight(m_strComment);
    UpdateData(true);

    const int base = m_nLastFound != -1 ? m_nLastFound : m_pTarget->GetFocusedIndex();
    const int start = m_nDirection == 1 ? base + 1 : base - 1;
    m_nLastFound = m_pTarget->FindRecord(start, m_nDirection, m_strAddress, m_strHost, m_strComment);
}
