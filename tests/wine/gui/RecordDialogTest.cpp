// The record dialog as the editor opens it: Add record and Edit record from the toolbar, in
// the real norvik.dll, driven from inside its modal loop.
#include "DialogScript.h"
#include "EditorPage.h"
#include "TipSpy.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr wchar_t kTitle[] = L"Ошибка ввода";
constexpr wchar_t kMessage[] = L"# - недопустимый символ";
static_assert(kTitle[0] == 0x041E, "source not read as UTF-8");

RECT WindowRect(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual, const std::string& what)
{
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

RECT Moved(RECT rect, int left, int right)
{
    rect.left += left;
    rect.right += right;
    return rect;
}

struct GlobalTraits
{
    using Type = HGLOBAL;
    static Type Empty() { return nullptr; }
    static void Close(Type memory) { GlobalFree(memory); }
};

bool PutOnClipboard(HWND owner, const std::wstring& text)
{
    CUniqueHandle<GlobalTraits> memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory)
        return false;
    if (void* bytes = GlobalLock(memory.Get()))
    {
        std::memcpy(bytes, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory.Get());
    }
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    const bool put = SetClipboardData(CF_UNICODETEXT, memory.Get()) != nullptr;
    CloseClipboard();
    // The clipboard owns what it took.
    if (put)
        memory.Release();
    return put;
}

std::wstring Host(HWND dialog)
{
    return ItemText(dialog, IDC_RECORD_HOST);
}

const std::vector<std::wstring> kLocalhost = {L"127.0.0.1", L"localhost", L""};
const std::vector<std::wstring> kBuildBox = {L"10.0.0.5", L"build.example", L"the build box"};

