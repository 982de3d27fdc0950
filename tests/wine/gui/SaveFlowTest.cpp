#include "CaseTable.h"
#include "EditorPage.h"

namespace
{
const char kFile[] = "# header\r\n127.0.0.1 localhost\r\n#10.0.0.1 box # off\r\n\r\n10.0.0.2 two\r\n";
const wchar_t kReadOnlyQuestion[] = L"Hosts file is \"read-only\". Ignore and save?";
const wchar_t kSwitchPrompt[] =
    L"Hosts file (and/or its \"read-only\" attribute) was changed. Save changes before switching?";

using SaveFlow = EditorPage;

DWORD Attributes(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

ULONGLONG WriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// Dates the file back to 2001, so that a write at any moment of the test shows in its time.
bool Backdate(const std::wstring& path)
{
    const SYSTEMTIME old = {2001, 1, 1, 1, 12, 0, 0, 0};
    FILETIME time = {};
    return SystemTimeToFileTime(&old, &time) && testfiles::SetLastWrite(path, time);
}

} // namespace

TEST_F(SaveFlow, NothingChangedWritesNothingAndAMissingFileIsWrittenFromTheRecords)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Backdate(HostsPath()));
    ASSERT_TRUE(SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Open());
    const ULONGLONG before = WriteTime(HostsPath());
    const DWORD attributes = Attributes(HostsPath());
    ASSERT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(before, WriteTime(HostsPath()));
    EXPECT_EQ(attributes, Attributes(HostsPath()));
    EXPECT_EQ(kFile, FileBytes());

    // Gone behind the editor's back: Save writes what it holds (without the final break).
    SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileW(HostsPath().c_str()));
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ("# header\r\n127.0.0.1 localhost\r\n# 10.0.0.1 box # off\r\n\r\n10.0.0.2 two", FileBytes());
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(SaveFlow, AReadOnlyFileIsWrittenOnlyAfterYesAndStaysReadOnly)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(Open());
    EXPECT_EQ(BST_CHECKED, SendMessageW(ReadOnlyBox(), BM_GETCHECK, 0, 0));
    ToggleRow(0);

    m_boxes.QueueAnswer(IDNO);
    EXPECT_EQ(0, m_norvik.SaveHosts());
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(kReadOnlyQuestion, m_boxes.Seen()[0].text);
    EXPECT_EQ(L"Confirmation", m_boxes.Seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), m_boxes.Seen()[0].flags);
    EXPECT_EQ(kFile, FileBytes());
    EXPECT_EQ(1, m_norvik.IsHostsChanged());

    m_boxes.QueueAnswer(IDYES);
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ("# header\r\n# 127.0.0.1 localhost\r\n# 10.0.0.1 box # off\r\n\r\n10.0.0.2 two", FileBytes());
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE), Attributes(HostsPath()));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    EXPECT_EQ(2u, m_boxes.Count());
    SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SaveFlow, TheReadOnlyBoxAloneChangesOnlyTheAttribute)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Backdate(HostsPath()));
    ASSERT_TRUE(Open());
    const ULONGLONG before = WriteTime(HostsPath());
    struct BoxCase
    {
        UINT check;
        DWORD attributes;
    };
    for (const BoxCase& c : {BoxCase{BST_CHECKED, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
                             BoxCase{BST_UNCHECKED, FILE_ATTRIBUTE_ARCHIVE}})
    {
        SendMessageW(ReadOnlyBox(), BM_CLICK, 0, 0);
        ASSERT_EQ(c.check, SendMessageW(ReadOnlyBox(), BM_GETCHECK, 0, 0));
        EXPECT_EQ(1, m_norvik.IsHostsChanged());
        ASSERT_TRUE(PumpUntil([this] { return IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES); }, 2000));
        ClickButton(m_toolbar, ID_SAVE_CHANGES);
        EXPECT_EQ(c.attributes, Attributes(HostsPath()));
        EXPECT_EQ(0, m_norvik.IsHostsChanged());
    }
    EXPECT_EQ(before, WriteTime(HostsPath()));
    EXPECT_EQ(kFile, FileBytes());
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(SaveFlow, AWriteFailureIsReportedAndTheOldFileKept)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Open());
    ToggleRow(0);
    // The attribute asked for waits for the save that writes the file.
    SendMessageW(ReadOnlyBox(), BM_CLICK, 0, 0);
    m_boxes.QueueAnswer(IDOK);
    {
        const CFileHandle held = testfiles::HoldOpen(HostsPath(), GENERIC_READ, FILE_SHARE_READ);
        EXPECT_EQ(0, m_norvik.SaveHosts());
    }
    EXPECT_EQ(0u, Attributes(HostsPath()) & FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(L"Can't write to hosts file! Probably, file is exclusively blocked by other application.",
              m_boxes.Seen()[0].text);
    EXPECT_EQ(L"Error", m_boxes.Seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), m_boxes.Seen()[0].flags);
    EXPECT_EQ(kFile, FileBytes());
    EXPECT_EQ(1, m_norvik.IsHostsChanged());
    EXPECT_TRUE(IsWindowEnabled(Table()));
}

