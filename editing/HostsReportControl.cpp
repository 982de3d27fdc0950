#include "editing/HostsReportControl.h"

#include "editing/ColumnSizing.h"
#include "resources/Texts.h"
#include "ui/Dpi.h"
#include "ui/GdiObject.h"
#include "ui/HeaderCaption.h"
#include "ui/RedrawPause.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>
#include <string>

namespace
{
struct ColumnInfo
{
    const wchar_t* caption;
    int width; // of an auto-sized column, its share of the width the others leave
    bool autoSize;
};

const ColumnInfo kColumns[] = {
    {texts::kColumnEnabled, 50, false},
    {texts::kColumnAddress, 130, false},
    {texts::kColumnHost, 280, true},
    {texts::kColumnComment, 180, true},
};
const int kColumnCount = static_cast<int>(sizeof(kColumns) / sizeof(kColumns[0]));

// The state image of a list view checkbox: 1 clear, 2 ticked.
const UINT kUnticked = INDEXTOSTATEIMAGEMASK(1);
const UINT kTicked = INDEXTOSTATEIMAGEMASK(2);

bool IsDown(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

// Either Shift key, or either Control key, tested key by key.
bool ShiftHeld()
{
    return IsDown(VK_LSHIFT) || IsDown(VK_RSHIFT);
}

bool ControlHeld()
{
    return IsDown(VK_LCONTROL) || IsDown(VK_RCONTROL);
}
} // namespace

bool CHostsReportControl::Create(HWND parent, int id, const RECT& rect, HWND insertAfter, const CHostsFile* model)
{
    m_model = model;
    m_fittedWidth = -1;
    // No label editing and no sorting: the list only shows the entries.
    m_hwnd =
        CreateWindowExW(0, WC_LISTVIEWW, L"",
                        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (!m_hwnd)
        return false;
    SetWindowPos(m_hwnd, insertAfter, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
    ListView_SetExtendedListViewStyle(m_hwnd, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    // The checkboxes come from the entries, asked for like the texts.
    ListView_SetCallbackMask(m_hwnd, LVIS_STATEIMAGEMASK);
    for (int i = 0; i < kColumnCount; ++i)
    {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        ListView_InsertColumn(m_hwnd, i, &column);
    }
    m_listProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hwnd, GWLP_WNDPROC));
    Attach(m_hwnd);
    SizeFixedColumns();
    return true;
}

// Each message through the subclass chain costs comctl32 two window-property lookups, under
// Wine a round trip to the server each (about half a millisecond a message here): a message
// per row would take minutes for a blocklist. Only messages the subclass never takes go
// straight to the list.
LRESULT CHostsReportControl::ListMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return CallWindowProcW(m_listProc, m_hwnd, message, wParam, lParam);
}

LRESULT CHostsReportControl::SetRowState(int row, UINT state, UINT mask) const
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    return ListMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Enabled and IP Address at the list's DPI, and never narrower than what they show: the
// caption, the box, the longest address. Host and Comment are fitted to what they leave.
void CHostsReportControl::SizeFixedColumns()
{
    const UINT dpi = WindowDpi(m_hwnd);
    const int cellPadding = ScaleToDpi(12, dpi);
    int boxWidth = 0;
    int boxHeight = 0;
    if (const HIMAGELIST boxes = ListView_GetImageList(m_hwnd, LVSIL_STATE))
        ImageList_GetIconSize(boxes, &boxWidth, &boxHeight);
    for (int i = 0; i < kColumnCount; ++i)
    {
        if (kColumns[i].autoSize)
            continue;
        int width = std::max(ScaleToDpi(kColumns[i].width, dpi), HeaderCaptionWidth(m_hwnd, kColumns[i].caption));
        if (i == COLUMN_ENABLED)
            width = std::max(width, boxWidth + cellPadding);
        else if (i == COLUMN_ADDRESS)
            width = std::max(width, ListView_GetStringWidth(m_hwnd, L"255.255.255.255") + cellPadding);
        ListView_SetColumnWidth(m_hwnd, i, width);
    }
    m_fittedWidth = -1;
    FitColumns();
}

// Host and Comment take the width Enabled and IP Address leave, so the columns end at the
// list's right edge, but never get narrower than their captions. Only a new width of the list
// refits them: a column the user has dragged keeps its width until then.
void CHostsReportControl::FitColumns()
{
    // A new column width can show or hide a scroll bar, which sizes the list again; the loop
    // below looks at the width that leaves.
    if (m_fitting)
        return;
    m_fitting = true;
    for (int round = 0; round < 3; ++round)
    {
        RECT client = {};
        GetClientRect(m_hwnd, &client);
        const int width = client.right - client.left;
        if (width == m_fittedWidth)
            break;
        int available = width;
        std::vector<ColumnShare> shares;
        for (int i = 0; i < kColumnCount; ++i)
        {
            if (kColumns[i].autoSize)
                shares.push_back({kColumns[i].width, HeaderCaptionWidth(m_hwnd, kColumns[i].caption)});
            else
                available -= ListView_GetColumnWidth(m_hwnd, i);
        }
        const std::vector<int> widths = ShareWidth(available, shares);
        for (int i = 0, share = 0; i < kColumnCount; ++i)
        {
            if (kColumns[i].autoSize)
                ListView_SetColumnWidth(m_hwnd, i, widths[static_cast<size_t>(share++)]);
        }
        m_fittedWidth = width;
    }
    m_fitting = false;
}

void CHostsReportControl::Populate(int count)
{
    if (!m_hwnd)
        return;
    {
        // No rows first: that drops every selection and the focus at once, where clearing
        // the state of each row would visit them all. Without redraw the list neither lays
        // out its scroll bars nor repaints in between, so a long list's bar does not go and
        // come back (a frame change each way).
        const CRedrawPause pause(m_hwnd);
        ListView_DeleteAllItems(m_hwnd);
        ListView_SetItemCountEx(m_hwnd, count, 0);
        SendMessageW(m_hwnd, LVM_SETSELECTIONMARK, 0, -1);
    }
    InvalidateRect(m_hwnd, nullptr, TRUE);
    // The new rows show from the first, as when the list went through no rows on screen.
    if (count > 0 && ListView_GetTopIndex(m_hwnd) != 0)
        ListView_EnsureVisible(m_hwnd, 0, FALSE);
}

bool CHostsReportControl::PreTranslateMessage(const MSG& message)
{
    if (message.message != WM_KEYDOWN || !m_pKeyHandler)
        return false;
    ITableKeyHandler& handler = *m_pKeyHandler;
    switch (message.wParam)
    {
    case VK_SPACE:
        handler.OnToggleEnabled(message);
        return true;
    case VK_INSERT:
        // Shift first: Shift+Ctrl+Insert counts as Shift+Insert.
        if (ShiftHeld())
            handler.OnShiftInsert(message);
        else if (ControlHeld())
            handler.OnCtrlInsert(message);
        else
            handler.OnAddRecord(message);
        return true;
    case VK_DELETE:
        handler.OnDeleteRecords(message);
        return true;
    case VK_F2:
        handler.OnEditRecord(message);
        return true;
    case VK_F3:
        handler.OnFindNext(message);
        return true;
    case 'A':
    case 'C':
    case 'F':
    case 'V':
        if (!ControlHeld())
            return false;
        if (message.wParam == 'A')
            handler.OnSelectAll(message);
        else if (message.wParam == 'C')
            handler.OnCopy(message);
        else if (message.wParam == 'F')
            handler.OnFind(message);
        else
            handler.OnPaste(message);
        return true;
    default:
        return false;
    }
}

bool CHostsReportControl::OnNotify(NMHDR* header, LRESULT& result)
{
    if (header->hwndFrom != m_hwnd)
        return false;
    switch (header->code)
    {
    case LVN_GETDISPINFOW:
        FillCell(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
        result = 0;
        return true;
    case LVN_ODFINDITEMW:
    case LVN_ODFINDITEMA:
        // Typed characters search the rows; the table offers no such search, and an
        // unanswered search reads as "row 0", which would move the selection there.
        result = -1;
        return true;
    case NM_CUSTOMDRAW:
    {
        NMCUSTOMDRAW& draw = *reinterpret_cast<NMCUSTOMDRAW*>(header);
        if (draw.dwDrawStage == CDDS_PREPAINT)
            result = CDRF_NOTIFYPOSTPAINT;
        else
        {
            if (draw.dwDrawStage == CDDS_POSTPAINT)
                DrawColumnLines(draw.hdc);
            result = CDRF_DODEFAULT;
        }
        return true;
    }
    default:
        return false;
    }
}

void CHostsReportControl::FillCell(LVITEMW& item) const
{
    // Read again for every cell: the table asks only for the rows it shows.
    CHostsRecord& read = m_cell;
    const CHostsRecord* entry = m_model && m_model->ReadEntry(item.iItem, read) ? &read : nullptr;
    if (item.mask & LVIF_STATE)
    {
        item.state = entry && entry->IsEntry() ? (entry->m_bDisabled ? kUnticked : kTicked) : kUnticked;
        item.stateMask = LVIS_STATEIMAGEMASK;
    }
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0)
        return;
    const std::wstring* text = nullptr;
    if (entry && entry->IsEntry())
    {
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
    }
    const size_t room = static_cast<size_t>(item.cchTextMax - 1);
    const size_t count = text ? (text->size() < room ? text->size() : room) : 0;
    if (text)
        text->copy(item.pszText, count);
    item.pszText[count] = L'\0';
}

// Solid lines between the columns, down to the bottom of the list, as a grid of columns.
void CHostsReportControl::DrawColumnLines(HDC dc) const
{
    const HWND header = ListView_GetHeader(m_hwnd);
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    RECT headerRect = {};
    if (header && IsWindowVisible(header))
    {
        GetWindowRect(header, &headerRect);
        MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&headerRect), 2);
    }
    const CPen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT)));
    const CSelectObject selected(dc, pen.Get());
    const int columns = header ? Header_GetItemCount(header) : 0;
    for (int i = 0; i < columns; ++i)
    {
        RECT item = {};
        if (!Header_GetItemRect(header, i, &item))
            continue;
        const int x = item.right + headerRect.left - 1;
        MoveToEx(dc, x, headerRect.bottom, nullptr);
        LineTo(dc, x, client.bottom);
    }
}