// The page over a small hosts file, in the table view.
class RecordDialog : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        // The last address is one the control cannot show as it is.
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(),
                                          "127.0.0.1 localhost\r\n10.0.0.5 build.example # the build box\r\n"
                                          "300.1..7 odd.example\r\n"));
        ASSERT_TRUE(Open());
        ASSERT_EQ(3, TableRows());
    }

    // Opens Add record, or Edit record on `row`, and runs the script; returns once the dialog
    // has ended.
    void Run(CDialogScript& script, UINT command, int row = -1)
    {
        if (row >= 0)
        {
            LVITEMW item = {};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(Table(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(Table(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
        ASSERT_TRUE(IsButtonEnabled(m_toolbar, command));
        ASSERT_TRUE(script.Run([this, command] { ClickButton(m_toolbar, command); }));
        EXPECT_EQ(0u, m_boxes.Count());
    }
    void RunAdd(CDialogScript& script) { Run(script, ID_ADD_RECORD); }
    void RunEdit(CDialogScript& script, int row) { Run(script, ID_EDIT_RECORD, row); }

    std::vector<std::wstring> Row(int row) const { return {Cell(row, 1), Cell(row, 2), Cell(row, 3)}; }
};

struct CloseCase : NamedCase
{
    UINT command;
    bool closeBox;
};
using RecordDialogClose = CaseFixture<RecordDialog, CloseCase>;
} // namespace

TEST_F(RecordDialog, IsLaidOutAsItsTemplateOwnsAHiddenBalloonAndWidensButNeverGrowsTaller)
{
    HWND tip = nullptr;
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([&](HWND dialog) {
        EXPECT_EQ(m_window.Hwnd(), GetWindow(dialog, GW_OWNER));
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
                  style & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

        RECT client = {};
        GetClientRect(dialog, &client);
        ExpectRect(DialogUnits(dialog, 0, 0, 338, 74), client, "client area");
        struct Control
        {
            int id;
            const wchar_t* className;
            const wchar_t* text;
            int x, y, width, height;
        };
        const Control controls[] = {
            {IDC_RECORD_ADDRESS_LABEL, L"Static", L"IP Address", 3, 3, 74, 8},
            {IDC_RECORD_ADDRESS, WC_IPADDRESSW, nullptr, 3, 13, 100, 15},
            {IDC_RECORD_HOST_LABEL, L"Static", L"Host", 108, 3, 16, 8},
            {IDC_RECORD_HOST, L"Edit", L"", 108, 13, 227, 14},
            {IDC_RECORD_COMMENT_LABEL, L"Static", L"Comment", 3, 30, 31, 8},
            {IDC_RECORD_COMMENT, L"Edit", L"", 3, 40, 332, 14},
            {IDOK, L"Button", L"OK", 223, 57, 50, 14},
            {IDCANCEL, L"Button", L"Cancel", 277, 57, 50, 14},
        };
        for (const Control& c : controls)
        {
            const HWND control = GetDlgItem(dialog, c.id);
            ASSERT_TRUE(control) << c.id;
            EXPECT_EQ(0, lstrcmpiW(c.className, ClassName(control).c_str())) << c.id;
            if (c.text)
            {
                EXPECT_EQ(c.text, WindowText(control)) << c.id;
            }
            ExpectRect(DialogUnits(dialog, c.x, c.y, c.width, c.height), RectInDialog(control),
                       "control " + std::to_string(c.id));
        }
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_RECORD_ADDRESS), GWL_STYLE) & WS_TABSTOP);
        for (const int id : {IDC_RECORD_HOST, IDC_RECORD_COMMENT})
        {
            const HWND edit = GetDlgItem(dialog, id);
            const LONG editStyle = GetWindowLongW(edit, GWL_STYLE);
            EXPECT_TRUE(editStyle & WS_TABSTOP) << id;
            EXPECT_TRUE(editStyle & ES_AUTOHSCROLL) << id;
            // The dialog manager may draw WS_BORDER as a sunken client edge instead.
            EXPECT_TRUE((editStyle & WS_BORDER) || (GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) << id;
        }
        EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(IDOK, LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)));
        EXPECT_FALSE(ItemEnabled(dialog, IDOK));
        EXPECT_TRUE(ItemEnabled(dialog, IDCANCEL));

        tip = FindTip(dialog);
        ASSERT_TRUE(tip) << "no tooltip window owned by the dialog";
        EXPECT_FALSE(IsWindowVisible(tip));
        const LONG tipStyle = GetWindowLongW(tip, GWL_STYLE);
        EXPECT_TRUE(tipStyle & TTS_BALLOON);
        EXPECT_TRUE(tipStyle & TTS_NOPREFIX);
        EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
        EXPECT_EQ(static_cast<UINT>(TTF_TRACK | TTF_ABSOLUTE), FirstTool(tip).uFlags & (TTF_TRACK | TTF_ABSOLUTE));

        // Wider and taller asked at once: only the width changes.
        const RECT before = WindowRect(dialog);
        std::vector<RECT> controlsBefore;
        for (const Control& c : controls)
            controlsBefore.push_back(RectInDialog(GetDlgItem(dialog, c.id)));
        SetWindowPos(dialog, nullptr, 0, 0, before.right - before.left + 120, before.bottom - before.top + 80,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT after = WindowRect(dialog);
        EXPECT_EQ(before.right - before.left + 120, after.right - after.left);
        EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
        const int growth[][2] = {{0, 0}, {0, 0}, {0, 120}, {0, 120}, {0, 120}, {0, 120}, {120, 120}, {120, 120}};
        for (size_t i = 0; i < controlsBefore.size(); ++i)
            ExpectRect(Moved(controlsBefore[i], growth[i][0], growth[i][1]),
                       RectInDialog(GetDlgItem(dialog, controls[i].id)),
                       "widened control " + std::to_string(controls[i].id));

        // Only taller: nothing changes.
        SetWindowPos(dialog, nullptr, 0, 0, after.right - after.left, after.bottom - after.top + 50,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(before.bottom - before.top, WindowRect(dialog).bottom - WindowRect(dialog).top);

        // Back to its first size, the controls are where the template put them.
        SetWindowPos(dialog, nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        for (size_t i = 0; i < controlsBefore.size(); ++i)
            ExpectRect(controlsBefore[i], RectInDialog(GetDlgItem(dialog, controls[i].id)),
                       "restored control " + std::to_string(controls[i].id));
    });
    script.Cancel();

    RunAdd(script);
    EXPECT_FALSE(IsWindow(tip)) << "the balloon outlived its dialog";
    EXPECT_EQ(3, TableRows());
}

TEST_F(RecordDialog, AddOpensWithTheLoopbackAddressAndOkFollowsTheAddressAndTheHost)
{
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([](HWND dialog) {
        EXPECT_EQ(L"Add record", WindowText(dialog));
        const HWND address = GetDlgItem(dialog, IDC_RECORD_ADDRESS);
        EXPECT_EQ(L"127.0.0.1", WindowText(address));
        DWORD value = 0;
        EXPECT_EQ(4, SendMessageW(address, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value)));
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(127, 0, 0, 1)), value);
        EXPECT_EQ(L"", Host(dialog));
        EXPECT_EQ(L"", ItemText(dialog, IDC_RECORD_COMMENT));
        FocusForTyping(dialog, GetDlgItem(dialog, IDC_RECORD_HOST));
    });
    // No host: Enter does nothing.
    script.EnterIgnored();
    script.Type(IDC_RECORD_HOST, L"x");
    script.Do([](HWND dialog) {
        EXPECT_TRUE(ItemEnabled(dialog, IDOK)) << "one host character and an address";
        SendKeys(VK_BACK);
    });
    script.WaitFor("the host deleted", [](HWND dialog) { return Host(dialog).empty(); });
    script.Do([](HWND dialog) {
        EXPECT_FALSE(ItemEnabled(dialog, IDOK)) << "empty host";
        SendText(L"  ");
    });
    script.WaitFor("blanks typed", [](HWND dialog) { return Host(dialog) == L"  "; });
    script.Do([](HWND dialog) {
        EXPECT_FALSE(ItemEnabled(dialog, IDOK)) << "blanks name no host";
        SendKeys(VK_BACK);
        SendKeys(VK_BACK);
    });
    script.WaitFor("the blanks deleted", [](HWND dialog) { return Host(dialog).empty(); });
    script.Do([](HWND /*dialog*/) { SendText(L"h"); });
    script.WaitFor("the host typed again", [](HWND dialog) { return ItemEnabled(dialog, IDOK); });
    script.Do([](HWND dialog) {
        const HWND address = GetDlgItem(dialog, IDC_RECORD_ADDRESS);
        SendMessageW(address, IPM_CLEARADDRESS, 0, 0);
        EXPECT_NE(0, SendMessageW(address, IPM_ISBLANK, 0, 0));
        EXPECT_FALSE(ItemEnabled(dialog, IDOK)) << "blank address with a host";
        SendText(L"i");
    });
    script.WaitFor("more host typed", [](HWND dialog) { return Host(dialog) == L"hi"; });
    script.Do([](HWND dialog) {
        // The host's change writes the fields back: a blank address stays blank.
        EXPECT_NE(0, SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_ISBLANK, 0, 0));
        EXPECT_FALSE(ItemEnabled(dialog, IDOK));
    });
    // A blank address: Enter does nothing either.
    script.EnterIgnored();
    script.Do([](HWND dialog) {
        EXPECT_FALSE(ItemEnabled(dialog, IDOK));
        SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_SETFOCUS, 2, 0);
        SendText(L"7");
    });
    script.WaitFor("one address field typed",
                   [](HWND dialog) { return !SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_ISBLANK, 0, 0); });
    script.Do([](HWND dialog) {
        EXPECT_TRUE(ItemEnabled(dialog, IDOK)) << "one field is an address";
        // Leaving the field: the control reports it.
        SetFocus(GetDlgItem(dialog, IDC_RECORD_COMMENT));
        EXPECT_TRUE(ItemEnabled(dialog, IDOK));
    });
    script.Cancel();

    RunAdd(script);
    EXPECT_EQ(3, TableRows()) << "Cancel added an entry";
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
}