TEST_F(SaveFlow, SwitchingViewsAsksAboutPendingChanges)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Open());

    // No change: no question.
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    EXPECT_TRUE(IsWindowVisible(TextEdit()));
    ClickButton(m_toolbar, ID_VIEW_AS_TABLE);
    EXPECT_TRUE(IsWindowVisible(Table()));
    EXPECT_EQ(0u, m_boxes.Count());

    // Cancel: the view and the change stay.
    ToggleRow(0);
    m_boxes.QueueAnswer(IDCANCEL);
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(kSwitchPrompt, m_boxes.Seen()[0].text);
    EXPECT_EQ(L"Confirmation ", m_boxes.Seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION), m_boxes.Seen()[0].flags);
    EXPECT_TRUE(IsWindowVisible(Table()));
    EXPECT_EQ(1, m_norvik.IsHostsChanged());

    // No: the records go back to the file's, the text view shows the text as loaded.
    m_boxes.QueueAnswer(IDNO);
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    EXPECT_TRUE(IsWindowVisible(TextEdit()));
    EXPECT_EQ(L"# header\r\n127.0.0.1 localhost\r\n#10.0.0.1 box # off\r\n\r\n10.0.0.2 two", TextViewText());
    EXPECT_EQ(kFile, FileBytes());
    EXPECT_EQ(0, m_norvik.IsHostsChanged());

    // Only the read-only box changed: still asked; No puts the box back.
    SendMessageW(ReadOnlyBox(), BM_CLICK, 0, 0);
    m_boxes.QueueAnswer(IDNO);
    ClickButton(m_toolbar, ID_VIEW_AS_TABLE);
    EXPECT_EQ(3u, m_boxes.Count());
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(ReadOnlyBox(), BM_GETCHECK, 0, 0));
    EXPECT_TRUE(IsWindowVisible(Table()));
    EXPECT_FALSE(IsWindowVisible(TextEdit()));
    EXPECT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE));

    // Yes saves, and the other view then shows what was written.
    ToggleRow(2);
    m_boxes.QueueAnswer(IDYES);
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_TRUE(WaitForLoad());
    // Entries are written in their canonical form, the other lines as they were.
    EXPECT_EQ("# header\r\n127.0.0.1 localhost\r\n# 10.0.0.1 box # off\r\n\r\n# 10.0.0.2 two", FileBytes());
    EXPECT_TRUE(PumpUntil([this] {
        return TextViewText() == L"# header\r\n127.0.0.1 localhost\r\n# 10.0.0.1 box # "
                                 L"off\r\n\r\n# 10.0.0.2 two";
    }));
    EXPECT_EQ(4u, m_boxes.Count());
}

