// The table's clipboard keys: select all, copy entries as hosts lines, paste lines as entries.
#include "form/HostsEditorForm.h"

#include "form/Prompts.h"
#include "hosts/HostsLine.h"
#include "ui/Clipboard.h"

#include <string>
#include <vector>

void CHostsEditorForm::OnSelectAll(const MSG& /*message*/)
{
    m_wndTable.SelectAll();
}

void CHostsEditorForm::OnCopy(const MSG& /*message*/)
{
    CopyEntries();
}

void CHostsEditorForm::OnCtrlInsert(const MSG& /*message*/)
{
    CopyEntries();
}

void CHostsEditorForm::OnPaste(const MSG& /*message*/)
{
    PasteEntries();
}

void CHostsEditorForm::OnShiftInsert(const MSG& /*message*/)
{
    PasteEntries();
}

// Each entry as a record save writes it, in file order, CR LF between them and none after:
// the lines paste into a hosts file or another editor as they are.
void CHostsEditorForm::CopyEntries()
{
    const std::vector<int> rows = m_wndTable.GetSelectedRows();
    if (rows.empty())
        return;
    std::wstring text;
    CHostsRecord entry(L"", false);
    bool first = true;
    for (int row : rows)
    {
        if (!m_hostsFile.ReadEntry(row, entry))
            continue;
        if (!first)
            text += L"\r\n";
        first = false;
        CHostsLine::AppendFormatted(entry, true, text);
    }
    CClipboard clipboard(m_hwnd);
    if (!clipboard.SetText(text))
        MessageBeep(MB_ICONWARNING);
}

// Read as a load reads a file: the entries go last, as added ones do, and nothing else goes.
void CHostsEditorForm::PasteEntries()
{
    std::wstring text;
    {
        // Closed before any message box: other programs wait on an open clipboard.
        const CClipboard clipboard(m_hwnd);
        clipboard.GetText(text);
    }
    const int first = m_hostsFile.GetEntryCount();
    const int added = m_hostsFile.AddEntries(text);
    if (added == 0)
    {
        Modal([this] { ReportNothingToPaste(m_hwnd); });
        return;
    }
    RepopulateTable();
    m_wndTable.SelectRows(first, added);
    UpdateCommandStates();
}
