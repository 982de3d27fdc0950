#pragma once

#include "editing/TableKeyHandler.h"
#include "hosts/HostsFile.h"
#include "ui/SubclassedWindow.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

// The table view: a virtual report list over the model's entries. It holds no copy of the data,
// only the row count; each cell is read from the entry of its row when it is painted.
class CHostsReportControl : private CSubclassedWindow
{
public:
    enum Column
    {
        COLUMN_ENABLED,
        COLUMN_ADDRESS,
        COLUMN_HOST,
        COLUMN_COMMENT,
    };

    // What a mouse click in the list asks of the form.
    class IClickHandler
    {
    public:
        // A click in the Enabled cell of `row`.
        virtual void OnTableClick(int row) = 0;
        // A double click on `row`.
        virtual void OnTableDblClick(int row) = 0;

    protected:
        ~IClickHandler() = default;
    };

    CHostsReportControl() = default;

    // Created in `rect` of `parent`, right after `insertAfter` in window order.
    bool Create(HWND parent, int id, const RECT& rect, HWND insertAfter, const CHostsFile* model);
    HWND Hwnd() const { return m_hwnd; }
    void SetKeyHandler(ITableKeyHandler* handler) { m_pKeyHandler = handler; }
    void SetClickHandler(IClickHandler* handler) { m_pClickHandler = handler; }

    // After the number of entries changed: the rows are rebuilt with nothing selected.
    void Populate(int count);
    // Routes a key to the key handler; true when it was taken.
    bool PreTranslateMessage(const MSG& message);
    // The parent passes the control's WM_NOTIFY here; true when handled.
    bool OnNotify(NMHDR* header, LRESULT& result);

    int GetRowCount() const;
    std::vector<int> GetSelectedRows() const;
    // -1 when no row has the focus.
    int GetFocusedRow() const;
    void SelectRow(int row, bool selected);
    void SelectAll();
    // Rows first to first + count - 1 selected and no others, the first focused and in view.
    void SelectRows(int first, int count);
    void ClearSelection();
    // The row gets the focus; without `keepSelection` it becomes the only selected row.
    void SetFocusedRow(int row, bool keepSelection);
    void RedrawRow(int row);
    void RedrawRows(int first, int last);
    // Fixed column widths for the list's DPI and font, then the others fitted again.
    void SizeFixedColumns();

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnMouse(UINT message, LPARAM lParam);
    void DropSelectionOfMany();
    void FillCell(LVITEMW& item) const;
    LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam) const;
    LRESULT SetRowState(int row, UINT state, UINT mask) const;
    void FitColumns();
    void DrawColumnLines(HDC dc) const;

    HWND m_hwnd = nullptr;
    // The list's own procedure, below every subclass.
    WNDPROC m_listProc = nullptr;
    const CHostsFile* m_model = nullptr;
    ITableKeyHandler* m_pKeyHandler = nullptr;
    IClickHandler* m_pClickHandler = nullptr;
    bool m_fitting = false;
    int m_fittedWidth = -1; // the client width the columns were last fitted to
    // The row being shown, read into strings that keep their room from row to row.
    mutable CHostsRecord m_cell{L"", false};
};
