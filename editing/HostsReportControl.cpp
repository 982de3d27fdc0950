#include "editing/HostsReportControl.h"

#include <commctrl.h>

#include <string>

namespace
{
struct ColumnInfo
{
    const wchar_t* caption;
    int width;
};

const ColumnInfo kColumns[] = {
    {L"Enabled", 50},
    {L"IP Address", 130},
    {L"Host", 280},
    {L"Comment", 180},
};
} // namespace

bool CHostsReportControl::Create(HWND parent, int id, const RECT& rect, HWND insertAfter, const CHostsFile* model)
{
    m_model = model;
    m_hwnd = CreateWindowExW(0, WC_LISTVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                 LVS_SHOWSELALWAYS,
                             rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (!m_hwnd)
        return false;
    SetWindowPos(m_hwnd, insertAfter, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
    ListView_SetExtendedListViewStyle(m_hwnd, LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                                                  LVS_EX_DOUBLEBUFFER);
    // The checkboxes come from the entries, asked for like the texts.
    ListView_SetCallbackMask(m_hwnd, LVIS_STATEIMAGEMASK);
    for (int i = 0; i < static_cast<int>(sizeof(kColumns) / sizeof(kColumns[0])); ++i)
    {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        ListView_InsertColumn(m_hwnd, i, &column);
    }
    return true;
}

void CHostsReportControl::SetRowCount(int count)
{
    if (m_hwnd)
        ListView_SetItemCountEx(m_hwnd, count, 0);
}

bool CHostsReportControl::OnNotify(NMHDR* header, LRESULT& result)
{
    if (header->hwndFrom != m_hwnd || header->code != LVN_GETDISPINFOW || !m_model)
        return false;
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    const CHostsRecord* entry = m_model->GetEntry(item.iItem);
    result = 0;
    if (!entry)
        return true;
    if (item.mask & LVIF_STATE)
    {
        item.state = INDEXTOSTATEIMAGEMASK(entry->m_bDisabled ? 1 : 2);
        item.stateMask = LVIS_STATEIMAGEMASK;
    }
    if (item.mask & LVIF_TEXT)
    {
        const std::wstring* text = nullptr;
        switch (item.iSubItem)
        {
        case COLUMN_ADDRESS:
            text = &entry->m_strAddress;
            break;
        case COLUMN_HOST:
            text = &entry->m_strHost;
            break;
        case COLUMN_COMMENT:
            text = &entry->m_strComment;
            break;
        default:
            break;
        }
        if (text && item.cchTextMax > 0)
        {
            const size_t count = text->size() < static_cast<size_t>(item.cchTextMax - 1)
                                     ? text->size()
                                     : static_cast<size_t>(item.cchTextMax - 1);
            text->copy(item.pszText, count);
            item.pszText[count] = L'\0';
        }
        else if (item.cchTextMax > 0)
        {
            item.pszText[0] = L'\0';
        }
    }
    return true;
}