TEST_F(SaveFlow, ASaveInTheTextViewIsReloadedIntoTheTableOnTheNextSwitchOnly)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Open());
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    SendMessageW(TextEdit(), EM_SETSEL, 0, -1);
    SendMessageW(TextEdit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"10.1.1.1 new # typed\r\n# tail"));
    ASSERT_TRUE(PumpUntil([this] { return IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES); }, 2000));
    PressKey('S', {VK_LCONTROL});
    EXPECT_EQ("10.1.1.1 new # typed\r\n# tail", FileBytes());

    ClickButton(m_toolbar, ID_VIEW_AS_TABLE);
    ASSERT_TRUE(WaitForLoad());
    ASSERT_TRUE(PumpUntil([this] { return TableRows() == 1; }));
    EXPECT_EQ(L"new", Cell(0, 2));
    EXPECT_EQ(L"typed", Cell(0, 3));

    // No save since that load: switching back does not load again (the file changed behind).
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "10.9.9.9 other"));
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TEXT));
    // A load the switch started would run still, or would have shown the new text by now.
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_REFRESH));
    EXPECT_EQ(L"10.1.1.1 new # typed\r\n# tail", TextViewText());
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(SaveFlow, DeactivateDiscardsAndRefreshAsksFirst)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Open());
    ToggleRow(1);
    EXPECT_EQ(1, m_norvik.IsHostsChanged());
    ASSERT_TRUE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    m_norvik.Deactivate();
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    // At once, without a command or an idle pass from the host's loop.
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_DISCARD_CHANGES));
    EXPECT_EQ((std::vector<bool>{true, false, true}), TickedRows());
    EXPECT_EQ(0u, m_boxes.Count());

    // Refresh with a change: Cancel keeps it, No drops it and reloads.
    const RECT page = m_window.PageRect();
    ASSERT_EQ(m_page, m_norvik.Activate(m_window.Hwnd(), page.left, page.top, page.right, page.bottom));
    ToggleRow(1);
    m_boxes.QueueAnswer(IDCANCEL);
    SetFocus(Table());
    PressKey(VK_F5);
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(L"Hosts file (and/or its \"read-only\" attribute) was changed. Save changes, before refreshing data?",
              m_boxes.Seen()[0].text);
    EXPECT_EQ(L"Confirmation", m_boxes.Seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION), m_boxes.Seen()[0].flags);
    EXPECT_EQ(1, m_norvik.IsHostsChanged());

    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "10.5.5.5 fresh\r\n"));
    m_boxes.QueueAnswer(IDNO);
    SetFocus(Table());
    PressKey(VK_F5);
    ASSERT_TRUE(WaitForLoad());
    ASSERT_TRUE(PumpUntil([this] { return TableRows() == 1; }));
    EXPECT_EQ(L"fresh", Cell(0, 2));
    EXPECT_EQ("10.5.5.5 fresh\r\n", FileBytes());
}

TEST_F(SaveFlow, RevertWritesTheDefaultFileAfterYesOnly)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Open());
    m_boxes.QueueAnswer(IDNO);
    ClickButton(m_toolbar, ID_REVERT_TO_DEFAULT);
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(L"Do you want to change current hosts file to default hosts file (current file will be deleted)?",
              m_boxes.Seen()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), m_boxes.Seen()[0].flags);
    EXPECT_EQ(kFile, FileBytes());

    m_boxes.QueueAnswer(IDYES);
    ClickButton(m_toolbar, ID_REVERT_TO_DEFAULT);
    ASSERT_TRUE(WaitForLoad());
    ASSERT_TRUE(PumpUntil([this] { return TableRows() == 3; }));
    EXPECT_EQ(std::string("127.0.0.1 localhost"), FileBytes().substr(FileBytes().size() - 19));
}

TEST_F(SaveFlow, WithoutAHostsPathTheLoadFailsOnceAndRefreshStaysUsable)
{
    ASSERT_TRUE(m_dataBasePath.Delete());
    m_boxes.QueueAnswer(IDOK);
    ASSERT_TRUE(Open());
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(L"Can't read hosts file! Probably, file is exclusively blocked by other application. ",
              m_boxes.Seen()[0].text);
    EXPECT_EQ((std::vector<UINT>{ID_REFRESH, ID_SELECT_SKIN, ID_ABOUT}), EnabledButtons());
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    // Nothing was loaded, so there is nothing to write: that is no failure for a host closing.
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(1u, m_boxes.Count());

    m_boxes.QueueAnswer(IDOK);
    ClickButton(m_toolbar, ID_REFRESH);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(2u, m_boxes.Count());
    EXPECT_EQ((std::vector<UINT>{ID_REFRESH, ID_SELECT_SKIN, ID_ABOUT}), EnabledButtons());
}

