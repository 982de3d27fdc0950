#include "AddressSpaceHog.h"
#include "CaseTable.h"
#include "DialogScript.h"
#include "EditorPage.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <memory>

#include <string>
#include <vector>

namespace
{
const char kTwoEntries[] = "# header\r\n127.0.0.1 localhost\r\n#10.0.0.1 box # off\r\n";

using EditorForm = EditorPage;
} // namespace

// Only a process that never called Init can show this, so it runs in a child process of its
// own (started by the test below); disabled, the main run leaves it out.
TEST_F(EditorForm, DISABLED_InAFreshProcessExportsDoNothingBeforeInit)
{
    const RECT page = m_window.PageRect();
    EXPECT_EQ(nullptr, m_norvik.Activate(m_window.Hwnd(), page.left, page.top, page.right, page.bottom));
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    EXPECT_EQ(0, m_norvik.SaveHosts());
    EXPECT_EQ(nullptr, m_norvik.GetFirstFormControl());
    EXPECT_EQ(nullptr, m_norvik.GetLastFormControl());
    m_norvik.Deactivate();
    m_norvik.CloseHostEditor();
    EXPECT_FALSE(testfiles::Exists(HostsPath()));
    EXPECT_EQ(0u, m_boxes.Count());
    EXPECT_EQ(nullptr, FindWindowExW(m_window.Hwnd(), nullptr, L"#32770", nullptr));
}

TEST(EditorModule, ExportsDoNothingBeforeInit)
{
    EXPECT_TRUE(RunTestInChildProcess("EditorForm", "DISABLED_InAFreshProcessExportsDoNothingBeforeInit"));
}

TEST_F(EditorForm, ToolbarHasThirteenButtonsInTheirGroupsWithCaptionsAndTooltips)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kTwoEntries));
    ASSERT_TRUE(Open());
    ASSERT_TRUE(m_toolbar);
    wchar_t title[64] = {};
    GetWindowTextW(m_toolbar, title, 64);
    EXPECT_STREQ(L"Host editor", title);

    struct Expected
    {
        UINT id;
        const wchar_t* caption;
        const wchar_t* tooltip;
    };
    // 0 marks a separator: each group starts with one.
    const std::vector<Expected> expected = {
        {ID_REFRESH, L"Refresh", L"Refresh"},
        {0, nullptr, nullptr},
        {ID_SAVE_CHANGES, L"Save changes", L"Save changes"},
        {ID_DISCARD_CHANGES, L"Discard changes", L"Discard changes"},
        {0, nullptr, nullptr},
        {ID_ADD_RECORD, L"Add record", L"Add record"},
        {ID_DELETE_RECORD, L"Delete record", L"Remove record"},
        {ID_EDIT_RECORD, L"Edit record", L"Edit record"},
        {0, nullptr, nullptr},
        {ID_VIEW_AS_TABLE, L"View as table", L"View as table"},
        {ID_VIEW_AS_TEXT, L"View as text", L"View as text"},
        {0, nullptr, nullptr},
        {ID_SEARCH, L"Search", L"Search"},
        {0, nullptr, nullptr},
        {ID_REVERT_TO_DEFAULT, L"Revert to default hosts file", L"Revert to default hosts file "},
        {0, nullptr, nullptr},
        {ID_RESET_SKIN, L"Enable/disable skin", L"Reset skin to default"},
        {ID_SELECT_SKIN, L"Select skin", L"Select skin"},
        {0, nullptr, nullptr},
        {ID_ABOUT, L"About", L"About"},
    };
    ASSERT_EQ(expected.size(), static_cast<size_t>(SendMessageW(m_toolbar, TB_BUTTONCOUNT, 0, 0)));
    for (size_t i = 0; i < expected.size(); ++i)
    {
        TBBUTTON button = {};
        ASSERT_TRUE(SendMessageW(m_toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        if (!expected[i].id)
        {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP) << "position " << i;
            continue;
        }
        EXPECT_EQ(expected[i].id, static_cast<UINT>(button.idCommand)) << "position " << i;
        wchar_t caption[64] = {};
        SendMessageW(m_toolbar, TB_GETBUTTONTEXTW, expected[i].id, reinterpret_cast<LPARAM>(caption));
        EXPECT_STREQ(expected[i].caption, caption);

        // The tooltip text is what the page answers its tooltip control for the button.
        NMTTDISPINFOW info = {};
        info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(m_toolbar, TB_GETTOOLTIPS, 0, 0));
        info.hdr.idFrom = expected[i].id;
        info.hdr.code = TTN_GETDISPINFOW;
        SendMessageW(m_page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        std::wstring tooltip;
        if (IS_INTRESOURCE(info.lpszText))
        {
            wchar_t text[128] = {};
            LoadStringW(info.hinst, static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.lpszText)), text, 128);
            tooltip = text;
        }
        else if (info.lpszText)
        {
            tooltip = info.lpszText;
        }
        EXPECT_EQ(std::wstring(expected[i].tooltip), tooltip) << "button " << expected[i].id;
    }
}

