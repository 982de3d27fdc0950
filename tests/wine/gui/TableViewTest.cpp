#include "EditorPage.h"

namespace
{
const char kEntries[] = "# header\r\n127.0.0.1 localhost\r\n#10.0.0.1 box # off\r\n\r\n"
                        "10.0.0.2 two.example # second\r\n::1 localhost\r\n10.0.0.3 three\r\n";
using TableView = EditorPage;
} // namespace

TEST_F(TableView, ShowsEachEntryOnceWithTheCheckboxTickedWhenEnabled)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kEntries));
    ASSERT_TRUE(Open());
    ASSERT_EQ(4, TableRows());
    struct Row
    {
        bool ticked;
        const wchar_t* address;
        const wchar_t* host;
        const wchar_t* comment;
    };
    const Row rows[] = {
        {true, L"127.0.0.1", L"localhost", L""},
        {false, L"10.0.0.1", L"box", L"off"},
        {true, L"10.0.0.2", L"two.example", L"second"},
        {true, L"10.0.0.3", L"three", L""},
    };
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].ticked, Ticked(i));
        EXPECT_EQ(L"", Cell(i, 0));
        EXPECT_EQ(rows[i].address, Cell(i, 1));
        EXPECT_EQ(rows[i].host, Cell(i, 2));
        EXPECT_EQ(rows[i].comment, Cell(i, 3));
    }
}

namespace
{
// A click at the middle of a cell, as the mouse gives it.
void ClickCell(HWND table, int row, int column)
{
    RECT cell = {};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageW(table, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    // Column 0's bounds are the whole row: its own part ends where column 1 starts.
    if (column == 0)
        cell.right = cell.left + static_cast<int>(SendMessageW(table, LVM_GETCOLUMNWIDTH, 0, 0));
    const LPARAM point = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    PostMessageW(table, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(table, WM_LBUTTONUP, 0, point);
    PumpPending();
}

} // namespace

TEST_F(TableView, SpaceFlipsEachSelectedRowAndKeepsSelectionAndFocus)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kEntries));
    ASSERT_TRUE(Open());
    const HWND table = Table();
    SetRowState(0, LVIS_SELECTED, LVIS_SELECTED);
    SetRowState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetRowState(2, LVIS_SELECTED, LVIS_SELECTED);
    SetFocus(table);
    ASSERT_EQ((std::vector<bool>{true, false, true, true}), TickedRows());
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));

    PressKey(VK_SPACE);
    EXPECT_EQ((std::vector<bool>{false, true, false, true}), TickedRows());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), SelectedRows());
    EXPECT_EQ(1, FocusedRow());
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    EXPECT_EQ(1, m_norvik.IsHostsChanged());

    // Flipped back, the entries equal what was loaded: nothing to save.
    PressKey(VK_SPACE);
    EXPECT_EQ((std::vector<bool>{true, false, true, true}), TickedRows());
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());

    // Nothing selected: nothing changes.
    SetRowState(-1, 0, LVIS_SELECTED);
    PressKey(VK_SPACE);
    EXPECT_EQ((std::vector<bool>{true, false, true, true}), TickedRows());
    EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(TableView, AClickInTheEnabledCellTogglesAndSelectsOnlyThatRow)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kEntries));
    ASSERT_TRUE(Open());
    const HWND table = Table();
    SetRowState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    ClickCell(table, 1, 0);
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), TickedRows());
    EXPECT_EQ(std::vector<int>{1}, SelectedRows());
    EXPECT_EQ(1, FocusedRow());
    EXPECT_EQ(table, GetFocus());
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));

    // Other cells select as a list does, and toggle nothing.
    for (int column = 1; column < 4; ++column)
    {
        ClickCell(table, 3, column);
        EXPECT_EQ((std::vector<bool>{true, true, true, true}), TickedRows()) << column;
        EXPECT_EQ(std::vector<int>{3}, SelectedRows()) << column;
    }

    // What was toggled is saved as such: the disabled line loses its "#".
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ("# header\r\n127.0.0.1 localhost\r\n10.0.0.1 box # off\r\n\r\n10.0.0.2 two.example # second\r\n"
              "::1 localhost\r\n10.0.0.3 three",
              FileBytes());
}

TEST_F(TableView, ClipboardAndSelectAllKeysNeverReachTheList)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kEntries));
    ASSERT_TRUE(Open());
    const HWND table = Table();
    // The keys that reach the list itself.
    std::vector<WPARAM> seen;
    const CWindowSpy spy(table, [&seen](UINT message, WPARAM key, LPARAM) {
        if (message == WM_KEYDOWN)
            seen.push_back(key);
    });
    ASSERT_TRUE(spy.IsSet());
    SetRowState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(table);

    struct KeyCase
    {
        WORD key;
        std::vector<WORD> modifiers;
    };
    const std::vector<KeyCase> swallowed = {
        {'A', {VK_LCONTROL}}, {'C', {VK_LCONTROL}},  {'V', {VK_RCONTROL}},
        {VK_INSERT, {VK_LCONTROL}}, {VK_INSERT, {VK_LSHIFT}}, {VK_INSERT, {VK_LSHIFT, VK_LCONTROL}},
    };
    for (const KeyCase& c : swallowed)
        PressKey(c.key, c.modifiers);
    EXPECT_EQ(std::vector<int>{1}, SelectedRows());
    EXPECT_EQ(0u, m_boxes.Count());

    // Without Ctrl the letters are the list's (its type-ahead search).
    PressKey('A');
    PressKey('C');
    PressKey('V');
    std::vector<WPARAM> keys;
    for (WPARAM key : seen)
    {
        if (key != VK_LCONTROL && key != VK_RCONTROL && key != VK_CONTROL && key != VK_LSHIFT && key != VK_SHIFT)
            keys.push_back(key);
    }
    EXPECT_EQ((std::vector<WPARAM>{'A', 'C', 'V'}), keys);
    EXPECT_EQ((std::vector<bool>{true, false, true, true}), TickedRows());
}