TEST_F(SaveFlow, ClosingDuringALargeLoadReturnsAndLeavesTheFileAlone)
{
    const std::string file = ManyEntries(300000);
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), file));
    ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
    bool shown = false;
    const CWindowSpy spy = WhenProgressShows([&shown](HWND) { shown = true; });
    ASSERT_TRUE(spy.IsSet());
    ASSERT_TRUE(ActivatePage(false));
    // Closed as soon as the load thread has shown the dialog and goes on to ask the reader.
    ASSERT_TRUE(PumpUntil([&shown] { return shown; }));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    m_norvik.CloseHostEditor();
    EXPECT_EQ(0, TableRows()) << "the load ended before the close";
    EXPECT_TRUE(PumpUntil([this] {
        return EnabledButtons() == std::vector<UINT>{ID_REFRESH, ID_SELECT_SKIN, ID_ABOUT};
    }));
    // The page goes with the next Init, which must not wait for anything either.
    EXPECT_FALSE(IsWindowVisible(FindProgressDialog()));
    m_norvik.Init(nullptr, nullptr);
    EXPECT_FALSE(IsWindow(m_page));
    EXPECT_EQ(file, FileBytes());
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(SaveFlow, AfterAFailedLoadSaveHostsSucceedsAndWritesNothing)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    {
        const CFileHandle held = testfiles::HoldOpen(HostsPath(), GENERIC_READ, FILE_SHARE_READ);
        m_boxes.QueueAnswer(IDOK);
        ASSERT_TRUE(Open());
    }
    ASSERT_EQ(1u, m_boxes.Count());
    ASSERT_TRUE(Backdate(HostsPath()));
    const ULONGLONG before = WriteTime(HostsPath());
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(kFile, FileBytes());
    EXPECT_EQ(before, WriteTime(HostsPath()));
    EXPECT_EQ(1u, m_boxes.Count());
}

// Refresh, "save first?" Yes, and the save does not happen: the edits stay and nothing is
// reloaded over them.
struct RefusedSaveCase : NamedCase
{
    bool readOnly;      // the save asks about the attribute and is told No
    bool heldElsewhere; // the write fails
    std::vector<std::wstring> texts;
};
class RefreshAfterRefusedSave : public SaveFlow, public ::testing::WithParamInterface<RefusedSaveCase>
{
};

TEST_P(RefreshAfterRefusedSave, KeepsTheEdits)
{
    const RefusedSaveCase& c = GetParam();
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    if (c.readOnly)
    {
        ASSERT_TRUE(SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    }
    ASSERT_TRUE(Open());
    ToggleRow(1);
    ASSERT_EQ(1, m_norvik.IsHostsChanged());
    m_boxes.QueueAnswer(IDYES);
    m_boxes.QueueAnswer(c.readOnly ? IDNO : IDOK);
    {
        const CFileHandle held =
            c.heldElsewhere ? testfiles::HoldOpen(HostsPath(), GENERIC_READ, FILE_SHARE_READ) : CFileHandle();
        SetFocus(Table());
        PressKey(VK_F5);
    }
    std::vector<std::wstring> texts;
    for (const SeenMessageBox& box : m_boxes.Seen())
        texts.push_back(box.text);
    EXPECT_EQ(c.texts, texts);
    // A load would be running now (Refresh greyed, nothing reported as changed) or done.
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_REFRESH));
    EXPECT_EQ(1, m_norvik.IsHostsChanged());
    EXPECT_EQ((std::vector<bool>{true, true, true}), TickedRows());
    SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(kFile, FileBytes());
}

const wchar_t kRefreshPrompt[] =
    L"Hosts file (and/or its \"read-only\" attribute) was changed. Save changes, before refreshing data?";
// clang-format off
CASE_TABLE(Saves, RefreshAfterRefusedSave,
           RefusedSaveCase{{"ReadOnlyDeclined"}, true, false, {kRefreshPrompt, kReadOnlyQuestion}},
           RefusedSaveCase{{"WriteFails"},
                           false,
                           true,
                           {kRefreshPrompt,
                            L"Can't write to hosts file! Probably, file is exclusively blocked by other application."}});