TEST_F(EditorForm, CommandStatesFollowTheViewAndTheEntries)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kTwoEntries));
    ASSERT_TRUE(Open());
    EXPECT_EQ(2, TableRows());
    EXPECT_EQ((std::vector<UINT>{ID_REFRESH, ID_ADD_RECORD, ID_DELETE_RECORD, ID_EDIT_RECORD, ID_VIEW_AS_TABLE,
                                 ID_VIEW_AS_TEXT, ID_SEARCH, ID_REVERT_TO_DEFAULT, ID_SELECT_SKIN, ID_ABOUT}),
              EnabledButtons());
    EXPECT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE));
    EXPECT_FALSE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TEXT));

    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_TRUE(PumpUntil([this] { return IsButtonChecked(m_toolbar, ID_VIEW_AS_TEXT); }));
    EXPECT_FALSE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE));
    // Records are edited in the table only.
    EXPECT_EQ((std::vector<UINT>{ID_REFRESH, ID_VIEW_AS_TABLE, ID_VIEW_AS_TEXT, ID_SEARCH, ID_REVERT_TO_DEFAULT,
                                 ID_SELECT_SKIN, ID_ABOUT}),
              EnabledButtons());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_page, IDC_HOSTS_TEXT)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_page, IDC_HOSTS_TABLE)));
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(EditorForm, AnEmptyFileLeavesDeleteAndEditDisabled)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "# nothing but a comment"));
    ASSERT_TRUE(Open());
    EXPECT_EQ(0, TableRows());
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_DELETE_RECORD));
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_EDIT_RECORD));
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_ADD_RECORD));
}

TEST_F(EditorForm, DuringALoadOnlyAboutAndAfterAFailedLoadOnlyRefreshAboutAndSkins)
{
    // Large enough for the progress dialog, which the load thread shows through this thread.
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), ManyEntries(1000)));
    {
        // The size probe may open the file, the reader may not: the load fails.
        const CFileHandle held = testfiles::HoldOpen(HostsPath(), GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(held);
        ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
        std::vector<UINT> enabled;
        int changed = -1;
        std::vector<HWND> ends = {m_page};
        const CWindowSpy spy = WhenProgressShows([&](HWND) {
            enabled = EnabledButtons();
            changed = m_norvik.IsHostsChanged();
            // No enabled tab stop: neither end of the page is one.
            ends = {m_norvik.GetFirstFormControl(), m_norvik.GetLastFormControl()};
        });
        ASSERT_TRUE(spy.IsSet());
        m_boxes.QueueAnswer(IDOK);
        ASSERT_TRUE(ActivatePage(false));
        ASSERT_TRUE(PumpUntil([this] { return m_boxes.Count() == 1; }));
        EXPECT_EQ(std::vector<UINT>{ID_ABOUT}, enabled);
        EXPECT_EQ(0, changed);
        EXPECT_EQ((std::vector<HWND>{nullptr, nullptr}), ends);
    }
    const SeenMessageBox box = m_boxes.Seen().front();
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(L"Can't read hosts file! Probably, file is exclusively blocked by other application. ", box.text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), box.flags);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ((std::vector<UINT>{ID_REFRESH, ID_SELECT_SKIN, ID_ABOUT}), EnabledButtons());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_page, IDC_HOSTS_TABLE)));
    EXPECT_EQ(0, TableRows());
    EXPECT_EQ(nullptr, m_norvik.GetFirstFormControl());
    EXPECT_EQ(nullptr, m_norvik.GetLastFormControl());

    // Refresh retries, and the file is free now.
    ClickButton(m_toolbar, ID_REFRESH);
    ASSERT_TRUE(PumpUntil([this] { return TableRows() == 1000 && IsButtonEnabled(m_toolbar, ID_ADD_RECORD); }));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(m_page, IDC_HOSTS_TABLE)));
}

TEST_F(EditorForm, AMissingFileIsCreatedWithTheDefaultContent)
{
    m_boxes.QueueAnswer(IDOK);
    ASSERT_TRUE(Open());
    ASSERT_EQ(1u, m_boxes.Count());
    const SeenMessageBox box = m_boxes.Seen().front();
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(L"\"Hosts\" file is not found. It will be created with default content.", box.text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), box.flags);
    // The two commented examples and the loopback entry.
    EXPECT_TRUE(PumpUntil([this] { return TableRows() == 3; }));
    const auto bytes = testfiles::ReadBytes(HostsPath());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string("127.0.0.1 localhost"), bytes->substr(bytes->size() - 19));
}

