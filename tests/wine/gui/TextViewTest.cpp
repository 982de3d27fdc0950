#include "CaseTable.h"
#include "EditorPage.h"

#include <functional>

namespace
{
using TextView = EditorPage;

// A file of about `size` bytes of short entries.
std::string LongFile(size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "10.0.0." + std::to_string(i % 250) + " h" + std::to_string(i) + "\r\n";
    return text;
}

size_t Limit(HWND edit)
{
    return static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
}

// As a host's loop takes them: one message, then a look (the fill keeps the queue busy).
bool PumpEachUntil(const std::function<bool()>& done)
{
    const ULONGLONG end = GetTickCount64() + 60000;
    while (!done() && GetTickCount64() < end)
    {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return done();
}

void Type(HWND edit, const wchar_t* text)
{
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    PumpPending();
}
} // namespace

TEST_F(TextView, TypingEnablesSaveAndTypingBackDisablesIt)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 localhost\r\n"));
    ASSERT_TRUE(Open());
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_EQ(TextEdit(), GetFocus());
    EXPECT_EQ((std::vector<UINT>{ID_REFRESH, ID_VIEW_AS_TABLE, ID_VIEW_AS_TEXT, ID_SEARCH, ID_REVERT_TO_DEFAULT,
                                 ID_SELECT_SKIN, ID_ABOUT}),
              EnabledButtons());

    SendMessageW(TextEdit(), EM_SETSEL, 0, 0);
    Type(TextEdit(), L"#");
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_DISCARD_CHANGES));
    EXPECT_EQ(1, m_norvik.IsHostsChanged());

    // Back to the text as loaded: nothing to save, even though it was typed.
    SendMessageW(TextEdit(), EM_SETSEL, 0, 1);
    Type(TextEdit(), L"");
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_DISCARD_CHANGES));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());

    // A different letter case is a change.
    SendMessageW(TextEdit(), EM_SETSEL, 10, 11);
    Type(TextEdit(), L"L");
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    ClickButton(m_toolbar, ID_DISCARD_CHANGES);
    EXPECT_EQ(L"127.0.0.1 localhost", TextViewText());
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
}

TEST_F(TextView, TheLimitDoublesWhenTheTextReachesIt)
{
    const std::string file = LongFile(70000);
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), file));
    ASSERT_TRUE(Open());
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_TRUE(WaitForLoad());
    const size_t length = static_cast<size_t>(GetWindowTextLengthW(TextEdit()));
    ASSERT_EQ(file.size() - 2, length);
    size_t limit = Limit(TextEdit());
    EXPECT_GT(limit, length);

    // Fill it up to the limit exactly: the limit doubles, and typing goes on.
    SendMessageW(TextEdit(), EM_SETSEL, length, static_cast<LPARAM>(length));
    Type(TextEdit(), std::wstring(limit - length, L'x').c_str());
    ASSERT_EQ(limit, static_cast<size_t>(GetWindowTextLengthW(TextEdit())));
    EXPECT_EQ(2 * limit, Limit(TextEdit()));
    Type(TextEdit(), L"y");
    EXPECT_EQ(limit + 1, static_cast<size_t>(GetWindowTextLengthW(TextEdit())));
}