TEST_F(RecordDialog, HashTypedOrPastedIntoTheHostIsRemovedWithABalloonThatTheNextKeyHides)
{
    CTipSpy spy;
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Type(IDC_RECORD_HOST, L"abcd");
    script.Do([](HWND dialog) {
        EXPECT_FALSE(TipShown(dialog));
        SendDlgItemMessageW(dialog, IDC_RECORD_HOST, EM_SETSEL, 2, 2);
        SendText(L"#");
    });
    script.WaitFor("the balloon", [](HWND dialog) { return TipShown(dialog); });
    script.Do([&spy](HWND dialog) {
        const HWND host = GetDlgItem(dialog, IDC_RECORD_HOST);
        EXPECT_EQ(L"abcd", WindowText(host));
        EXPECT_EQ(std::make_pair(DWORD{2}, DWORD{2}), EditSelection(host)) << "the caret moved";
        EXPECT_TRUE(ItemEnabled(dialog, IDOK));

        const HWND tip = FindTip(dialog);
        EXPECT_EQ(kMessage, TipText(tip));
        EXPECT_EQ(kTitle, TipTitle(tip, spy.Requests()));
        ASSERT_FALSE(spy.Requests().titles.empty());
        const WPARAM icon = spy.Requests().titles.back().first;
        EXPECT_TRUE(icon == TTI_ERROR || icon == TTI_WARNING) << "icon " << icon;
        // The stem touches the host field's lower-left corner.
        const RECT field = WindowRect(host);
        ASSERT_FALSE(spy.Requests().positions.empty());
        EXPECT_EQ(field.left, spy.Requests().positions.back().x);
        EXPECT_EQ(field.bottom, spy.Requests().positions.back().y);
        const RECT balloon = WindowRect(tip);
        EXPECT_NEAR(field.bottom, balloon.top, 2);
        EXPECT_LE(balloon.left, field.left);
        EXPECT_GT(balloon.right, field.left);

        SendText(L"e");
    });
    script.WaitFor("the next key", [](HWND dialog) { return Host(dialog) == L"abecd"; });
    script.Do([](HWND dialog) {
        EXPECT_FALSE(TipShown(dialog)) << "the next key left the balloon";
        // A paste is checked like typing; the caret goes one place left of where the paste
        // left it, which is as far as the shorter text goes.
        SendDlgItemMessageW(dialog, IDC_RECORD_HOST, EM_SETSEL, 0, -1);
        SendKeys(VK_DELETE);
        ASSERT_TRUE(PutOnClipboard(dialog, L"a#b#c"));
        SendKeys('V', {VK_CONTROL});
    });
    script.WaitFor("the pasted host", [](HWND dialog) { return Host(dialog) == L"abc"; });
    script.WaitFor("the balloon after the paste", [](HWND dialog) { return TipShown(dialog); });
    script.Do([](HWND dialog) {
        EXPECT_EQ(std::make_pair(DWORD{3}, DWORD{3}), EditSelection(GetDlgItem(dialog, IDC_RECORD_HOST)));
        EXPECT_EQ(kMessage, TipText(FindTip(dialog)));
        SendText(L" d e");
    });
    script.WaitFor("blanks typed", [](HWND dialog) { return Host(dialog) == L"abc d e"; });
    script.Do([](HWND dialog) {
        EXPECT_FALSE(TipShown(dialog)) << "a blank left the balloon";
        SendText(L"#");
    });
    script.WaitFor("the balloon for the last #", [](HWND dialog) { return TipShown(dialog); });
    script.Do([&spy](HWND dialog) {
        EXPECT_EQ(L"abc d e", Host(dialog));
        // Shows come from timers of one delay, in the order they were asked for: any other
        // show, for the blanks or the balloon coming back after the key that hid it, has come
        // before this one.
        EXPECT_EQ(3u, spy.Requests().Shows()) << "a show for anything but the three #";
    });
    script.Cancel();

    RunAdd(script);
    EXPECT_EQ(3, TableRows());
}

