#include "FindPage.h"

namespace
{
// A control as the template describes it, in dialog units.
struct TemplateControl
{
    const wchar_t* className;
    int id;
    const wchar_t* text;
    RECT rect;      // left, top, width, height: the dialog manager scales each on its own
    DWORD style;    // bits that must be set
    DWORD typeBits; // BS_TYPEMASK value for buttons, else 0
};

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
        EXPECT_EQ(c.text, WindowText(child));
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

const DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

struct PatternCase : NamedCase
{
    const wchar_t* added; // a host added through the record dialog first, as row 7
    const wchar_t* host;  // the pattern
    int found;            // -1: "Record not found"
};
using FindPattern = CaseFixture<FindDialog, PatternCase>;
} // namespace

TEST_F(FindDialog, RecordTemplateHasItsControlsWhereTheLayoutPutsThem)
{
    ASSERT_TRUE(WithSearch([](HWND dialog) {
        EXPECT_EQ(L"Find", WindowText(dialog));
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
    ASSERT_TRUE(WithSearch([](HWND dialog) {
        EXPECT_EQ(L"Dialog", WindowText(dialog));
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
        EXPECT_EQ(L"10.0.0.14", ItemText(dialog, IDC_FIND_ADDRESS));

        // Leading blanks stay: " by" is in "near by", " by " is not.
        Type(dialog, IDC_FIND_ADDRESS, L"");
        EXPECT_FALSE(FindNextEnabled(dialog));
        Type(dialog, IDC_FIND_COMMENT, L" by ");
        EXPECT_TRUE(FindNextEnabled(dialog));
        Click(dialog, IDC_FIND_UP);
        ClickFindNext(dialog);
        EXPECT_EQ(3, FocusedRow());
        EXPECT_EQ(L" by", ItemText(dialog, IDC_FIND_COMMENT));
        Type(dialog, IDC_FIND_COMMENT, L"");
        EXPECT_FALSE(FindNextEnabled(dialog));

        // Blanks alone are something to search for, until they are trimmed away.
        Type(dialog, IDC_FIND_HOST, L"  \t ");
        EXPECT_TRUE(FindNextEnabled(dialog));
        FindNextMissing(dialog);
        EXPECT_EQ(L"", ItemText(dialog, IDC_FIND_HOST));
        EXPECT_EQ(3, FocusedRow());
    }));
}

TEST_F(FindDialog, RecordPatternsAndDirectionStayForTheNextOpening)
{
    FocusRow(0);
    ASSERT_TRUE(WithSearch([](HWND dialog) {
        Click(dialog, IDC_FIND_UP);
        Type(dialog, IDC_FIND_ADDRESS, L"10.*");
        Type(dialog, IDC_FIND_HOST, L"hit");
        Type(dialog, IDC_FIND_COMMENT, L"near");
        Click(dialog, IDCANCEL);
        EXPECT_FALSE(IsShown(dialog));
    }));
    ASSERT_TRUE(WithSearch([](HWND dialog) {
        EXPECT_EQ(L"10.*", ItemText(dialog, IDC_FIND_ADDRESS));
        EXPECT_EQ(L"hit", ItemText(dialog, IDC_FIND_HOST));
        EXPECT_EQ(L"near", ItemText(dialog, IDC_FIND_COMMENT));
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
        EXPECT_EQ(L"hit-", ItemText(dialog, IDC_FIND_HOST));
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
        EXPECT_EQ(L"other ", ItemText(dialog, IDC_FIND_TEXT));
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
    ASSERT_TRUE(WithSearch([](HWND dialog) {
        Click(dialog, IDC_FIND_UP);
        Type(dialog, IDC_FIND_TEXT, L"hit");
        Click(dialog, IDCANCEL);
    }));
    ASSERT_TRUE(WithSearch([&](HWND dialog) {
        EXPECT_EQ(L"hit", ItemText(dialog, IDC_FIND_TEXT));
        EXPECT_TRUE(Checked(dialog, IDC_FIND_UP));
        EXPECT_FALSE(Checked(dialog, IDC_FIND_DOWN));
        EXPECT_TRUE(FindNextEnabled(dialog));
        SetFocus(GetDlgItem(dialog, IDC_FIND_TEXT));
        PressKey(VK_RETURN);
        EXPECT_EQ((std::pair<DWORD, DWORD>{static_cast<DWORD>(last), static_cast<DWORD>(last + 3)}), TextSelection());
        EXPECT_TRUE(IsShown(dialog));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ((std::pair<DWORD, DWORD>{static_cast<DWORD>(previous), static_cast<DWORD>(previous + 3)}),
                  TextSelection());
        EXPECT_TRUE(IsShown(dialog));
    }));
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_P(FindPattern, IgnoresTheLetterCaseBeyondAscii)
{
    const PatternCase& c = GetParam();
    if (c.added)
        AddThroughTheDialog(c.added);
    FocusRow(0);
    ASSERT_TRUE(WithSearch([&](HWND dialog) {
        Type(dialog, IDC_FIND_HOST, c.host);
        if (c.found < 0)
        {
            FindNextMissing(dialog);
            EXPECT_EQ(0, FocusedRow());
            return;
        }
        // A miss is answered, so that it fails the test instead of hanging it.
        m_boxes.QueueAnswer(IDOK);
        ClickFindNext(dialog);
        EXPECT_EQ(c.found, FocusedRow());
        EXPECT_EQ(0u, m_boxes.Count());
    }));
}

CASE_TABLE(Hosts, FindPattern, PatternCase{{"Ascii"}, nullptr, L"HIT-THREE", 3},
           PatternCase{{"LatinAndGreek"}, L"ÄBC-Ω.example", L"äbc-ω*", 7},
           PatternCase{{"UpperCasePatternLowerCaseHost"}, L"äbc-ω.example", L"ÄBC-Ω", 7},
           PatternCase{{"Cyrillic"}, L"ПРИМЕР.example", L"пример", 7},
           PatternCase{{"CyrillicOtherLetter"}, L"ПРИМЕР.example", L"примеп", -1});
