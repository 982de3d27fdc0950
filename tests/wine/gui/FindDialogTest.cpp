#include "EditorPage.h"

#include <functional>

namespace
{
// Hosts containing "hit" in rows 1, 3, 4 and 6; row 5 has it only in its comment.
const char kEntries[] = "# find\r\n"
                        "10.0.0.10 start # first\r\n"
                        "10.0.0.11 hit-one\r\n"
                        "10.0.0.12 other\r\n"
                        "10.0.0.13 hit-three # near by\r\n"
                        "10.0.0.14 hit-four\r\n"
                        "10.0.0.15 other # hit\r\n"
                        "10.0.0.16 hit-six\r\n";

class FindDialog;
FindDialog* g_driver = nullptr;

// A control as the template describes it, in dialog units.
struct TemplateControl
{
    const wchar_t* className;
    int id;
    const wchar_t* text;
    RECT rect; // left, top, width, height: the dialog manager scales each on its own
    DWORD style; // bits that must be set
    DWORD typeBits; // BS_TYPEMASK value for buttons, else 0
};

class FindDialog : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kEntries));
        ASSERT_TRUE(Open());
        ASSERT_EQ(7, TableRows());
    }

    // Runs `open`; once the find dialog it brings up is active, `script` runs inside its modal
    // loop. A dialog the script leaves open is cancelled. Returns whether a dialog came up.
    bool InDialog(const std::function<void()>& open, const std::function<void(HWND)>& script)
    {
        m_script = script;
        m_dialog = nullptr;
        m_ran = false;
        g_driver = this;
        // The dialog is activated again after each message box: only the first counts.
        m_boxes.OnOtherDialog([this](HWND dialog) {
            if (m_dialog)
                return;
            m_dialog = dialog;
            // From the modal loop, not from inside the activation.
            SetTimer(nullptr, 0, 10, &FindDialog::Drive);
        });
        open();
        PumpUntil([this] { return m_ran && !IsWindow(m_dialog); });
        m_boxes.OnOtherDialog(nullptr);
        g_driver = nullptr;
        return m_ran;
    }

    bool WithSearch(const std::function<void(HWND)>& script)
    {
        return InDialog([this] { ClickButton(m_toolbar, ID_SEARCH); }, script);
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

    std::pair<DWORD, DWORD> TextSelection() const
    {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(TextEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

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
    static std::wstring Field(HWND dialog, int id)
    {
        wchar_t text[256] = {};
        GetDlgItemTextW(dialog, id, text, 256);
        return text;
    }
    static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    static bool FindNextEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDC_FIND_NEXT)) != FALSE; }
    static void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    static void ClickFindNext(HWND dialog) { Click(dialog, IDC_FIND_NEXT); }
    static bool IsShown(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }
    static std::wstring Caption(HWND hwnd)
    {
        wchar_t text[256] = {};
        GetWindowTextW(hwnd, text, 256);
        return text;
    }

    void ExpectLayout(HWND dialog, SIZE size, const std::vector<TemplateControl>& controls)
    {
        RECT client = {0, 0, size.cx, size.cy};
        MapDialogRect(dialog, &client);
        RECT actual = {};
        GetClientRect(dialog, &actual);
        EXPECT_EQ(client.right, actual.right);
        EXPECT_EQ(client.bottom, actual.bottom);
        HWND child = GetWindow(dialog, GW_CHILD);
        for (const TemplateControl& c : controls)
        {
            SCOPED_TRACE(testfiles::Narrow(c.text));
            ASSERT_TRUE(child);
            wchar_t className[32] = {};
            GetClassNameW(child, className, 32);
            EXPECT_EQ(0, lstrcmpiW(c.className, className)) << testfiles::Narrow(className);
            EXPECT_EQ(static_cast<WORD>(c.id), static_cast<WORD>(GetDlgCtrlID(child)));
            EXPECT_EQ(c.text, Caption(child));
            RECT expected = c.rect;
            MapDialogRect(dialog, &expected);
            RECT rect = {};
            GetWindowRect(child, &rect);
            MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
            EXPECT_EQ(expected.left, rect.left);
            EXPECT_EQ(expected.top, rect.top);
            EXPECT_EQ(expected.right, rect.right - rect.left);
            EXPECT_EQ(expected.bottom, rect.bottom - rect.top);
            const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
            const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE));
            // The dialog manager may turn an edit's WS_BORDER into a sunken edge.
            DWORD required = c.style;
            if ((required & WS_BORDER) && (exStyle & WS_EX_CLIENTEDGE))
                required &= ~WS_BORDER;
            EXPECT_EQ(required, style & required) << std::hex << style;
            if (c.typeBits)
            {
                EXPECT_EQ(c.typeBits, style & BS_TYPEMASK);
            }
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_FALSE(child) << "more controls than the template has";
    }

    static void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD)
    {
        FindDialog* self = g_driver;
        // A modal dialog is shown only once its queue is empty, which a due timer is not.
        if (self && !self->m_ran && !IsWindowVisible(self->m_dialog))
            return;
        KillTimer(nullptr, timer);
        if (!self || self->m_ran)
            return;
        self->m_ran = true;
        self->m_script(self->m_dialog);
        if (IsShown(self->m_dialog))
            PostMessageW(self->m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    std::function<void(HWND)> m_script;
    HWND m_dialog = nullptr;
    bool m_ran = false;
};

const DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
} // namespace