// clang-format on

// Another program wrote the file after the load: the save asks before it overwrites that.
struct ChangedElsewhereCase : NamedCase
{
    const char* otherBytes; // what the other program wrote; null: nobody did
    bool sameTime;          // the other write kept the file's time (only its size tells)
    int answer;             // to the question, when it comes
    int saved;              // what SaveHosts reports
    bool edited = true;
    DWORD heldAccess = 0; // the other program holds the file open so during the save
    DWORD heldShare = 0;
};
class ChangedElsewhere : public SaveFlow, public ::testing::WithParamInterface<ChangedElsewhereCase>
{
};

TEST_P(ChangedElsewhere, IsOverwrittenOnlyAfterYes)
{
    const ChangedElsewhereCase& c = GetParam();
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Backdate(HostsPath()));
    ASSERT_TRUE(Open());
    if (c.edited)
        ToggleRow(1);
    std::string expected = "# header\r\n127.0.0.1 localhost\r\n# 10.0.0.1 box # off\r\n\r\n10.0.0.2 two";
    expected.replace(expected.find("# 10.0.0.1"), 2, "");
    if (c.otherBytes)
    {
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), c.otherBytes));
        if (c.sameTime)
        {
            ASSERT_TRUE(Backdate(HostsPath()));
        }
        m_boxes.QueueAnswer(c.answer);
    }
    const std::string before = FileBytes();
    {
        const CFileHandle held =
            c.heldAccess ? testfiles::HoldOpen(HostsPath(), c.heldAccess, c.heldShare) : CFileHandle();
        EXPECT_EQ(c.saved, m_norvik.SaveHosts());
    }
    std::vector<std::wstring> texts;
    for (const SeenMessageBox& box : m_boxes.Seen())
    {
        texts.push_back(box.text);
        EXPECT_EQ(L"Confirmation", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), box.flags);
    }
    EXPECT_EQ(c.otherBytes ? std::vector<std::wstring>{L"Hosts file was changed by another program after it was "
                                                       L"loaded. Overwrite it with your changes?"}
                           : std::vector<std::wstring>{},
              texts);
    EXPECT_EQ(c.saved && c.edited ? expected : before, FileBytes());
    EXPECT_EQ(c.saved ? 0 : 1, m_norvik.IsHostsChanged());
}

// clang-format off
CASE_TABLE(Files, ChangedElsewhere, ChangedElsewhereCase{{"NobodyElse"}, nullptr, false, 0, 1},
           ChangedElsewhereCase{{"NewerNo"}, "10.9.9.9 installer\r\n", false, IDNO, 0},
           ChangedElsewhereCase{{"NewerYes"}, "10.9.9.9 installer\r\n", false, IDYES, 1},
           ChangedElsewhereCase{{"SameTimeOtherSize"}, "10.9.9.9 installer\r\n", true, IDNO, 0},
           // Held open by another program, the file is there all the same: nothing to write, or
           // that program's write is asked about.
           ChangedElsewhereCase{{"HeldUnsharedNothingToWrite"}, nullptr, false, 0, 1, false,
                                GENERIC_READ | GENERIC_WRITE, 0},
           ChangedElsewhereCase{{"NewerHeldForDeletion"}, "10.9.9.9 installer\r\n", false, IDNO, 0, true,
                                GENERIC_READ | DELETE, testfiles::kShareAll});
// clang-format on

// The host destroys the page without closing the editor, then activates it again: the new
// page loads, edits and saves like the first one.
struct RebuiltPageCase : NamedCase
{
    bool duringLoad;          // destroyed while its first load ran
    bool closedFirst = false; // closed before, while the reader read a file it would refuse
};
class RebuiltPage : public SaveFlow, public ::testing::WithParamInterface<RebuiltPageCase>
{
};