TEST_F(TextView, CtrlASelectsEverythingAndASelectionPast65535SurvivesASave)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), LongFile(100000)));
    ASSERT_TRUE(Open());
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_TRUE(WaitForLoad());
    const int length = GetWindowTextLengthW(TextEdit());
    SetFocus(TextEdit());
    PressKey('A', {VK_LCONTROL});
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(TextEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(static_cast<DWORD>(length), end);

    SendMessageW(TextEdit(), EM_SETSEL, 0, 0);
    Type(TextEdit(), L"# ");
    SendMessageW(TextEdit(), EM_SETSEL, 70000, 70123);
    PressKey('S', {VK_LCONTROL});
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    EXPECT_EQ("# 10", FileBytes().substr(0, 4));
    SendMessageW(TextEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(70000u, start);
    EXPECT_EQ(70123u, end);
    EXPECT_EQ(TextEdit(), GetFocus());
}

// A load while the text view shows gives it the focus and leaves the caret where it was: with
// the whole text selected, the next key would replace the file in the editor.
struct ReloadCase : NamedCase
{
    enum Trigger
    {
        Refresh,
        Revert,
        SwitchAfterSave,
    } trigger;
};

class TextAfterReload : public EditorPage, public ::testing::WithParamInterface<ReloadCase>
{
};

TEST_P(TextAfterReload, KeepsTheCaretAndSelectsNothing)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "# hosts\r\n127.0.0.1 localhost\r\n10.0.0.1 box\r\n"));
    ASSERT_TRUE(Open());
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    SendMessageW(TextEdit(), EM_SETSEL, 5, 5);
    switch (GetParam().trigger)
    {
    case ReloadCase::Refresh:
        SetFocus(TextEdit());
        PressKey(VK_F5);
        break;
    case ReloadCase::Revert:
        m_boxes.QueueAnswer(IDYES);
        ClickButton(m_toolbar, ID_REVERT_TO_DEFAULT);
        break;
    case ReloadCase::SwitchAfterSave:
        ClickButton(m_toolbar, ID_VIEW_AS_TABLE);
        SelectOnly(1);
        SetFocus(Table());
        PressKey(VK_SPACE);
        ASSERT_EQ(1, m_norvik.SaveHosts());
        ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
        break;
    }
    ASSERT_TRUE(WaitForLoad());
    ASSERT_TRUE(PumpUntil([this] { return GetFocus() == TextEdit(); }));
    const std::wstring loaded = TextViewText();
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(TextEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(5u, start);
    EXPECT_EQ(5u, end);
    PressKey('X');
    EXPECT_EQ(loaded.substr(0, 5) + L"x" + loaded.substr(5), TextViewText());
}

CASE_TABLE(Loads, TextAfterReload, ReloadCase{{"Refresh"}, ReloadCase::Refresh},
           ReloadCase{{"Revert"}, ReloadCase::Revert}, ReloadCase{{"SwitchAfterSave"}, ReloadCase::SwitchAfterSave});

// A text too long to go in at once goes into the hidden view in pieces, behind the progress
// dialog and with the table standing in. Whatever the user or the host does meanwhile, the page
// ends in a state a single fill could have left, or in the table.
struct FillCase : NamedCase
{
    enum Meanwhile
    {
        Nothing,
        Cancel,
        HostSaves,
        HostHidesAndShows,
        HostCloses,
        ControlFills, // the control takes no more: as when it runs out of memory
    } meanwhile;
    bool byRefresh = false; // started by F5 in the text view: the load ends in the fill
};

class LongTextFill : public EditorPage, public ::testing::WithParamInterface<FillCase>
{
};