TEST_F(FindDialog, RecordTemplateHasItsControlsWhereTheLayoutPutsThem)
{
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        EXPECT_EQ(L"Find", Caption(dialog));
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
        const DWORD needed = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
        EXPECT_EQ(needed, style & needed) << std::hex << style;
        EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        ExpectLayout(dialog, {244, 81},
                     {
                         {L"Static", -1, L"IP:", {3, 4, 10, 8}, 0, 0},
                         {L"Static", -1, L"Host:", {3, 21, 18, 8}, 0, 0},
                         {L"Static", -1, L"Comment:", {3, 38, 34, 8}, 0, 0},
                         {L"Edit", IDC_FIND_ADDRESS, L"", {37, 3, 146, 14}, kEdit, 0},
                         {L"Edit", IDC_FIND_HOST, L"", {37, 20, 146, 14}, kEdit, 0},
                         {L"Edit", IDC_FIND_COMMENT, L"", {37, 38, 146, 14}, kEdit, 0},
                         {L"Button", IDC_FIND_DIRECTION, L"Direction", {118, 54, 65, 24}, 0, BS_GROUPBOX},
                         {L"Button", IDC_FIND_UP, L"Up", {123, 65, 25, 10}, WS_GROUP, BS_AUTORADIOBUTTON},
                         {L"Button", IDC_FIND_DOWN, L"Down", {148, 65, 34, 10}, 0, BS_AUTORADIOBUTTON},
                         {L"Button", IDC_FIND_NEXT, L"Find next", {192, 3, 50, 14}, 0, BS_DEFPUSHBUTTON},
                         {L"Button", IDCANCEL, L"Cancel", {191, 23, 50, 14}, 0, BS_PUSHBUTTON},
                     });
        // Nothing typed yet: nothing to search for, downward.
        EXPECT_FALSE(FindNextEnabled(dialog));
        EXPECT_TRUE(Checked(dialog, IDC_FIND_DOWN));
        EXPECT_FALSE(Checked(dialog, IDC_FIND_UP));
    }));
}

TEST_F(FindDialog, TextTemplateHasItsControlsWhereTheLayoutPutsThem)
{
    ShowText();
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        EXPECT_EQ(L"Dialog", Caption(dialog));
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
        const DWORD needed = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        EXPECT_EQ(needed, style & needed) << std::hex << style;
        EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
        EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        ExpectLayout(dialog, {244, 44},
                     {
                         {L"Static", -1, L"Text:", {3, 4, 18, 8}, 0, 0},
                         {L"Edit", IDC_FIND_TEXT, L"", {25, 3, 158, 14}, kEdit, 0},
                         {L"Button", IDC_FIND_DIRECTION, L"Direction", {118, 18, 65, 24}, 0, BS_GROUPBOX},
                         {L"Button", IDC_FIND_UP, L"Up", {123, 29, 25, 10}, WS_GROUP, BS_AUTORADIOBUTTON},
                         {L"Button", IDC_FIND_DOWN, L"Down", {148, 29, 34, 10}, 0, BS_AUTORADIOBUTTON},
                         {L"Button", IDC_FIND_NEXT, L"Find next", {192, 3, 50, 14}, 0, BS_DEFPUSHBUTTON},
                         {L"Button", IDCANCEL, L"Cancel", {191, 23, 50, 14}, 0, BS_PUSHBUTTON},
                     });
        EXPECT_FALSE(FindNextEnabled(dialog));
        EXPECT_TRUE(Checked(dialog, IDC_FIND_DOWN));
        EXPECT_FALSE(Checked(dialog, IDC_FIND_UP));
    }));
}