TEST_P(RebuiltPage, LoadsAndSavesLikeTheFirst)
{
    const RebuiltPageCase& c = GetParam();
    // A NUL byte at the end: a reader let go on reading fails there, after the close.
    const std::string first = c.closedFirst  ? ManyEntries(2000000) + std::string(1, '\0')
                              : c.duringLoad ? ManyEntries(100000)
                                             : kFile;
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), first));
    if (c.closedFirst)
    {
        ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
        bool shown = false;
        const CWindowSpy spy = WhenProgressShows([&shown](HWND) { shown = true; });
        ASSERT_TRUE(ActivatePage(false) && PumpUntil([&shown] { return shown; }));
        // While the reader reads, it holds the file shut to everybody.
        ASSERT_TRUE(
            PumpUntil([this] { return !testfiles::HoldOpen(HostsPath(), GENERIC_READ, testfiles::kShareAll); }));
        m_norvik.CloseHostEditor();
    }
    else
    {
        ASSERT_TRUE(Open(!c.duringLoad));
    }
    DestroyWindow(m_page);
    PumpPending();
    // Long enough to read that an earlier load's end, taken for this one's, would show first.
    std::string good = kFile;
    for (int i = 0; c.closedFirst && i < 200000; ++i)
        good += "# pad\r\n";
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), good));
    ASSERT_TRUE(ActivatePage());
    for (const SeenMessageBox& box : m_boxes.Seen())
        ADD_FAILURE() << testfiles::Narrow(box.text);
    EXPECT_EQ(3, TableRows());
    ToggleRow(1);
    EXPECT_EQ(1, m_norvik.SaveHosts());
    // Row 1 enabled, and no line break after the last line.
    good.replace(good.find("#10.0.0.1"), 1, "");
    good.resize(good.size() - 2);
    EXPECT_EQ(good, FileBytes());
    EXPECT_EQ(0u, m_boxes.Count());
}

CASE_TABLE(Moments, RebuiltPage, RebuiltPageCase{{"AfterItsLoad"}, false}, RebuiltPageCase{{"DuringItsLoad"}, true},
           RebuiltPageCase{{"ClosedDuringItsLoad"}, true, true});

TEST_F(SaveFlow, ACharacterTheCodePageLacksIsNamedWithItsLineAndNothingIsWritten)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the character is chosen for code page 1252";
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    ASSERT_TRUE(Open());
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    SendMessageW(TextEdit(), EM_SETSEL, 0, 0);
    SendMessageW(TextEdit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"# ok\r\n# \x0416\r\n"));
    m_boxes.QueueAnswer(IDOK);
    EXPECT_EQ(0, m_norvik.SaveHosts());
    ASSERT_EQ(1u, m_boxes.Count());
    const SeenMessageBox box = m_boxes.Seen().front();
    EXPECT_EQ(L"Can't write to hosts file! Line 2 holds the character \"\x0416\" (U+0416), which the system's ANSI "
              L"code page cannot hold.",
              box.text);
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), box.flags);
    EXPECT_EQ(kFile, FileBytes());
    EXPECT_EQ(1, m_norvik.IsHostsChanged());
}

// A folder that takes no new file, where the user may still write the hosts file itself: the
// save writes it in place.
TEST_F(SaveFlow, SavesWhereOnlyTheFileItselfCanBeWritten)
{
    std::string whyNot;
    const std::wstring disk = testfiles::OneFileDiskFolder(whyNot);
    if (disk.empty())
        GTEST_SKIP() << whyNot;
    const std::wstring path = disk + L"\\hosts";
    const testfiles::CRemoveAtEnd remove{path};
    ASSERT_TRUE(testfiles::WriteBytes(path, kFile));
    ASSERT_TRUE(m_dataBasePath.Set(REG_SZ, disk));
    ASSERT_TRUE(Open());
    ToggleRow(1);
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(0u, m_boxes.Count());
    EXPECT_EQ("# header\r\n127.0.0.1 localhost\r\n10.0.0.1 box # off\r\n\r\n10.0.0.2 two", testfiles::ReadBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"hosts"}, testfiles::ListNames(disk));
    m_norvik.CloseHostEditor();
}

// A hosts file on a disk mounted read-only: its attribute cannot change either way. The save
// says so and fails, and the check box shows the file as it is.
struct AttributeKeptCase : NamedCase
{
    const wchar_t* folder;
    UINT check; // the file's read-only attribute, as the box shows it before and after
};
class AttributeKept : public SaveFlow, public ::testing::WithParamInterface<AttributeKeptCase>
{
};