TEST_F(RecordDialog, TheBalloonAppearsAfterItsDelayAndGoesByItselfAboutTwoSecondsLater)
{
    CTipSpy spy;
    size_t before = 0;
    ULONGLONG typed = 0;
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([&](HWND dialog) {
        const HWND host = GetDlgItem(dialog, IDC_RECORD_HOST);
        // Typed straight into the field: what the dialog does runs before this returns, and
        // no timer can fire in between.
        SendMessageW(host, WM_CHAR, 'a', 1);
        typed = GetTickCount64();
        before = spy.Requests().activations.size();
        SendMessageW(host, WM_CHAR, '#', 1);
        EXPECT_EQ(L"a", WindowText(host));
        EXPECT_FALSE(TipShown(dialog)) << "shown without its delay";
        EXPECT_EQ(0u, spy.Requests().Shows()) << "asked to show within the keystroke";
    });
    script.WaitFor("the balloon", [](HWND dialog) { return TipShown(dialog); });
    script.WaitFor(
        "the balloon to go by itself", [](HWND dialog) { return !TipShown(dialog); }, 10000);
    script.Do([&](HWND) {
        // After the keystroke's own hide: the show from its timer, then the hide from the
        // other one, with nothing typed in between.
        const auto& activations = spy.Requests().activations;
        ASSERT_EQ(before + 3, activations.size());
        EXPECT_FALSE(activations[before].first);
        EXPECT_TRUE(activations[before + 1].first);
        EXPECT_FALSE(activations[before + 2].first);
        EXPECT_LT(typed, activations[before + 1].second) << "shown before its delay";
        EXPECT_LT(activations[before + 1].second, activations[before + 2].second);
    });
    script.Cancel();

    RunAdd(script);
}