TEST_F(FindDialog, DownVisitsTheHitsBelowTheFocusedRowInOrderWithoutWrapping)
{
    FocusRow(2, {0, 5});
    ASSERT_EQ((std::vector<int>{0, 2, 5}), SelectedRows());
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        Type(dialog, IDC_FIND_HOST, L"hit");
        ASSERT_TRUE(FindNextEnabled(dialog));
        for (int expected : {3, 4, 6})
        {
            SCOPED_TRACE(expected);
            ClickFindNext(dialog);
            EXPECT_EQ(expected, FocusedRow());
            EXPECT_EQ(std::vector<int>{expected}, SelectedRows());
            EXPECT_TRUE(IsShown(dialog));
        }
        // Row 1 is a hit too, above: nothing wraps round to it.
        FindNextMissing(dialog);
        EXPECT_EQ(6, FocusedRow());
        EXPECT_TRUE(IsShown(dialog));

        // After a miss the search starts again one step from the focused row, the last hit.
        Click(dialog, IDC_FIND_UP);
        ClickFindNext(dialog);
        EXPECT_EQ(4, FocusedRow());
        EXPECT_EQ(0u, m_boxes.Count());
    }));
}

TEST_F(FindDialog, WithinAnOpeningTheSearchGoesOnFromTheLastHitNotTheFocusedRow)
{
    FocusRow(0);
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        Type(dialog, IDC_FIND_HOST, L"hit");
        ClickFindNext(dialog);
        EXPECT_EQ(1, FocusedRow());
        FocusRow(5);
        ClickFindNext(dialog);
        EXPECT_EQ(3, FocusedRow());
    }));
    // Closed, it forgets the last hit: the next opening starts from the focused row.
    FocusRow(5);
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        ClickFindNext(dialog);
        EXPECT_EQ(6, FocusedRow());
    }));
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(FindDialog, UpFromTheFirstRowFindsNothing)
{
    FocusRow(0);
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        Click(dialog, IDC_FIND_UP);
        // Row 0 itself matches, but the search starts one row above it.
        Type(dialog, IDC_FIND_HOST, L"start");
        FindNextMissing(dialog);
        EXPECT_EQ(0, FocusedRow());
        EXPECT_EQ(std::vector<int>{0}, SelectedRows());
    }));
}

TEST_F(FindDialog, TrailingBlanksAreTrimmedFromThePatternsAndTheFields)
{
    FocusRow(0);
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        // Untrimmed, this would match no whole address.
        Type(dialog, IDC_FIND_ADDRESS, L"10.0.0.14 \t ");
        ClickFindNext(dialog);
        EXPECT_EQ(4, FocusedRow());
        EXPECT_EQ(L"10.0.0.14", Field(dialog, IDC_FIND_ADDRESS));

        // Leading blanks stay: " by" is in "near by", " by " is not.
        Type(dialog, IDC_FIND_ADDRESS, L"");
        EXPECT_FALSE(FindNextEnabled(dialog));
        Type(dialog, IDC_FIND_COMMENT, L" by ");
        EXPECT_TRUE(FindNextEnabled(dialog));
        Click(dialog, IDC_FIND_UP);
        ClickFindNext(dialog);
        EXPECT_EQ(3, FocusedRow());
        EXPECT_EQ(L" by", Field(dialog, IDC_FIND_COMMENT));
        Type(dialog, IDC_FIND_COMMENT, L"");
        EXPECT_FALSE(FindNextEnabled(dialog));

        // Blanks alone are something to search for, until they are trimmed away.
        Type(dialog, IDC_FIND_HOST, L"  \t ");
        EXPECT_TRUE(FindNextEnabled(dialog));
        FindNextMissing(dialog);
        EXPECT_EQ(L"", Field(dialog, IDC_FIND_HOST));
        EXPECT_EQ(3, FocusedRow());
    }));
}

