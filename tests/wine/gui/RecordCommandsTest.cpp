#include "DialogScript.h"
#include "EditorPage.h"

#include <functional>

namespace
{
// Entry i of the ten below as the file has it.
std::string Line(int i)
{
    return (i == 5 ? "# 10.0.0." : "10.0.0.") + std::to_string(i) + " h" + std::to_string(i);
}

// Ten entries, rows 0 to 9, hosts h0 to h9; h5 is disabled.
std::string TenEntries()
{
    std::string text = "# ten\r\n";
    for (int i = 0; i < 10; ++i)
        text += Line(i) + "\r\n";
    return text;
}

class RecordCommands : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), FileText()));
        ASSERT_TRUE(Open());
    }
    virtual std::string FileText() const { return TenEntries(); }

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
};

struct DeleteCase : NamedCase
{
    std::vector<int> selected;
    int answer;
    const wchar_t* question;
    std::vector<int> kept; // which of h0 to h9 are left
    int focusedAfter;      // -1: none
};
using DeleteRecords = CaseFixture<RecordCommands, DeleteCase>;

struct EditCase : NamedCase
{
    std::vector<int> selected;
    int focused;
    const wchar_t* host;    // typed over the host, or null
    const wchar_t* comment; // typed over the comment, or null
    bool ok;
    const char* savedLine; // the entry as saved, or null: nothing to save
};
using EditRecord = CaseFixture<RecordCommands, EditCase>;

struct AddCase : NamedCase
{
    bool byKey;                                        // Insert, or the toolbar
    std::vector<std::pair<const wchar_t*, bool>> adds; // host typed, OK or Cancel
    const char* savedTail;                             // what a save appends to the file, or null: nothing to save
};
using AddRecord = CaseFixture<RecordCommands, AddCase>;

struct MoreHostsCase : NamedCase
{
    int field;
    const wchar_t* typed;
    const char* saved;
    const wchar_t* shown; // the table's Host cell afterwards
};
class MoreHostNames : public CaseFixture<RecordCommands, MoreHostsCase>
{
protected:
    std::string FileText() const override
    {
        return "10.0.0.1 a.example b.example c.example # note\r\n10.0.0.2 solo\r\n";
    }
};
} // namespace

TEST_P(DeleteRecords, AskThenRemoveTheSelectedEntriesAndFocusTheRowBefore)
{
    const DeleteCase& c = GetParam();
    Select(c.selected, c.selected.front());
    m_boxes.QueueAnswer(c.answer);
    PressKey(VK_DELETE);
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(c.question, m_boxes.Seen()[0].text);
    EXPECT_EQ(L"Confirmation ", m_boxes.Seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), m_boxes.Seen()[0].flags);
    std::vector<std::wstring> hosts;
    std::string saved = "# ten";
    for (int i : c.kept)
    {
        hosts.push_back(L"h" + std::to_wstring(i));
        // The file's last line, whichever it is now, ends it without a break, and only it.
        saved += "\r\n" + Line(i);
    }
    EXPECT_EQ(hosts, Hosts());
    if (c.answer == IDNO)
    {
        EXPECT_TRUE(SelectedRows().empty());
        EXPECT_EQ(0, m_norvik.IsHostsChanged());
        return;
    }
    EXPECT_EQ(c.focusedAfter, FocusedRow());
    EXPECT_EQ(c.focusedAfter < 0 ? std::vector<int>{} : std::vector<int>{c.focusedAfter}, SelectedRows());
    EXPECT_EQ(!c.kept.empty(), IsButtonEnabled(m_toolbar, ID_DELETE_RECORD));
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(saved, FileBytes());
}

