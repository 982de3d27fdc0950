#include "EditorPage.h"

#include <functional>

namespace
{
// Ten entries, rows 0 to 9, hosts h0 to h9; h5 is disabled.
std::string TenEntries()
{
    std::string text = "# ten\r\n";
    for (int i = 0; i < 10; ++i)
        text += (i == 5 ? "# 10.0.0." : "10.0.0.") + std::to_string(i) + " h" + std::to_string(i) + "\r\n";
    return text;
}

class RecordCommands : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), TenEntries()));
        ASSERT_TRUE(Open());
    }

    void Select(const std::vector<int>& rows, int focused)
    {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(Table(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        for (int row : rows)
        {
            item.state = LVIS_SELECTED | (row == focused ? LVIS_FOCUSED : 0);
            SendMessageW(Table(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
        SetFocus(Table());
    }

    std::vector<std::wstring> Hosts() const
    {
        std::vector<std::wstring> hosts;
        for (int row = 0; row < TableRows(); ++row)
            hosts.push_back(Cell(row, 2));
        return hosts;
    }

    // Runs `command` while answering the record dialog it opens: `fill` changes the dialog's
    // controls, then OK (or Cancel when `ok` is false). Returns whether a dialog came.
    bool WithRecordDialog(const std::function<void()>& command, const std::function<void(HWND)>& fill, bool ok)
    {
        bool seen = false;
        m_boxes.OnOtherDialog([&](HWND dialog) {
            if (seen)
                return;
            seen = true;
            fill(dialog);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
        });
        command();
        PumpPending();
        m_boxes.OnOtherDialog(nullptr);
        return seen;
    }

    static void SetHost(HWND dialog, const wchar_t* host) { SetDlgItemTextW(dialog, IDC_RECORD_HOST, host); }
};
} // namespace

TEST_F(RecordCommands, DeleteAsksThenRemovesTheSelectedEntriesAndFocusesTheRowBefore)
{
    struct DeleteCase
    {
        const char* name;
        std::vector<int> selected;
        int answer;
        const wchar_t* question;
        std::vector<std::wstring> hostsAfter;
        int focusedAfter; // -1: none
    };
    const std::vector<std::wstring> all = {L"h0", L"h1", L"h2", L"h3", L"h4", L"h5", L"h6", L"h7", L"h8", L"h9"};
    const std::vector<DeleteCase> cases = {
        {"No keeps everything and deselects", {2, 3}, IDNO,
         L"Are you sure you want to delete 2 selected records?", all, -2},
        {"rows 2, 3 and 7", {2, 3, 7}, IDYES, L"Are you sure you want to delete 3 selected records?",
         {L"h0", L"h1", L"h4", L"h5", L"h6", L"h8", L"h9"}, 1},
        {"row 0", {0}, IDYES, L"Are you sure you want to delete selected record?",
         {L"h1", L"h4", L"h5", L"h6", L"h8", L"h9"}, 0},
        {"every row", {0, 1, 2, 3, 4, 5}, IDYES, L"Are you sure you want to delete 6 selected records?", {}, -1},
    };
    for (const DeleteCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_boxes.Reset();
        Select(c.selected, c.selected.front());
        m_boxes.QueueAnswer(c.answer);
        PressKey(VK_DELETE);
        ASSERT_EQ(1u, m_boxes.Count());
        EXPECT_EQ(c.question, m_boxes.Seen()[0].text);
        EXPECT_EQ(L"Confirmation ", m_boxes.Seen()[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), m_boxes.Seen()[0].flags);
        EXPECT_EQ(c.hostsAfter, Hosts());
        if (c.focusedAfter == -2)
        {
            EXPECT_TRUE(SelectedRows().empty());
        }
        else if (c.focusedAfter == -1)
        {
            EXPECT_EQ(-1, FocusedRow());
            EXPECT_TRUE(SelectedRows().empty());
        }
        else
        {
            EXPECT_EQ(c.focusedAfter, FocusedRow());
            EXPECT_EQ(std::vector<int>{c.focusedAfter}, SelectedRows());
        }
    }
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_DELETE_RECORD));
    ASSERT_EQ(1, m_norvik.SaveHosts());
    // The comment lost its place as the last line to the entries, and keeps its break.
    EXPECT_EQ("# ten\r\n", FileBytes());
}

TEST_F(RecordCommands, EditWorksOnTheFirstSelectedRowOnlyAndKeepsADisabledEntryDisabled)
{
    // Cancel: nothing changes, but only the first selected row stays selected.
    Select({5, 7, 8}, 8);
    ASSERT_TRUE(WithRecordDialog([] { PressKey(VK_F2); }, [](HWND) {}, false));
    EXPECT_EQ(std::vector<int>{5}, SelectedRows());
    EXPECT_EQ(5, FocusedRow());
    EXPECT_EQ(L"h5", Cell(5, 2));

    // OK: the disabled entry takes the new values and stays disabled.
    std::wstring shownAddress;
    ASSERT_TRUE(WithRecordDialog([] { PressKey(VK_F2); },
                                 [&shownAddress](HWND dialog) {
                                     wchar_t text[64] = {};
                                     GetDlgItemTextW(dialog, IDC_RECORD_ADDRESS, text, 64);
                                     shownAddress = text;
                                     SetHost(dialog, L"renamed");
                                     SetDlgItemTextW(dialog, IDC_RECORD_COMMENT, L"with # inside");
                                 },
                                 true));
    EXPECT_EQ(L"10.0.0.5", shownAddress);
    EXPECT_EQ(L"renamed", Cell(5, 2));
    EXPECT_EQ(L"with # inside", Cell(5, 3));
    EXPECT_FALSE(Ticked(5));
    EXPECT_EQ(std::vector<int>{5}, SelectedRows());
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_NE(std::string::npos, FileBytes().find("\r\n# 10.0.0.5 renamed # with # inside\r\n"));

    // OK with the values as they were: nothing to save.
    ASSERT_TRUE(WithRecordDialog([] { PressKey(VK_F2); }, [](HWND) {}, true));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());

    // F2 with nothing selected opens nothing.
    Select({}, -1);
    EXPECT_FALSE(WithRecordDialog([] { PressKey(VK_F2); }, [](HWND) {}, true));
}

