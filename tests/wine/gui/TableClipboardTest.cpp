// The table's clipboard keys on the real page: Ctrl+A, copy (Ctrl+C, Ctrl+Insert) and paste
// (Ctrl+V, Shift+Insert), with the clipboard read and written through the system's own calls.
#include "CaseTable.h"
#include "DialogScript.h"
#include "EditorPage.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
const char kFile[] = "# header\r\n127.0.0.1 localhost\r\n#10.0.0.1   box   #off\r\n\r\n"
                     "10.0.0.2 two.example b2   # second\r\n::1 localhost\r\n10.0.0.3 three";

void PutOnClipboard(const std::wstring& text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    EXPECT_TRUE(SetClipboardData(CF_UNICODETEXT, memory));
    CloseClipboard();
}

std::wstring ClipboardText()
{
    if (!OpenClipboard(nullptr))
        return L"(not opened)";
    const HGLOBAL memory = GetClipboardData(CF_UNICODETEXT);
    const auto* data = memory ? static_cast<const wchar_t*>(GlobalLock(memory)) : nullptr;
    std::wstring text = data ? data : L"(no text)";
    if (data)
        GlobalUnlock(memory);
    CloseClipboard();
    return text;
}

struct Stroke
{
    WORD key;
    std::vector<WORD> modifiers;
};
const Stroke kCtrlA = {'A', {VK_LCONTROL}};
const Stroke kCtrlC = {'C', {VK_LCONTROL}};
const Stroke kCtrlInsert = {VK_INSERT, {VK_RCONTROL}};
const Stroke kCtrlV = {'V', {VK_LCONTROL}};
const Stroke kShiftInsert = {VK_INSERT, {VK_LSHIFT}};

// A stroke queued for `window` with its modifiers down, taken as the host's loop takes it.
void PostStroke(HWND window, const Stroke& stroke)
{
    BYTE before[256] = {};
    GetKeyboardState(before);
    BYTE held[256] = {};
    std::memcpy(held, before, sizeof(held));
    for (WORD modifier : stroke.modifiers)
        held[modifier] = 0x80;
    SetKeyboardState(held);
    PostMessageW(window, WM_KEYDOWN, stroke.key, 1);
    PumpPending();
    SetKeyboardState(before);
}

struct ClipboardCase : NamedCase
{
    std::vector<int> selected; // before the keys; the first is focused
    std::wstring clipboard;    // before the keys
    std::vector<Stroke> strokes;
    std::wstring clipboardAfter;
    int rows;                       // afterwards
    std::vector<int> selectedAfter; // none: as before
    int focusedAfter;
    bool boxShown;           // "The clipboard holds no hosts entries."
    bool changed;            // Save changes enabled
    bool duringLoad = false; // the keys go while the progress dialog shows
};

using TableClipboard = CaseFixture<EditorPage, ClipboardCase>;
// Five entries, LF only, with a final line break.
const wchar_t kFive[] = L"10.1.1.1 a\n10.1.1.2 b\n10.1.1.3 c\n10.1.1.4 d\n10.1.1.5 e\n";
} // namespace