// clang-format off
CASE_TABLE(Confirmed, DeleteRecords,
           DeleteCase{{"NoKeepsEverythingAndDeselects"}, {2, 3}, IDNO,
                      L"Are you sure you want to delete 2 selected records?", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -1},
           DeleteCase{{"RowsTwoThreeAndSeven"}, {2, 3, 7}, IDYES,
                      L"Are you sure you want to delete 3 selected records?", {0, 1, 4, 5, 6, 8, 9}, 1},
           DeleteCase{{"FirstRow"}, {0}, IDYES, L"Are you sure you want to delete selected record?",
                      {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0},
           // The entry that ended the file goes: the line before it ends the file now.
           DeleteCase{{"LastRow"}, {9}, IDYES, L"Are you sure you want to delete selected record?",
                      {0, 1, 2, 3, 4, 5, 6, 7, 8}, 8},
           DeleteCase{{"EveryRow"}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, IDYES,
                      L"Are you sure you want to delete 10 selected records?", {}, -1});
// clang-format on

TEST_P(EditRecord, WorksOnTheFirstSelectedRowOnlyAndKeepsADisabledEntryDisabled)
{
    const EditCase& c = GetParam();
    Select(c.selected, c.focused);
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    std::vector<std::wstring> shown;
    script.Do([&shown](HWND dialog) {
        for (int id : {IDC_RECORD_ADDRESS, IDC_RECORD_HOST, IDC_RECORD_COMMENT})
            shown.push_back(ItemText(dialog, id));
    });
    if (c.host)
        script.Type(IDC_RECORD_HOST, c.host);
    if (c.comment)
        script.Type(IDC_RECORD_COMMENT, c.comment);
    if (c.ok)
        script.PressEnter();
    else
        script.Cancel();
    if (c.selected.empty())
    {
        PressKey(VK_F2);
        EXPECT_FALSE(script.Opened()) << "F2 without a selection opened the dialog";
        EXPECT_TRUE(SelectedRows().empty());
        return;
    }
    ASSERT_TRUE(script.Run([] { PressKey(VK_F2); }));
    EXPECT_EQ((std::vector<std::wstring>{L"10.0.0.5", L"h5", L""}), shown);
    EXPECT_EQ(std::vector<int>{5}, SelectedRows());
    EXPECT_EQ(5, FocusedRow());
    EXPECT_EQ(c.ok && c.host ? c.host : L"h5", Cell(5, 2));
    EXPECT_EQ(c.ok && c.comment ? c.comment : L"", Cell(5, 3));
    EXPECT_FALSE(Ticked(5));
    if (!c.savedLine)
    {
        EXPECT_EQ(0, m_norvik.IsHostsChanged());
        EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
        return;
    }
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_NE(std::string::npos, FileBytes().find("\r\n" + std::string(c.savedLine) + "\r\n")) << FileBytes();
}

// clang-format off
CASE_TABLE(F2, EditRecord,
           EditCase{{"CancelLeavesOnlyTheFirstSelected"}, {5, 7, 8}, 8, L"other", nullptr, false, nullptr},
           EditCase{{"OkChangesTheFirstSelected"}, {5, 7, 8}, 8, L"renamed", L"with # inside", true,
                    "# 10.0.0.5 renamed # with # inside"},
           EditCase{{"OkWithTheValuesAsTheyWere"}, {5}, 5, L"h5", nullptr, true, nullptr},
           EditCase{{"NothingSelected"}, {}, -1, nullptr, nullptr, true, nullptr});
// clang-format on

TEST_P(AddRecord, AppendsAnEnabledEntryAndFocusesIt)
{
    const AddCase& c = GetParam();
    Select({2}, 2);
    int added = 0;
    int focused = 2;
    for (const auto& [host, ok] : c.adds)
    {
        CDialogScript script(m_boxes, IDC_RECORD_HOST);
        script.Type(IDC_RECORD_HOST, host);
        if (ok)
            script.PressEnter();
        else
            script.Cancel();
        if (c.byKey)
            ASSERT_TRUE(script.Run([] { PressKey(VK_INSERT); }));
        else
            ASSERT_TRUE(script.Run([this] { ClickButton(m_toolbar, ID_ADD_RECORD); }));
        if (ok)
        {
            // Always last, whatever was selected.
            focused = 10 + added++;
            ASSERT_EQ(10 + added, TableRows());
            EXPECT_EQ(L"127.0.0.1", Cell(focused, 1));
            EXPECT_EQ(host, Cell(focused, 2));
            EXPECT_TRUE(Ticked(focused));
        }
        EXPECT_EQ(std::vector<int>{focused}, SelectedRows());
        EXPECT_EQ(focused, FocusedRow());
        SetFocus(Table());
    }
    EXPECT_EQ(10 + added, TableRows());
    if (!c.savedTail)
    {
        EXPECT_EQ(0, m_norvik.IsHostsChanged());
        return;
    }
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(TenEntries() + c.savedTail, FileBytes());
}

// clang-format off
CASE_TABLE(Added, AddRecord, AddCase{{"FromTheToolbar"}, false, {{L"new.example", true}}, "127.0.0.1 new.example"},
           // No check for duplicates: the same twice is two rows.
           AddCase{{"TheSameTwice"}, true, {{L"new.example", true}, {L"new.example", true}},
                   "127.0.0.1 new.example\r\n127.0.0.1 new.example"},
           AddCase{{"Cancelled"}, true, {{L"other", false}}, nullptr});
// clang-format on

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
        PostMessageW(Table(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(Table(), WM_LBUTTONUP, 0, point);
        PostMessageW(Table(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        PostMessageW(Table(), WM_LBUTTONUP, 0, point);
        PumpPending();
    };
    {
        CDialogScript none(m_boxes, IDC_RECORD_HOST);
        none.Cancel();
        doubleClick(belowRows);
        EXPECT_FALSE(none.Opened()) << "a double click outside the rows opened the dialog";
    }
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Type(IDC_RECORD_HOST, L"clicked").PressEnter();
    ASSERT_TRUE(script.Run([&] { doubleClick(onRow); }));
    EXPECT_EQ(L"clicked", Cell(3, 2));
    EXPECT_EQ((std::vector<bool>{true, true, true, true, true, false, true, true, true, true}), TickedRows());
}

TEST_P(MoreHostNames, AreAllInTheHostFieldAndOkWritesTheNamesLeftThere)
{
    const MoreHostsCase& c = GetParam();
    ASSERT_EQ(L"a.example", Cell(0, 2));
    Select({0}, 0);
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([](HWND dialog) {
        EXPECT_EQ(L"a.example b.example c.example", ItemText(dialog, IDC_RECORD_HOST));
        EXPECT_EQ(L"note", ItemText(dialog, IDC_RECORD_COMMENT));
    });
    script.Type(c.field, c.typed).PressEnter();
    ASSERT_TRUE(script.Run([] { PressKey(VK_F2); }));
    EXPECT_EQ(c.shown, Cell(0, 2));
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(std::string(c.saved) + "\r\n10.0.0.2 solo", FileBytes());
}

CASE_TABLE(
    Edited, MoreHostNames,
    MoreHostsCase{{"FirstHost"},
                  IDC_RECORD_HOST,
                  L"z.example b.example c.example",
                  "10.0.0.1 z.example b.example c.example # note",
                  L"z.example"},
    MoreHostsCase{
        {"NameRemoved"}, IDC_RECORD_HOST, L"a.example c.example", "10.0.0.1 a.example c.example # note", L"a.example"},
    MoreHostsCase{{"OnlyOneLeft"}, IDC_RECORD_HOST, L"c.example", "10.0.0.1 c.example # note", L"c.example"},
    MoreHostsCase{{"NameTypedTwice"},
                  IDC_RECORD_HOST,
                  L"b.example  a.example B.EXAMPLE",
                  "10.0.0.1 b.example a.example # note",
                  L"b.example"},
    MoreHostsCase{
        {"Comment"}, IDC_RECORD_COMMENT, L"changed", "10.0.0.1 a.example b.example c.example # changed", L"a.example"},
    MoreHostsCase{{"CommentCleared"}, IDC_RECORD_COMMENT, L"", "10.0.0.1 a.example b.example c.example", L"a.example"});