TEST_F(RecordCommands, AddAppendsAnEnabledEntryAndFocusesIt)
{
    Select({2}, 2);
    ASSERT_TRUE(WithRecordDialog([this] { ClickButton(m_toolbar, ID_ADD_RECORD); },
                                 [](HWND dialog) { SetHost(dialog, L"new.example"); }, true));
    ASSERT_EQ(11, TableRows());
    EXPECT_EQ(L"127.0.0.1", Cell(10, 1));
    EXPECT_EQ(L"new.example", Cell(10, 2));
    EXPECT_TRUE(Ticked(10));
    EXPECT_EQ(std::vector<int>{10}, SelectedRows());
    EXPECT_EQ(10, FocusedRow());

    // The same again is a second, identical row; Cancel adds nothing.
    ASSERT_TRUE(WithRecordDialog([] { PressKey(VK_INSERT); }, [](HWND dialog) { SetHost(dialog, L"new.example"); },
                                 true));
    ASSERT_TRUE(WithRecordDialog([] { PressKey(VK_INSERT); }, [](HWND dialog) { SetHost(dialog, L"other"); },
                                 false));
    EXPECT_EQ(12, TableRows());
    EXPECT_EQ(Cell(10, 2), Cell(11, 2));
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(TenEntries() + "127.0.0.1 new.example\r\n127.0.0.1 new.example", FileBytes());
}

TEST_F(RecordCommands, DoubleClickEditsTheRowUnderTheMouseOnly)
{
    RECT cell = {};
    cell.top = 2;
    cell.left = LVIR_BOUNDS;
    SendMessageW(Table(), LVM_GETSUBITEMRECT, 3, reinterpret_cast<LPARAM>(&cell));
    const LPARAM onRow = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    RECT client = {};
    GetClientRect(Table(), &client);
    const LPARAM belowRows = MAKELPARAM(client.right / 2, client.bottom - 3);
    auto doubleClick = [this](LPARAM point) {
        return [this, point] {
            PostMessageW(Table(), WM_LBUTTONDOWN, MK_LBUTTON, point);
            PostMessageW(Table(), WM_LBUTTONUP, 0, point);
            PostMessageW(Table(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
            PostMessageW(Table(), WM_LBUTTONUP, 0, point);
            PumpPending();
        };
    };
    EXPECT_FALSE(WithRecordDialog(doubleClick(belowRows), [](HWND) {}, true));
    ASSERT_TRUE(WithRecordDialog(doubleClick(onRow), [](HWND dialog) { SetHost(dialog, L"clicked"); }, true));
    EXPECT_EQ(L"clicked", Cell(3, 2));
    EXPECT_EQ((std::vector<bool>{true, true, true, true, true, false, true, true, true, true}), TickedRows());
}
