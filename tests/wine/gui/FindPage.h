#pragma once

// The page over a small hosts file for the searches, and the find dialogs driven from inside
// their modal loops.

#include "DialogScript.h"
#include "EditorPage.h"

#include <functional>
#include <utility>
#include <vector>

// Hosts containing "hit" in rows 1, 3, 4 and 6; row 5 has it only in its comment.
inline const char kFindEntries[] = "# find\r\n"
                                   "10.0.0.10 start # first\r\n"
                                   "10.0.0.11 hit-one\r\n"
                                   "10.0.0.12 other\r\n"
                                   "10.0.0.13 hit-three # near by\r\n"
                                   "10.0.0.14 hit-four\r\n"
                                   "10.0.0.15 other # hit\r\n"
                                   "10.0.0.16 hit-six\r\n";

class FindDialog : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFindEntries));
        ASSERT_TRUE(Open());
        ASSERT_EQ(7, TableRows());
    }

    // Runs `open`; once the find dialog it brings up shows, `body` runs inside its modal loop.
    // A dialog the body leaves open is cancelled.
    ::testing::AssertionResult InDialog(const std::function<void()>& open, const std::function<void(HWND)>& body)
    {
        CDialogScript script(m_boxes, IDC_FIND_NEXT);
        script.Do(body).CancelIfOpen();
        return script.Run(open);
    }

    ::testing::AssertionResult WithSearch(const std::function<void(HWND)>& body)
    {
        return InDialog([this] { ClickButton(m_toolbar, ID_SEARCH); }, body);
    }

    // An entry of the user's, added through the record dialog.
    void AddThroughTheDialog(const wchar_t* host)
    {
        CDialogScript add(m_boxes, IDC_RECORD_HOST);
        add.Type(IDC_RECORD_HOST, host).PressEnter();
        ASSERT_TRUE(add.Run([this] { ClickButton(m_toolbar, ID_ADD_RECORD); }));
        ASSERT_EQ(host, Cell(TableRows() - 1, 2));
    }

    // The focused row, selected with `alsoSelected`, which nothing else is.
    void FocusRow(int row, const std::vector<int>& alsoSelected = {}) const
    {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(Table(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED;
        for (int other : alsoSelected)
            SendMessageW(Table(), LVM_SETITEMSTATE, other, reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(Table(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    void ShowText()
    {
        ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
        ASSERT_TRUE(PumpUntil([this] { return IsWindowVisible(TextEdit()) != FALSE; }, 5000));
    }

    std::pair<DWORD, DWORD> TextSelection() const { return EditSelection(TextEdit()); }

    // Expects exactly one "Record not found" since the last Reset, and forgets it.
    void ExpectNotFound()
    {
        const std::vector<SeenMessageBox> seen = m_boxes.Seen();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(L"Record not found", seen[0].text);
        EXPECT_EQ(L"Information", seen[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), seen[0].flags);
        m_boxes.Reset();
    }

    // Find next, with the "Record not found" that is expected answered.
    void FindNextMissing(HWND dialog)
    {
        m_boxes.Reset();
        m_boxes.QueueAnswer(IDOK);
        ClickFindNext(dialog);
        ExpectNotFound();
    }

    static void Type(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
    static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    static bool FindNextEnabled(HWND dialog) { return ItemEnabled(dialog, IDC_FIND_NEXT); }
    static void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    static void ClickFindNext(HWND dialog) { Click(dialog, IDC_FIND_NEXT); }
};