TEST_F(RecordDialog, AddWithOkAppendsATickedEntryAsTypedWithTheHashInItsComment)
{
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Type(IDC_RECORD_HOST, L"new host");
    script.Type(IDC_RECORD_COMMENT, L"a # b");
    // The address last: only OK reads it after that.
    script.Do([](HWND dialog) {
        EXPECT_FALSE(TipShown(dialog)) << "a balloon for the comment";
        SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_SETFOCUS, 0, 0);
        SendText(L"10.1.2.3");
    });
    script.WaitFor("the typed address",
                   [](HWND dialog) { return ItemText(dialog, IDC_RECORD_ADDRESS) == L"10.1.2.3"; });
    script.PressEnter();

    RunAdd(script);
    ASSERT_EQ(4, TableRows());
    // Two names: the table shows the first, the line keeps both.
    EXPECT_EQ((std::vector<std::wstring>{L"10.1.2.3", L"new", L"a # b"}), Row(3));
    EXPECT_TRUE(Ticked(3));
    EXPECT_EQ(kLocalhost, Row(0));
    EXPECT_EQ(kBuildBox, Row(1));
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_NE(std::string::npos, FileBytes().find("\r\n10.1.2.3 new host # a # b")) << FileBytes();
}

// The host field holds every name of the line; OK writes the names typed there, once each, and
// the comment as a reload would read it back.
TEST_F(RecordDialog, EditShowsEveryNameAndOkWritesExactlyTheNamesTyped)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 a b c # note\r\n"));
    ClickButton(m_toolbar, ID_REFRESH);
    ASSERT_TRUE(WaitForLoad());
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([](HWND dialog) { EXPECT_EQ(L"a b c", Host(dialog)); });
    script.Type(IDC_RECORD_HOST, L" b  a B d ");
    script.Type(IDC_RECORD_COMMENT, L"  spaced");
    script.PressEnter();

    RunEdit(script, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"127.0.0.1", L"b", L"spaced"}), Row(0));
    ASSERT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ("127.0.0.1 b a d # spaced", FileBytes());
}

TEST_P(RecordDialogClose, LeavesTheEntriesAsTheyWere)
{
    const CloseCase& c = GetParam();
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Type(IDC_RECORD_HOST, L"other.example").Type(IDC_RECORD_COMMENT, L"changed");
    script.Do([](HWND dialog) { EXPECT_TRUE(ItemEnabled(dialog, IDOK)); });
    if (c.closeBox)
        script.CloseBox();
    else
        script.Cancel();
    Run(script, c.command, c.command == ID_EDIT_RECORD ? 1 : -1);
    ASSERT_EQ(3, TableRows());
    EXPECT_EQ(kLocalhost, Row(0));
    EXPECT_EQ(kBuildBox, Row(1));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
}