TEST_P(AttributeKept, IsReportedAndSaveFails)
{
    const AttributeKeptCase& c = GetParam();
    std::string whyNot;
    const std::wstring disk = testfiles::TestDiskFolder(L"NORVIK_READ_ONLY_DISK", whyNot);
    if (disk.empty())
        GTEST_SKIP() << whyNot;
    const std::wstring folder = disk + L"\\" + c.folder;
    ASSERT_TRUE(m_dataBasePath.Set(REG_SZ, folder));
    ASSERT_TRUE(Open());
    ASSERT_EQ(c.check, SendMessageW(ReadOnlyBox(), BM_GETCHECK, 0, 0));
    SendMessageW(ReadOnlyBox(), BM_CLICK, 0, 0);
    m_boxes.QueueAnswer(IDOK);
    EXPECT_EQ(0, m_norvik.SaveHosts());
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(L"Can't change the \"read-only\" attribute of the hosts file.", m_boxes.Seen()[0].text);
    EXPECT_EQ(L"Error", m_boxes.Seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), m_boxes.Seen()[0].flags);
    EXPECT_EQ(c.check, SendMessageW(ReadOnlyBox(), BM_GETCHECK, 0, 0));
    EXPECT_EQ(c.check == BST_CHECKED, (Attributes(folder + L"\\hosts") & FILE_ATTRIBUTE_READONLY) != 0);
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    m_norvik.CloseHostEditor();
}

CASE_TABLE(Files, AttributeKept, AttributeKeptCase{{"ReadOnlyFile"}, L"read-only", BST_CHECKED},
           AttributeKeptCase{{"WritableFile"}, L"writable", BST_UNCHECKED});

// A UTF-8 file, with or without its mark, in a western and in a Japanese locale (Wine takes the
// ANSI code page from the process's Unix locale): its comments show as written, and a save of
// one edit changes only that line's bytes.
struct Utf8FileCase : NamedCase
{
    bool mark;
    UINT codePage;
};
class Utf8Files : public SaveFlow, public ::testing::WithParamInterface<Utf8FileCase>
{
};

TEST_P(Utf8Files, ShowTheirCommentsAndKeepTheirBytes)
{
    const Utf8FileCase& c = GetParam();
    ASSERT_EQ(c.codePage, GetACP());
    const std::string mark = c.mark ? "\xEF\xBB\xBF" : "";
    // "# Comment コメント", "ローカル"
    const std::string lines = "127.0.0.1 localhost # \xE3\x83\xAD\xE3\x83\xBC\xE3\x82\xAB\xE3\x83\xAB\r\n"
                              "# \xD0\x9A\xD0\xBE\xD0\xBC\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82 "
                              "\xE3\x82\xB3\xE3\x83\xA1\xE3\x83\xB3\xE3\x83\x88\r\n10.0.0.1 box\r\n";
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), mark + lines) && Open());
    EXPECT_EQ(L"localhost", Cell(0, 2));
    EXPECT_EQ(L"\x30ED\x30FC\x30AB\x30EB", Cell(0, 3));
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    EXPECT_EQ(L"127.0.0.1 localhost # \x30ED\x30FC\x30AB\x30EB\r\n# \x41A\x43E\x43C\x43C\x435\x43D\x442 "
              L"\x30B3\x30E1\x30F3\x30C8\r\n10.0.0.1 box",
              TextViewText());
    ClickButton(m_toolbar, ID_VIEW_AS_TABLE);
    ToggleRow(1);
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(mark + lines.substr(0, lines.find("10.0.0.1")) + "# 10.0.0.1 box", FileBytes());
    EXPECT_EQ(0u, m_boxes.Count());
}

CASE_TABLE(Encodings, Utf8Files, Utf8FileCase{{"In1252"}, false, 1252}, Utf8FileCase{{"MarkIn1252"}, true, 1252});
// Run in a Japanese locale (tests/wine/CMakeLists.txt).
CASE_TABLE(Japanese, Utf8Files, Utf8FileCase{{"In932"}, false, 932}, Utf8FileCase{{"MarkIn932"}, true, 932});