TEST_F(FindDialog, RecordPatternsAndDirectionStayForTheNextOpening)
{
    FocusRow(0);
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        Click(dialog, IDC_FIND_UP);
        Type(dialog, IDC_FIND_ADDRESS, L"10.*");
        Type(dialog, IDC_FIND_HOST, L"hit");
        Type(dialog, IDC_FIND_COMMENT, L"near");
        Click(dialog, IDCANCEL);
        EXPECT_FALSE(IsShown(dialog));
    }));
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        EXPECT_EQ(L"10.*", Field(dialog, IDC_FIND_ADDRESS));
        EXPECT_EQ(L"hit", Field(dialog, IDC_FIND_HOST));
        EXPECT_EQ(L"near", Field(dialog, IDC_FIND_COMMENT));
        EXPECT_TRUE(Checked(dialog, IDC_FIND_UP));
        EXPECT_FALSE(Checked(dialog, IDC_FIND_DOWN));
        EXPECT_TRUE(FindNextEnabled(dialog));
        Click(dialog, IDC_FIND_DOWN);
        Type(dialog, IDC_FIND_HOST, L"hit-");
        // The close box.
        SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(IsShown(dialog));
    }));
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        EXPECT_EQ(L"hit-", Field(dialog, IDC_FIND_HOST));
        EXPECT_TRUE(Checked(dialog, IDC_FIND_DOWN));
        EXPECT_FALSE(Checked(dialog, IDC_FIND_UP));
        ClickFindNext(dialog);
        EXPECT_EQ(3, FocusedRow());
    }));
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(FindDialog, EnterRunsFindNextAndKeepsTheDialogOpen)
{
    FocusRow(0);
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        Type(dialog, IDC_FIND_HOST, L"hit");
        SetFocus(GetDlgItem(dialog, IDC_FIND_HOST));
        PressKey(VK_RETURN);
        EXPECT_EQ(1, FocusedRow());
        EXPECT_TRUE(IsShown(dialog));
        SetFocus(GetDlgItem(dialog, IDC_FIND_HOST));
        PressKey(VK_RETURN);
        EXPECT_EQ(3, FocusedRow());
        EXPECT_TRUE(IsShown(dialog));

        // IDOK, as Enter gives it when no button takes it, searches too and does not close.
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(4, FocusedRow());
        EXPECT_TRUE(IsShown(dialog));

        // With nothing to search for, neither does anything at all.
        Type(dialog, IDC_FIND_HOST, L"");
        SetFocus(GetDlgItem(dialog, IDC_FIND_HOST));
        PressKey(VK_RETURN);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(4, FocusedRow());
        EXPECT_TRUE(IsShown(dialog));
        EXPECT_EQ(0u, m_boxes.Count());
    }));
}

TEST_F(FindDialog, EscapeClosesTheDialogWithoutSearching)
{
    FocusRow(0);
    bool closed = false;
    ASSERT_TRUE(WithSearch([&closed](HWND dialog) {
        Type(dialog, IDC_FIND_HOST, L"hit");
        SetFocus(GetDlgItem(dialog, IDC_FIND_HOST));
        PressKey(VK_ESCAPE);
        closed = !IsShown(dialog);
    }));
    EXPECT_TRUE(closed);
    EXPECT_EQ(0, FocusedRow());
}