CASE_TABLE(Closed, RecordDialogClose, CloseCase{{"AddCancel"}, ID_ADD_RECORD, false},
           CloseCase{{"AddCloseBox"}, ID_ADD_RECORD, true}, CloseCase{{"EditCancel"}, ID_EDIT_RECORD, false},
           CloseCase{{"EditCloseBox"}, ID_EDIT_RECORD, true});

TEST_F(RecordDialog, EditOpensWithTheEntryAndOkDisabledAndACommentChangeEnablesOkForGood)
{
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([](HWND dialog) {
        EXPECT_EQ(L"Edit record", WindowText(dialog));
        EXPECT_EQ(L"10.0.0.5", ItemText(dialog, IDC_RECORD_ADDRESS));
        EXPECT_EQ(0, SendDlgItemMessageW(dialog, IDC_RECORD_ADDRESS, IPM_ISBLANK, 0, 0));
        EXPECT_EQ(L"build.example", Host(dialog));
        EXPECT_EQ(L"the build box", ItemText(dialog, IDC_RECORD_COMMENT));
        EXPECT_FALSE(ItemEnabled(dialog, IDOK));
        // Typed straight into the comment: moving the focus out of the address would itself
        // raise IPN_FIELDCHANGED, and so the OK rule, before any key.
        const HWND comment = GetDlgItem(dialog, IDC_RECORD_COMMENT);
        SendMessageW(comment, WM_KEYDOWN, VK_END, 0);
        SendMessageW(comment, WM_CHAR, '!', 1);
        EXPECT_EQ(L"the build box!", WindowText(comment));
        EXPECT_TRUE(ItemEnabled(dialog, IDOK));
        SendMessageW(comment, WM_CHAR, VK_BACK, 1);
        EXPECT_EQ(L"the build box", WindowText(comment));
        EXPECT_TRUE(ItemEnabled(dialog, IDOK)) << "OK went with the character";
    });
    // And a real edit of the comment, through the keyboard, is what OK hands back.
    script.Type(IDC_RECORD_COMMENT, L"x#y");
    script.PressEnter();

    RunEdit(script, 1);
    ASSERT_EQ(3, TableRows());
    EXPECT_EQ((std::vector<std::wstring>{L"10.0.0.5", L"build.example", L"x#y"}), Row(1));
    EXPECT_TRUE(Ticked(1));
    EXPECT_EQ(kLocalhost, Row(0));
}

TEST_F(RecordDialog, EditShowsAnAddressOutsideTheFieldsAsTheControlWouldCorrectItAndOkReturnsThat)
{
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([](HWND dialog) {
        const HWND address = GetDlgItem(dialog, IDC_RECORD_ADDRESS);
        DWORD value = 0;
        EXPECT_EQ(4, SendMessageW(address, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value)));
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(255, 1, 0, 7)), value);
        EXPECT_EQ(L"odd.example", Host(dialog));
    });
    // Nothing changed yet: Enter does nothing.
    script.EnterIgnored();
    // A comment typed and taken back again leaves OK enabled, and the entry as it was.
    script.Type(IDC_RECORD_COMMENT, L"x").Type(IDC_RECORD_COMMENT, L"");
    script.Do([](HWND dialog) { EXPECT_TRUE(ItemEnabled(dialog, IDOK)); });
    script.PressEnter();

    RunEdit(script, 2);
    EXPECT_EQ((std::vector<std::wstring>{L"255.1.0.7", L"odd.example", L""}), Row(2));
}

TEST_F(RecordDialog, DISABLED_ScreenshotWithBalloon)
{
    CDialogScript script(m_boxes, IDC_RECORD_HOST);
    script.Do([](HWND dialog) { SetDlgItemTextW(dialog, IDC_RECORD_COMMENT, L"build server"); });
    script.Type(IDC_RECORD_HOST, L"build.example#", L"build.example");
    script.WaitFor("the balloon", [](HWND dialog) { return TipShown(dialog); });
    script.Do([](HWND) { SaveScreen("record-dialog"); });
    script.Cancel();

    RunAdd(script);
}
