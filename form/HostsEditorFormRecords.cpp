// The record commands of the table: add, edit, delete, enable and disable.
#include "form/HostsEditorForm.h"

#include "editing/RecordDialog.h"
#include "form/Prompts.h"

#include <algorithm>
#include <vector>

namespace
{
// A comment as a reload of its line would give it: the blanks after its '#' are not kept.
std::wstring CommentAsRead(const std::wstring& comment)
{
    const size_t start = comment.find_first_not_of(L" \t");
    return start == std::wstring::npos ? std::wstring() : comment.substr(start);
}
} // namespace

// Each selected entry flips on its own; the selection and the focused row stay.
void CHostsEditorForm::OnToggleEnabled(const MSG& /*message*/)
{
    const int focused = std::max(m_wndTable.GetFocusedRow(), 0);
    const std::vector<int> rows = m_wndTable.GetSelectedRows();
    for (int row : rows)
    {
        if (CHostsRecord* entry = m_hostsFile.GetEntry(row))
            entry->m_bDisabled = entry->m_bDisabled ? 0 : 1;
    }
    UpdateCommandStates();
    if (rows.empty())
        return;
    // The selection is the list's and nothing here changes it; the focused row comes into view.
    if (std::binary_search(rows.begin(), rows.end(), focused))
        m_wndTable.SetFocusedRow(focused, true);
    m_wndTable.RedrawRows(rows.front(), rows.back());
}

void CHostsEditorForm::OnTableClick(int row)
{
    CHostsRecord* entry = m_hostsFile.GetEntry(row);
    if (!entry)
        return;
    entry->m_bDisabled = entry->m_bDisabled ? 0 : 1;
    m_wndTable.SetFocusedRow(row, false);
    m_wndTable.RedrawRow(row);
    UpdateCommandStates();
}

void CHostsEditorForm::OnTableDblClick(int /*row*/)
{
    EditRecord();
}

void CHostsEditorForm::AddRecord()
{
    CRecordDialog dialog;
    CHostsRecord added(L"", L"", L"", false);
    if (RunModal(dialog) && added.SetNames(dialog.m_strHost))
    {
        added.m_strAddress = dialog.m_strAddress;
        added.m_strComment = CommentAsRead(dialog.m_strComment);
        m_hostsFile.AddEntry(added);
        RepopulateTable();
        // New entries always go last.
        m_wndTable.SetFocusedRow(m_wndTable.GetRowCount() - 1, false);
    }
    UpdateCommandStates();
}

void CHostsEditorForm::EditRecord()
{
    const std::vector<int> selected = m_wndTable.GetSelectedRows();
    if (selected.empty())
        return;
    // A multiple selection comes down to its first row, whatever the dialog's answer.
    m_wndTable.SetFocusedRow(selected.front(), false);
    const int row = m_wndTable.GetFocusedRow();
    const CHostsRecord* shown = row >= 0 ? m_hostsFile.GetEntry(row) : nullptr;
    if (!shown)
        return;
    // The host field holds every name of the line: the table shows the first only.
    CRecordDialog dialog(shown->m_strAddress, shown->AllNames(), shown->m_strComment);
    // The entry is looked up again afterwards: what the dialog showed may be gone by then.
    if (!RunModal(dialog))
        return;
    CHostsRecord* entry = m_hostsFile.GetEntry(row);
    if (!entry || !entry->SetNames(dialog.m_strHost))
        return;
    // In place: the entry keeps its line, its sequence and whether it is disabled.
    entry->m_strAddress = dialog.m_strAddress;
    entry->m_strComment = CommentAsRead(dialog.m_strComment);
    m_wndTable.SetFocusedRow(row, false);
    m_wndTable.RedrawRow(row);
    UpdateCommandStates();
}

void CHostsEditorForm::DeleteRecords()
{
    const std::vector<int> selected = m_wndTable.GetSelectedRows();
    if (selected.empty())
        return;
    const int first = selected.front();
    bool yes = false;
    if (!Modal([&] { yes = AskDeleteRecords(m_hwnd, selected.size()); }))
        return;
    if (!yes)
    {
        m_wndTable.ClearSelection();
        return;
    }
    m_hostsFile.RemoveEntries(selected);
    RepopulateTable();
    if (m_wndTable.GetRowCount() > 0)
        m_wndTable.SetFocusedRow(std::min(std::max(first - 1, 0), m_wndTable.GetRowCount() - 1), false);
    UpdateCommandStates();
}