TEST_F(FindDialog, TextSearchIsCaseSensitiveAndKeepsTrailingBlanks)
{
    ShowText();
    const std::wstring text = TextViewText();
    // "other" stands twice, followed by a blank only the second time.
    const size_t second = text.find(L"other ");
    ASSERT_NE(std::wstring::npos, second);
    ASSERT_LT(text.find(L"other"), second);
    SendMessageW(TextEdit(), EM_SETSEL, 0, 0);
    ASSERT_TRUE(WithSearch([&](HWND dialog) {
        Type(dialog, IDC_FIND_TEXT, L"Other");
        ASSERT_TRUE(FindNextEnabled(dialog));
        FindNextMissing(dialog);
        EXPECT_EQ((std::pair<DWORD, DWORD>{0, 0}), TextSelection());
        EXPECT_TRUE(IsShown(dialog));

        Type(dialog, IDC_FIND_TEXT, L"other ");
        ClickFindNext(dialog);
        EXPECT_EQ((std::pair<DWORD, DWORD>{static_cast<DWORD>(second), static_cast<DWORD>(second + 6)}),
                  TextSelection());
        EXPECT_EQ(L"other ", Field(dialog, IDC_FIND_TEXT));
        EXPECT_TRUE(IsShown(dialog));

        Type(dialog, IDC_FIND_TEXT, L"");
        EXPECT_FALSE(FindNextEnabled(dialog));
    }));
}

TEST_F(FindDialog, UpFromJustAfterTheFirstWordFindsIt)
{
    ShowText();
    ASSERT_EQ(0u, TextViewText().find(L"# find"));
    SendMessageW(TextEdit(), EM_SETSEL, 6, 6);
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        Click(dialog, IDC_FIND_UP);
        Type(dialog, IDC_FIND_TEXT, L"# find");
        ClickFindNext(dialog);
        EXPECT_EQ((std::pair<DWORD, DWORD>{0, 6}), TextSelection());
        // Nothing lies before the start.
        FindNextMissing(dialog);
        EXPECT_EQ((std::pair<DWORD, DWORD>{0, 6}), TextSelection());
    }));
}

TEST_F(FindDialog, TextAndDirectionStayForTheNextOpeningAndEnterSearches)
{
    ShowText();
    const std::wstring text = TextViewText();
    const size_t last = text.rfind(L"hit");
    ASSERT_NE(std::wstring::npos, last);
    const size_t previous = text.rfind(L"hit", last - 1);
    ASSERT_NE(std::wstring::npos, previous);
    SendMessageW(TextEdit(), EM_SETSEL, static_cast<WPARAM>(text.size()), static_cast<LPARAM>(text.size()));
    ASSERT_TRUE(WithSearch([this](HWND dialog) {
        Click(dialog, IDC_FIND_UP);
        Type(dialog, IDC_FIND_TEXT, L"hit");
        Click(dialog, IDCANCEL);
    }));
    ASSERT_TRUE(WithSearch([&](HWND dialog) {
        EXPECT_EQ(L"hit", Field(dialog, IDC_FIND_TEXT));
        EXPECT_TRUE(Checked(dialog, IDC_FIND_UP));
        EXPECT_FALSE(Checked(dialog, IDC_FIND_DOWN));
        EXPECT_TRUE(FindNextEnabled(dialog));
        SetFocus(GetDlgItem(dialog, IDC_FIND_TEXT));
        PressKey(VK_RETURN);
        EXPECT_EQ((std::pair<DWORD, DWORD>{static_cast<DWORD>(last), static_cast<DWORD>(last + 3)}),
                  TextSelection());
        EXPECT_TRUE(IsShown(dialog));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ((std::pair<DWORD, DWORD>{static_cast<DWORD>(previous), static_cast<DWORD>(previous + 3)}),
                  TextSelection());
        EXPECT_TRUE(IsShown(dialog));
    }));
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(FindDialog, F3BeforeAnySearchOpensTheViewsDialog)
{
    FocusRow(2);
    SetFocus(Table());
    std::wstring caption;
    ASSERT_TRUE(InDialog([] { PressKey(VK_F3); }, [&caption](HWND dialog) { caption = Caption(dialog); }));
    EXPECT_EQ(L"Find", caption);

    ShowText();
    SetFocus(TextEdit());
    ASSERT_TRUE(InDialog([] { PressKey(VK_F3); }, [&caption](HWND dialog) { caption = Caption(dialog); }));
    EXPECT_EQ(L"Dialog", caption);
    EXPECT_EQ(0u, m_boxes.Count());
}