int CHostsReportControl::GetRowCount() const
{
    return m_hwnd ? ListView_GetItemCount(m_hwnd) : 0;
}

std::vector<int> CHostsReportControl::GetSelectedRows() const
{
    std::vector<int> rows;
    if (!m_hwnd)
        return rows;
    const auto next = [this](int after) {
        return static_cast<int>(ListMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
    };
    // One range (Ctrl+A, Shift and a click): `count` rows from the first selected one, and none
    // after them, are exactly the selection. Told in three questions instead of one a row.
    const auto count = static_cast<int>(ListMessage(LVM_GETSELECTEDCOUNT, 0, 0));
    const int first = count > 0 ? next(-1) : -1;
    if (first >= 0 && first + count <= GetRowCount() && next(first + count - 1) < 0)
    {
        rows.resize(static_cast<size_t>(count));
        std::iota(rows.begin(), rows.end(), first);
        return rows;
    }
    for (int row = first; row >= 0; row = next(row))
        rows.push_back(row);
    return rows;
}

int CHostsReportControl::GetFocusedRow() const
{
    return m_hwnd ? ListView_GetNextItem(m_hwnd, -1, LVNI_FOCUSED) : -1;
}

void CHostsReportControl::SelectRow(int row, bool selected)
{
    SetRowState(row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

// All rows at once, and clearing them, run under a redraw pause: the list changes row by row
// and would repaint each.
void CHostsReportControl::SelectAll()
{
    const CRedrawPause pause(m_hwnd);
    SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CHostsReportControl::SelectRows(int first, int count)
{
    {
        const CRedrawPause pause(m_hwnd);
        // Either the rows inside the range are selected one by one, or all rows at once and
        // those outside it cleared one by one. A row set alone costs the list about four times
        // what a row of an all-rows change does (it tells the page twice).
        const int total = GetRowCount();
        const int outside = total - count;
        if (4LL * count <= 4LL * outside + total)
        {
            SetRowState(-1, 0, LVIS_SELECTED);
            for (int row = first; row < first + count; ++row)
                SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
        else
        {
            SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
            for (int row = 0; row < total; ++row)
            {
                if (row < first || row >= first + count)
                    SetRowState(row, 0, LVIS_SELECTED);
            }
        }
    }
    SetFocusedRow(first, true);
}

void CHostsReportControl::ClearSelection()
{
    const CRedrawPause pause(m_hwnd);
    SetRowState(-1, 0, LVIS_SELECTED);
}

void CHostsReportControl::SetFocusedRow(int row, bool keepSelection)
{
    if (!keepSelection)
        ClearSelection();
    ListView_SetItemState(m_hwnd, row, keepSelection ? LVIS_FOCUSED : LVIS_FOCUSED | LVIS_SELECTED,
                          keepSelection ? LVIS_FOCUSED : LVIS_FOCUSED | LVIS_SELECTED);
    SendMessageW(m_hwnd, LVM_SETSELECTIONMARK, 0, row);
    ListView_EnsureVisible(m_hwnd, row, FALSE);
}

void CHostsReportControl::RedrawRow(int row)
{
    ListView_RedrawItems(m_hwnd, row, row);
}

void CHostsReportControl::RedrawRows(int first, int last)
{
    // Only those on screen: the list visits every row of the range it is given.
    const auto top = static_cast<int>(ListMessage(LVM_GETTOPINDEX, 0, 0));
    const auto shown = static_cast<int>(ListMessage(LVM_GETCOUNTPERPAGE, 0, 0));
    first = std::max(first, top);
    last = std::min(last, top + shown);
    if (first <= last)
        ListMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
}

// Clicks are taken before the list handles them: a click in the Enabled cell toggles that
// entry (the list would only toggle its own copy of the box), a double click elsewhere edits
// the row.
bool CHostsReportControl::OnMouse(UINT message, LPARAM lParam)
{
    if (!m_pClickHandler)
        return false;
    LVHITTESTINFO hit = {};
    hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const int row = ListView_SubItemHitTest(m_hwnd, &hit);
    if (row < 0 || !(hit.flags & LVHT_ONITEM))
        return false;
    // The second click of a double click in the Enabled cell is a click too: the box goes back
    // to where it was, and the row is not edited.
    if (hit.iSubItem == COLUMN_ENABLED)
    {
        SetFocus(m_hwnd);
        m_pClickHandler->OnTableClick(row);
        return true;
    }
    if (message == WM_LBUTTONDOWN)
        return false;
    SetFocus(m_hwnd);
    m_pClickHandler->OnTableDblClick(row);
    return true;
}

// A plain click or move leaves one row selected. The list would drop the others one at a
// time, repainting each (under Wine half a minute for a selected blocklist): they go at once.
void CHostsReportControl::DropSelectionOfMany()
{
    if (ListMessage(LVM_GETSELECTEDCOUNT, 0, 0) > 1)
        ClearSelection();
}

bool CHostsReportControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message)
    {
    case WM_LBUTTONDOWN:
        if (!(wParam & (MK_CONTROL | MK_SHIFT)))
            DropSelectionOfMany();
        return OnMouse(message, lParam);
    case WM_KEYDOWN:
        if (!ControlHeld() && !ShiftHeld() &&
            (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_HOME ||
             wParam == VK_END))
            DropSelectionOfMany();
        return false;
    case WM_LBUTTONDBLCLK:
        return OnMouse(message, lParam);
    case WM_SIZE:
        result = DefaultProc(message, wParam, lParam);
        FitColumns();
        return true;
    default:
        return false;
    }
}