TEST_P(TableClipboard, KeysCopyAndPasteHostsLines)
{
    const ClipboardCase& c = GetParam();
    PutOnClipboard(c.clipboard);
    const auto press = [&c] {
        for (const Stroke& stroke : c.strokes)
            PressKey(stroke.key, stroke.modifiers);
    };
    m_boxes.QueueAnswer(IDOK);
    if (c.duringLoad)
    {
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), ManyEntries(1000)));
        ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
        // The table is disabled meanwhile and cannot take the focus, but keys typed ahead of
        // the load may still be queued for it.
        const CWindowSpy spy = WhenProgressShows([&](HWND) {
            for (const Stroke& stroke : c.strokes)
                PostStroke(Table(), stroke);
        });
        ASSERT_TRUE(ActivatePage());
    }
    else
    {
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
        ASSERT_TRUE(Open());
        SetFocus(Table());
        for (int row : c.selected)
            SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
        if (!c.selected.empty())
            SetRowState(c.selected.front(), LVIS_FOCUSED, LVIS_FOCUSED);
        press();
    }
    EXPECT_EQ(c.clipboardAfter, ClipboardText());
    EXPECT_EQ(c.rows, TableRows());
    const std::vector<int>& selected = c.selectedAfter.empty() ? c.selected : c.selectedAfter;
    EXPECT_EQ(selected, SelectedRows());
    EXPECT_EQ(c.focusedAfter, FocusedRow());
    EXPECT_EQ(c.changed, IsButtonEnabled(m_toolbar, ID_SAVE_CHANGES));
    // A save writes what the table shows, and never a NUL byte.
    EXPECT_TRUE(!c.changed || (m_norvik.SaveHosts() == 1 && FileBytes().find('\0') == std::string::npos));
    ASSERT_EQ(c.boxShown ? 1u : 0u, m_boxes.Count());
    if (c.boxShown)
    {
        const SeenMessageBox box = m_boxes.Seen().front();
        EXPECT_EQ(L"The clipboard holds no hosts entries.", box.text);
        EXPECT_EQ(L"Information", box.caption);
        EXPECT_EQ(64u, box.flags);
        EXPECT_EQ(Table(), GetFocus());
    }
}

// clang-format off
CASE_TABLE(Keys, TableClipboard,
    ClipboardCase{{"CtrlASelectsEveryRow"}, {1}, L"kept", {kCtrlA}, L"kept", 4, {0, 1, 2, 3}, 1, false, false},
    ClipboardCase{{"CopyOne"}, {1}, L"kept", {kCtrlC}, L"# 10.0.0.1 box # off", 4, {}, 1, false, false},
    ClipboardCase{{"CopySeveralInFileOrder"}, {3, 0, 2}, L"kept", {kCtrlC},
                  L"127.0.0.1 localhost\r\n10.0.0.2 two.example b2 # second\r\n10.0.0.3 three", 4, {0, 2, 3}, 3,
                  false, false},
    ClipboardCase{{"CopyNothingSelected"}, {}, L"kept", {kCtrlC}, L"kept", 4, {}, -1, false, false},
    ClipboardCase{{"CtrlInsertCopies"}, {1}, L"kept", {kCtrlInsert}, L"# 10.0.0.1 box # off", 4, {}, 1, false, false},
    ClipboardCase{{"PasteEntries"}, {0}, L"10.1.1.1 a\r\n10.1.1.2 b", {kCtrlV}, L"10.1.1.1 a\r\n10.1.1.2 b", 6,
                  {4, 5}, 4, false, true},
    ClipboardCase{{"ShiftInsertPastesMoreThanTheListHad"}, {0}, kFive, {kShiftInsert}, kFive, 9, {4, 5, 6, 7, 8}, 4, false, true},
    ClipboardCase{{"PasteSkipsAllButEntries"}, {},
                  L"# comment\r\n::1 six\r\n\r\n10.1.1.1   a  #  c\nplain words\n10.1.1.2 b", {kCtrlV, kCtrlC},
                  L"10.1.1.1 a # c\r\n10.1.1.2 b", 6, {4, 5}, 4, false, true},
    ClipboardCase{{"PasteOfNoEntrySaysSo"}, {1}, L"# only a comment\r\n::1 localhost", {kCtrlV},
                  L"# only a comment\r\n::1 localhost", 4, {}, 1, true, false},
    ClipboardCase{{"DisabledEntryAndFurtherNamesRoundTrip"}, {}, L"# 10.0.0.9 a b c # note\r\n10.0.0.8 x",
                  {kCtrlV, kCtrlC}, L"# 10.0.0.9 a b c # note\r\n10.0.0.8 x", 6, {4, 5}, 4, false, true},
    ClipboardCase{{"NothingDuringALoad"}, {}, L"# no entry", {kCtrlV, kCtrlA, kCtrlC}, L"# no entry", 1000,
                  {}, -1, false, false, true},
    // What a program left after the text's NUL is no text: no entry from it, no NUL in the file.
    ClipboardCase{{"PasteEndsAtTheNul"}, {}, std::wstring(L"10.1.1.1 a\0" L"10.9.9.9 after", 25), {kCtrlV},
                  L"10.1.1.1 a", 5, {4}, 4, false, true});
// clang-format on
