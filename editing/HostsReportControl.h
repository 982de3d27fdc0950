#pragma once

#include "hosts/HostsFile.h"

#include <windows.h>

// The table view: a virtual report list over the model's entries. It holds no copy of the data,
// only the row count; each cell is read from the entry of its row when it is painted.
class CHostsReportControl
{
public:
    enum Column
    {
        COLUMN_ENABLED,
        COLUMN_ADDRESS,
        COLUMN_HOST,
        COLUMN_COMMENT,
    };

    // Created in `rect` of `parent`, right after `insertAfter` in window order.
    bool Create(HWND parent, int id, const RECT& rect, HWND insertAfter, const CHostsFile* model);
    HWND Hwnd() const { return m_hwnd; }
    // After the number of entries changed.
    void SetRowCount(int count);
    // The parent passes the control's WM_NOTIFY here; true when handled.
    bool OnNotify(NMHDR* header, LRESULT& result);

private:
    HWND m_hwnd = nullptr;
    const CHostsFile* m_model = nullptr;
};