TEST_P(LongTextFill, EndsWithTheWholeTextOrInTheTable)
{
    const std::string file = LongFile(400000);
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), file));
    ASSERT_TRUE(Open());
    const HWND dialog = FindProgressDialog();
    bool shown = false;
    bool tableMeanwhile = false;
    const CWindowSpy spy = WhenProgressShows([&](HWND) {
        shown = true;
        tableMeanwhile = IsWindowVisible(Table()) && !IsWindowVisible(TextEdit());
    });
    if (GetParam().byRefresh)
    {
        ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
        ASSERT_TRUE(PumpUntil([this] { return IsWindowVisible(TextEdit()) != FALSE; }));
        shown = false;
        PostMessageW(TextEdit(), WM_KEYDOWN, VK_F5, 1);
    }
    else
    {
        RECT button = {};
        SendMessageW(m_toolbar, TB_GETRECT, ID_VIEW_AS_TEXT, reinterpret_cast<LPARAM>(&button));
        const LPARAM point = MAKELPARAM(button.left + 2, button.top + 2);
        PostMessageW(m_toolbar, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(m_toolbar, WM_LBUTTONUP, 0, point);
    }
    const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    // The fill's own progress, not a load's.
    const auto filling = [&] {
        wchar_t text[8] = {};
        GetDlgItemTextW(dialog, IDC_PROGRESS_TEXT, text, 8);
        return shown && IsWindowVisible(dialog) && SendMessageW(bar, PBM_GETPOS, 0, 0) > 0 &&
               std::wstring(text) == L"Showing";
    };
    ASSERT_TRUE(PumpEachUntil(filling));
    EXPECT_TRUE(tableMeanwhile);
    EXPECT_EQ(std::vector<UINT>{ID_ABOUT}, EnabledButtons());
    // The table stands in: nothing typed or ticked there could reach the file.
    EXPECT_FALSE(IsWindowEnabled(Table()));
    EXPECT_FALSE(IsWindowEnabled(ReadOnlyBox()));
    const FillCase::Meanwhile meanwhile = GetParam().meanwhile;
    switch (meanwhile)
    {
    case FillCase::Nothing:
        break;
    case FillCase::Cancel:
        SendMessageW(GetDlgItem(dialog, IDC_PROGRESS_CANCEL), BM_CLICK, 0, 0);
        break;
    case FillCase::HostSaves:
        EXPECT_EQ(1, m_norvik.SaveHosts());
        EXPECT_EQ(0, m_norvik.IsHostsChanged());
        break;
    case FillCase::HostHidesAndShows:
        m_norvik.Deactivate();
        EXPECT_FALSE(IsWindowVisible(dialog));
        ASSERT_TRUE(ActivatePage(false));
        EXPECT_TRUE(IsWindowVisible(dialog));
        break;
    case FillCase::HostCloses:
        m_norvik.CloseHostEditor();
        break;
    case FillCase::ControlFills:
        m_boxes.QueueAnswer(IDOK);
        SendMessageW(TextEdit(), EM_SETLIMITTEXT, 1, 0);
        break;
    }
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dialog); }));
    PumpPending();
    EXPECT_EQ(file, FileBytes());
    const bool cut = meanwhile == FillCase::ControlFills;
    if (cut)
    {
        ASSERT_TRUE(PumpUntil([this] { return m_boxes.Count() == 1; }));
        EXPECT_EQ(L"Not enough memory: the operation was stopped.", m_boxes.Seen().front().text);
    }
    EXPECT_EQ(cut ? 1u : 0u, m_boxes.Count());
    if (meanwhile == FillCase::Cancel || meanwhile == FillCase::HostCloses || cut)
    {
        EXPECT_TRUE(IsWindowVisible(Table()));
        EXPECT_FALSE(IsWindowVisible(TextEdit()));
        EXPECT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE));
        EXPECT_EQ(meanwhile != FillCase::HostCloses, IsWindowEnabled(Table()) != FALSE);
        if (meanwhile == FillCase::HostCloses)
            return;
        // The next switch fills the view again, whole.
        ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
        ASSERT_TRUE(WaitForLoad());
    }
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(TextEdit()) != FALSE; }));
    EXPECT_FALSE(IsWindowVisible(Table()));
    const std::wstring text = TextViewText();
    EXPECT_EQ(std::wstring(file.begin(), file.end() - 2), text);
    EXPECT_FALSE(SendMessageW(TextEdit(), EM_CANUNDO, 0, 0));
    EXPECT_FALSE(SendMessageW(TextEdit(), EM_GETMODIFY, 0, 0));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    EXPECT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TEXT));
    EXPECT_EQ(TextEdit(), GetFocus());
}

CASE_TABLE(Pieces, LongTextFill, FillCase{{"Complete"}, FillCase::Nothing}, FillCase{{"Cancel"}, FillCase::Cancel},
           FillCase{{"HostSaves"}, FillCase::HostSaves}, FillCase{{"HostHidesAndShows"}, FillCase::HostHidesAndShows},
           FillCase{{"HostCloses"}, FillCase::HostCloses}, FillCase{{"ControlFills"}, FillCase::ControlFills},
           FillCase{{"AfterRefresh"}, FillCase::Nothing, true});
