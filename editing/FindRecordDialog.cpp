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

CFindRecordDialog::CFindRecordDialog() : CDialog(IDD_FIND_RECORD) {}

CFindRecordDialog::~CFindRecordDialog() = default;

bool CFindRecordDialog::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return false;
    m_nLastFound = -1;
    UpdateData(true);
    OnCriteriaChanged();
    return true;
}

void CFindRecordDialog::DoDataExchange(bool toControls)
{
    ExchangeText(IDC_FIND_ADDRESS, m_strAddress, toControls);
    ExchangeText(IDC_FIND_HOST, m_strHost, toControls);
    ExchangeText(IDC_FIND_COMMENT, m_strComment, toControls);
    // Up is 0, Down 1; neither checked reads as -1, and a search then runs up.
    ExchangeRadio(IDC_FIND_UP, 2, m_nDirection, toControls);
}

bool CFindRecordDialog::OnCommand(WORD id, WORD code, HWND control)
{
    switch (id)
    {
    case IDC_FIND_NEXT:
        if (code == BN_CLICKED)
            OnFindNext();
        return true;
    case IDC_FIND_ADDRESS:
    case IDC_FIND_HOST:
    case IDC_FIND_COMMENT:
        // The exchange's own writes are not the user's typing.
        if (code == EN_CHANGE && !IsExchangingData())
            OnCriteriaChanged();
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

bool CFindRecordDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_CLOSE)
    {
        OnCancel();
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

void CFindRecordDialog::OnCancel()
{
    m_nLastFound = -1;
    CDialog::OnCancel();
}

void CFindRecordDialog::OnCriteriaChanged()
{
    UpdateData(false);
    const bool any = !m_strAddress.empty() || !m_strHost.empty() || !m_strComment.empty();
    CWindow(Item(IDC_FIND_NEXT)).Enable(any);
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