// Another program puts the file back while the user reads that it is missing: that file loads.
class MissingFile : public EditorPage
{
protected:
    static void CALLBACK PutBackThenAnswer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_self && s_self->m_boxes.Count() == 1 && testfiles::WriteBytes(s_self->HostsPath(), kTwoEntries))
            CMessageBoxWatcher::Answer(std::exchange(s_self, nullptr)->m_boxes.Seen().front(), IDOK);
    }
    static inline MissingFile* s_self = nullptr;
};

TEST_F(MissingFile, AFilePutBackWhileItIsReportedIsLoaded)
{
    s_self = this;
    {
        const CUniqueHandle<ThreadTimerTraits> timer(SetTimer(nullptr, 0, 10, &PutBackThenAnswer));
        ASSERT_TRUE(Open());
    }
    EXPECT_EQ(nullptr, s_self);
    EXPECT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(kTwoEntries, FileBytes());
    EXPECT_EQ(2, TableRows());
}

TEST_F(EditorForm, EnterAndEscapeNeverCloseThePage)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kTwoEntries));
    ASSERT_TRUE(Open());
    const HWND table = GetDlgItem(m_page, IDC_HOSTS_TABLE);
    SetFocus(table);
    std::vector<WORD> commands;
    const CWindowSpy spy(m_page, [&commands](UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
            commands.push_back(LOWORD(wParam));
    });
    ASSERT_TRUE(spy.IsSet());
    for (WPARAM key : {VK_RETURN, VK_ESCAPE})
    {
        PostMessageW(table, WM_KEYDOWN, key, 1);
        PostMessageW(table, WM_KEYUP, key, 0xC0000001);
        MSG message;
        // As the host's own loop does.
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (!IsDialogMessageW(m_window.Hwnd(), &message))
            {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        EXPECT_TRUE(IsWindow(m_page));
        EXPECT_TRUE(IsWindowVisible(m_page));
    }
    // Both reached the page as its OK and Cancel commands.
    EXPECT_EQ((std::vector<WORD>{IDOK, IDCANCEL}), commands);
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(EditorForm, ASecondInitAfterActivateGivesAPageThatWorks)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kTwoEntries));
    ASSERT_TRUE(Open());
    const HWND first = m_page;
    ASSERT_TRUE(Open());
    EXPECT_FALSE(IsWindow(first));
    ASSERT_TRUE(IsWindow(m_page));
    EXPECT_EQ(2, TableRows());
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_ADD_RECORD));
}

TEST_F(EditorForm, AfterCloseThePageShowsTheEmptyModel)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kTwoEntries));
    ASSERT_TRUE(Open());
    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_FALSE(TextViewText().empty());
    m_norvik.CloseHostEditor();
    PumpPending();
    EXPECT_EQ(0, TableRows());
    EXPECT_EQ(L"", TextViewText());
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    EXPECT_EQ(kTwoEntries, FileBytes());
}

namespace
{
std::wstring TextOf(HWND control)
{
    wchar_t text[128] = {};
    GetWindowTextW(control, text, 128);
    return text;
}

int TextWidthIn(HWND control)
{
    const std::wstring text = TextOf(control);
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return size.cx;
}
} // namespace

// The screen's pixels of the modification line, from the label's left to the page's right.
std::vector<COLORREF> LinePixels(HWND page)
{
    RECT label = {};
    RECT client = {};
    GetWindowRect(GetDlgItem(page, IDC_LAST_MODIFIED_LABEL), &label);
    GetClientRect(page, &client);
    MapWindowPoints(page, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    std::vector<COLORREF> pixels;
    const HDC screen = GetDC(nullptr);
    for (int y = label.top; y < label.bottom; ++y)
        for (int x = label.left - 40; x < client.right; ++x)
            pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(EditorForm, TheModificationLineShowsItsWholeLabelAndTimeAtTheBottomRight)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kTwoEntries));
    ASSERT_TRUE(Open());
    const HWND label = GetDlgItem(m_page, IDC_LAST_MODIFIED_LABEL);
    const HWND value = GetDlgItem(m_page, IDC_LAST_MODIFIED);
    ASSERT_EQ(L"Last modification:", TextOf(label));
    RECT client = {};
    GetClientRect(m_page, &client);
    // Where the template puts the time against the right edge, in this font's rounding.
    const int margin = client.right - RectInDialog(value).right;
    EXPECT_LE(std::abs(margin), 2);
    for (const int width : {900, 560, 700})
    {
        SCOPED_TRACE(width);
        SetWindowPos(m_page, nullptr, 0, 0, width, 460, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpPending();
        const RECT labelRect = RectInDialog(label);
        const RECT valueRect = RectInDialog(value);
        GetClientRect(m_page, &client);
        EXPECT_GE(labelRect.right - labelRect.left, TextWidthIn(label));
        EXPECT_GE(valueRect.right - valueRect.left, TextWidthIn(value));
        EXPECT_LE(labelRect.right, valueRect.left);
        EXPECT_EQ(client.right - margin, valueRect.right);
        EXPECT_EQ(labelRect.top, valueRect.top);
    }

    // Moved, it looks as it does on a page made at that width: no pixels left behind.
    SetWindowPos(m_page, nullptr, 0, 0, 740, 460, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPending();
    const std::vector<COLORREF> moved = LinePixels(m_page);
    ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
    const RECT place = m_window.PageRect();
    m_page = m_norvik.Activate(m_window.Hwnd(), place.left, place.top, place.left + 740, place.top + 460);
    ASSERT_TRUE(m_page);
    m_toolbar = FindToolbar(m_page);
    ASSERT_TRUE(WaitForLoad());
    PumpPending();
    EXPECT_TRUE(moved == LinePixels(m_page)) << "the moved line differs from one drawn in place";
}

// A load that fails says why; the page stays usable, a save writes nothing over the file, and
// the next load of a good file works.
struct LoadFailureCase : NamedCase
{
    std::string bytes;
    const wchar_t* text; // null: out of memory, with the file's size in the text
    uint64_t sparse = 0; // the file's size, its bytes followed by zeros no disk holds
};
class LoadFailure : public EditorPage, public ::testing::WithParamInterface<LoadFailureCase>
{
};

TEST_P(LoadFailure, SaysWhyAndKeepsTheFile)
{
    const LoadFailureCase& c = GetParam();
    const bool outOfMemory = !c.text && !c.sparse;
    if ((outOfMemory || c.sparse) && !CAddressSpaceHog::kPossible)
        GTEST_SKIP() << NoHogReason();
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), c.bytes));
    ASSERT_TRUE(!c.sparse || testfiles::SetLength(HostsPath(), c.sparse));
    ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
    // The address space runs out after the page is made, before the reader is asked.
    std::unique_ptr<CAddressSpaceHog> hog;
    const CWindowSpy spy = WhenProgressShows([&](HWND) {
        if (outOfMemory && !hog)
            hog = std::make_unique<CAddressSpaceHog>();
    });
    m_boxes.QueueAnswer(IDOK);
    ASSERT_TRUE(ActivatePage(false));
    ASSERT_TRUE(PumpUntil([this] { return m_boxes.Count() == 1; }));
    hog.reset();
    const SeenMessageBox box = m_boxes.Seen().front();
    const std::wstring megabytes = std::to_wstring(((c.sparse ? c.sparse : c.bytes.size()) + (1u << 19)) >> 20);
    EXPECT_EQ(c.text ? c.text : L"Not enough memory to load the hosts file (" + megabytes + L" MB).", box.text);
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), box.flags);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(0, TableRows());
    EXPECT_EQ(1, m_norvik.SaveHosts());
    EXPECT_EQ(c.sparse ? c.sparse : c.bytes.size(), testfiles::ReadFileSize(HostsPath()));
    if (!c.sparse)
    {
        EXPECT_EQ(c.bytes, FileBytes());
    }

    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 good\r\n"));
    ClickButton(m_toolbar, ID_REFRESH);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(1, TableRows());
    EXPECT_EQ(1u, m_boxes.Count());
}

// Above the size that shows the progress dialog, so that the test can step in before the read.
const std::string kPadding = "\r\n" + std::string(30000, '#');
// clang-format off
CASE_TABLE(Files, LoadFailure,
           LoadFailureCase{{"NulByte"},
                           std::string("127.0.0.1 a\r\n\0\r\n127.0.0.1 b", 27) + kPadding,
                           L"Can't read hosts file! Line 2 holds a NUL byte: the file is not 8-bit text (it may have "
                           L"been saved as Unicode)."},
           LoadFailureCase{{"Utf16File"}, std::string("\xFF\xFE" "1\0" "2\0", 6) + kPadding,
                           L"Can't read hosts file! Line 1 holds a NUL byte: the file is not 8-bit text (it may have "
                           L"been saved as Unicode)."},
           LoadFailureCase{{"OutOfMemory"}, ManyEntries(200000), nullptr},
           // More characters than a 32-bit process's string can hold.
           LoadFailureCase{{"BeyondAStringsReach"}, "127.0.0.1 a\r\n", nullptr, uint64_t{600} << 20});
// clang-format on
