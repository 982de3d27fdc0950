// The page runs inside the host's program: each modal window it shows runs a message loop that
// also runs the host's timers, and from them the host calls the exports. Each case is one modal
// and one such call; the modal is answered afterwards if it is still there. The cases run under
// Wine's heap checks, so that a write into freed memory fails them.
#include "DialogScript.h"
#include "EditorPage.h"

#include <dlgs.h>

#include <cstring>
#include <tuple>

namespace
{
// Large enough for the progress dialog, so that its owner is the host's window from the start.
const std::string kTail = "\r\n#" + std::string(20480, '-');
const std::string kFile = "# header\r\n127.0.0.1 localhost\r\n10.0.0.1 box\r\n10.0.0.2 two" + kTail + "\r\n";
// Row 0 turned off, as a save writes it.
const std::string kToggled = "# header\r\n# 127.0.0.1 localhost\r\n10.0.0.1 box\r\n10.0.0.2 two" + kTail;
const std::vector<std::wstring> kHosts = {L"localhost", L"box", L"two"};
const wchar_t kDeleteQuestion[] = L"Are you sure you want to delete selected record?";

// How a modal comes up and is answered, and what its flow leaves once it has run its course.
struct Modal
{
    const char* name;
    // e: row 0 toggled first, s: the host's own SaveHosts brings it up; the file r: read-only,
    // c: changed by another program since the load, h: held open by one; t: the text view;
    // b: the trigger key with Shift; k: the host calls from the callback the trigger brings
    // (FocusPrevious, ApplySkin) instead of from its timer
    const char* setup;
    UINT trigger;                    // a key in the table (below 256) or a toolbar button, if any
    const wchar_t* text;             // a box: part of its text; a dialog: null
    int control;                     // a dialog: a control of its own
    int answer;                      // the record dialog: OK with 10.9.9.9 and the host "typed"
    std::vector<std::wstring> hosts; // the table afterwards
    bool written;                    // the file holds the edit afterwards
    int changed;                     // IsHostsChanged afterwards
    int outer;                       // the host's SaveHosts
    bool keys;                       // the table takes the keys afterwards
    bool Has(char c) const { return std::strchr(setup, c) != nullptr; }
};

std::ostream& operator<<(std::ostream& os, const Modal& modal)
{
    return os << modal.name;
}

// DestroyParent: the window the page sits in, which the modals (owned by the top-level window)
// outlive; DestroyTopLevel: the host's whole window, and the modals with it; Quit: a WM_QUIT,
// as a host's Exit or the session's end posts, which ends a message box without an answer.
// clang-format off
enum Call { Close, Deactivate, Init, Save, Activate, DestroyParent, DestroyTopLevel, Quit };
const char* const kCallNames[] = {"Close", "Deactivate", "Init", "Save", "Activate", "DestroyParent", "DestroyTopLevel",
                                  "Quit"};
const Modal kModals[] = {
    {"Add", "", ID_ADD_RECORD, nullptr, IDC_RECORD_HOST, IDOK, {L"localhost", L"box", L"two", L"typed"}, false, 1, 0, true},
    {"Edit", "", VK_F2, nullptr, IDC_RECORD_HOST, IDOK, {L"typed", L"box", L"two"}, false, 1, 0, true},
    {"Delete", "", VK_DELETE, kDeleteQuestion, 0, IDYES, {L"box", L"two"}, false, 1, 0, true},
    {"ReadOnly", "esr", 0, L"\"read-only\". Ignore", 0, IDYES, kHosts, true, 0, 1, true},
    {"Overwrite", "esc", 0, L"changed by another program", 0, IDYES, kHosts, true, 0, 1, true},
    {"WriteFailure", "esh", 0, L"Can't write", 0, IDOK, kHosts, false, 1, 0, true},
    {"ReadFailure", "h", ID_REFRESH, L"Can't read", 0, IDOK, {}, false, 0, 0, false},
    {"RefreshQuestion", "e", VK_F5, L"before refreshing", 0, IDYES, kHosts, true, 0, 0, false},
    {"SwitchQuestion", "e", ID_VIEW_AS_TEXT, L"before switching", 0, IDCANCEL, kHosts, false, 1, 0, true},
    {"RevertQuestion", "", ID_REVERT_TO_DEFAULT, L"default hosts file", 0, IDNO, kHosts, false, 0, 0, true},
    {"NotFound", "", ID_SEARCH, L"Record not found", 0, IDOK, kHosts, false, 0, 0, true},
    {"FindRecord", "", ID_SEARCH, nullptr, IDC_FIND_HOST, IDCANCEL, kHosts, false, 0, 0, true},
    {"FindText", "t", ID_SEARCH, nullptr, IDC_FIND_TEXT, IDCANCEL, kHosts, false, 0, 0, false},
    {"About", "", ID_ABOUT, nullptr, IDC_ABOUT_MODULES, IDOK, kHosts, false, 0, 0, true},
    {"SkinFile", "", ID_SELECT_SKIN, nullptr, cmb13, IDCANCEL, kHosts, false, 0, 0, true},
    {"SkinNotice", "", ID_RESET_SKIN, L"after application restart", 0, IDOK, kHosts, false, 0, 0, true},
};
// The host's callbacks calling back in: a host that closes the page, or makes a new one, when
// the focus leaves it, and one that hides the page when it applies a skin.
const Modal kCallbacks[] = {
    {"FocusPrevious", "ebk", VK_TAB, nullptr, 0, 0, kHosts, false, 1, 0, true},
    {"ApplySkin", "ek", ID_SELECT_SKIN, nullptr, cmb13, IDOK, kHosts, false, 1, 0, true},
};
// clang-format on

class Reentry : public EditorPage, public ::testing::WithParamInterface<std::tuple<Modal, Call>>
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        // A skin chosen before, which Reset skin can drop.
        const std::string skin = {1, 0, 0, 0, 4, 0, 0, 0, 'C', 0, ':', 0, '\\', 0, 'a', 0};
        ASSERT_TRUE(testfiles::WriteBytes(m_host.settingsFolder + L"norvikcfg.bin", skin));
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
        // The host's one window, unless the case destroys it: with a second top-level window the
        // window manager would move the activation between the two after each box.
        const HWND top = m_call != DestroyTopLevel
                             ? m_window.Hwnd()
                             : CreateWindowExW(0, L"NorvikTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 760, 560,
                                               nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_norvik.Init(&m_host, &m_host) && BringToFront(top) && Show(top) && WaitForLoad());
    }
    void TearDown() override
    {
        EditorPage::TearDown();
        DestroyWindow(m_parent);
    }

    // The page in a window of its own in `top`, as a host with tabs has it.
    bool Show(HWND top)
    {
        m_top = top;
        RECT r = {};
        GetClientRect(m_top, &r);
        m_parent = CreateWindowExW(WS_EX_CONTROLPARENT, L"NorvikTestHost", nullptr, WS_CHILD | WS_VISIBLE, 0, 0,
                                   r.right, r.bottom, m_top, nullptr, nullptr, nullptr);
        m_page = m_norvik.Activate(m_parent, 0, 0, r.right, r.bottom);
        m_toolbar = FindToolbar(m_page);
        return m_page != nullptr;
    }
    void ToggleAndSave()
    {
        ToggleRow(0);
        const std::string before = FileBytes();
        EXPECT_EQ(1, m_norvik.IsHostsChanged());
        EXPECT_EQ(1, m_norvik.SaveHosts());
        EXPECT_NE(before, FileBytes());
    }

    // The host's timer, which the modal's loop runs: it calls, then answers, then waits.
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_case && !std::exchange(s_case->m_busy, true))
        {
            s_case->Step();
            s_case->m_busy = false;
        }
    }
    void Step()
    {
        // "Record not found" answers the find dialog's Find Next.
        if (c.text && c.trigger == ID_SEARCH && IsShown(m_find) && !std::exchange(m_searched, true))
        {
            SetDlgItemTextW(m_find, IDC_FIND_HOST, L"nothing");
            PostMessageW(GetDlgItem(m_find, IDC_FIND_NEXT), BM_CLICK, 0, 0);
        }
        for (const SeenMessageBox& box : m_boxes.Seen())
            m_modal = c.text && box.text.find(c.text) != std::wstring::npos ? box.hwnd : m_modal;
        m_modal = c.text ? m_modal : m_dialog;
        if (m_stage == 0 && IsShown(m_modal))
        {
            // Any other box gets No, and fails the case instead of hanging it.
            for (int box = 0; box < 3; ++box)
                m_boxes.QueueAnswer(IDNO);
            if (!c.Has('k'))
                CallHost();
            m_stage = 1;
        }
        else if (m_stage == 1 && IsShown(m_modal))
        {
            if (c.control == IDC_RECORD_HOST)
            {
                SendDlgItemMessageW(m_modal, IDC_RECORD_ADDRESS, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 9, 9, 9));
                SetDlgItemTextW(m_modal, IDC_RECORD_HOST, L"typed");
            }
            if (c.control == cmb13 && c.answer == IDOK)
                SetDlgItemTextW(m_modal, cmb13, (m_folder / L"chosen.cjstyles").c_str());
            PostMessageW(m_modal, WM_COMMAND, MAKEWPARAM(c.answer, BN_CLICKED), 0);
            m_stage = 2;
        }
        else if (m_stage > 0 && !IsShown(m_modal))
        {
            if (IsShown(m_find))
                PostMessageW(m_find, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            m_stage = 3;
        }
    }
    void CallHost()
    {
        if (m_call == Close)
            m_norvik.CloseHostEditor();
        if (m_call == Deactivate)
            m_norvik.Deactivate();
        if (m_call == Init)
            m_returned = m_norvik.Init(&m_host, &m_host) ? 1 : 0;
        if (m_call == Save)
            m_returned = m_norvik.SaveHosts();
        if (m_call == Activate)
            m_returned = m_norvik.Activate(m_parent, 0, 0, 10, 10) == m_page ? 1 : 0;
        if (m_call == DestroyParent || m_call == DestroyTopLevel)
            DestroyWindow(m_call == DestroyParent ? m_parent : m_top);
        if (m_call == Quit)
            PostQuitMessage(0);
    }

    const Modal& c = std::get<0>(GetParam());
    const Call m_call = std::get<1>(GetParam());
    static inline Reentry* s_case = nullptr;
    bool m_busy = false;
    int m_stage = 0; // waiting for the modal, the host has called, the modal is answered, it is gone
    bool m_searched = false;
    HWND m_modal = nullptr;
    HWND m_dialog = nullptr;
    HWND m_find = nullptr;
    HWND m_top = nullptr;
    HWND m_parent = nullptr;
    int m_returned = -1;
    int m_outer = 0;
};

TEST_P(Reentry, TheHostsCallLeavesAConsistentPageAndFile)
{
    FILETIME loaded = {};
    ASSERT_TRUE(GetFileTime(testfiles::HoldOpen(HostsPath(), FILE_READ_ATTRIBUTES, testfiles::kShareAll).Get(), nullptr,
                            nullptr, &loaded));
    SelectOnly(0);
    SetFocus(Table());
    if (c.Has('e'))
        PressKey(VK_SPACE);
    SetFileAttributesW(HostsPath().c_str(), c.Has('r') ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(!c.Has('c') || testfiles::SetLastWrite(HostsPath(), uint64_t{126227808000000000}));
    CFileHandle held = c.Has('h') ? testfiles::HoldOpen(HostsPath(), GENERIC_READ, 0) : CFileHandle();
    if (c.Has('t'))
        ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    m_boxes.OnOtherDialog([this](HWND dialog) {
        m_dialog = m_dialog || !GetDlgItem(dialog, c.control) ? m_dialog : dialog;
        m_find = m_find || !GetDlgItem(dialog, IDC_FIND_NEXT) ? m_find : dialog;
    });
    s_case = this;
    if (c.Has('k'))
    {
        ASSERT_TRUE(testfiles::WriteBytes(m_folder / L"chosen.cjstyles", ""));
        // Without a modal window of its own the case is through once the call is made.
        const auto call = [this] {
            EXPECT_FALSE(m_norvik.Init(&m_host, &m_host)) << "Init taken inside the host's callback";
            CallHost();
            if (!c.control)
                m_stage = 3;
        };
        (c.trigger == VK_TAB ? m_host.whenFocusLeaves : m_host.whenSkinApplied) = call;
    }
    {
        const CUniqueHandle<ThreadTimerTraits> timer(SetTimer(nullptr, 0, 10, &Tick));
        m_outer = c.Has('s') ? m_norvik.SaveHosts() : 0;
        if (c.trigger && c.trigger < 256)
            PressKey(static_cast<WORD>(c.trigger), c.Has('b') ? std::vector<WORD>{VK_SHIFT} : std::vector<WORD>{});
        if (c.trigger >= 256)
            ClickButton(m_toolbar, c.trigger);
        EXPECT_TRUE(PumpUntil([this] { return m_stage == 3; })) << "stage " << m_stage;
    }
    s_case = nullptr;
    m_host.whenFocusLeaves = nullptr;
    m_host.whenSkinApplied = nullptr;
    m_boxes.OnOtherDialog(nullptr);
    held.Reset();
    // A flow that ends in a reload has ended once it is through.
    EXPECT_TRUE(!IsWindow(m_page) || WaitForLoad());
    for (const SeenMessageBox& box : m_boxes.Seen())
        EXPECT_EQ(m_modal, box.hwnd) << "another box: " << testfiles::Narrow(box.text);
    m_boxes.Reset();

    // Close, Deactivate and the destruction drop what the modal was about to do; the rest leave
    // its flow to run its course, with the host's own save of the edit first. A modal ended by
    // a quit agreed to nothing: its flow goes on as after No or Cancel.
    const bool dropped =
        m_call == Close || m_call == Deactivate || m_call == DestroyParent || m_call == DestroyTopLevel;
    const bool declined = m_call == Quit && (c.answer == IDYES || c.control == IDC_RECORD_HOST);
    const bool savedFirst = m_call == Save && c.Has('e') && !c.Has('s');
    EXPECT_EQ(!dropped && !declined && (c.written || savedFirst) ? kToggled : kFile, FileBytes());
    EXPECT_EQ(dropped || savedFirst ? 0 : declined ? int(c.Has('e')) : c.changed, m_norvik.IsHostsChanged());
    EXPECT_EQ(dropped || declined ? 0 : c.outer, m_outer) << "returned by the host's own save";
    EXPECT_EQ(m_call == Init ? 0 : m_call == Save ? !c.Has('s') : m_call == Activate ? 1 : -1, m_returned);
    EXPECT_EQ(dropped ? Hosts() : declined ? kHosts : c.hosts, Hosts());

    // What the user does next; after a quit the host's loop ends instead.
    if (m_call == Quit)
        return;
    SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    if (FileBytes() == kFile)
        testfiles::SetLastWrite(HostsPath(), loaded);
    for (int box = 0; box < 2; ++box)
        m_boxes.QueueAnswer(IDNO);
    if (m_call == Close)
    {
        EXPECT_FALSE(IsWindowEnabled(Table())) << "the closed page still takes edits";
        EXPECT_EQ(1, m_norvik.SaveHosts());
        EXPECT_EQ(kFile, FileBytes());
    }
    else if (m_call == Deactivate && c.keys)
    {
        ToggleAndSave();
    }
    else if (c.keys && !dropped)
    {
        SelectOnly(0);
        PressKey(VK_DELETE);
        ASSERT_EQ(1u, m_boxes.Count()) << "the key did not reach the table";
        EXPECT_EQ(kDeleteQuestion, m_boxes.Seen()[0].text);
    }
    else if (m_call == DestroyParent || m_call == DestroyTopLevel)
    {
        // A new page, in the table view, whose large load shows a progress dialog of its own.
        EXPECT_FALSE(IsWindow(m_page));
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), ManyEntries(1000)));
        ASSERT_TRUE(Show(m_window.Hwnd()));
        HWND owner = nullptr;
        const CWindowSpy spy = WhenProgressShows([&owner](HWND dialog) {
            owner = IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_CANCEL)) ? GetWindow(dialog, GW_OWNER) : nullptr;
        });
        ASSERT_TRUE(WaitForLoad());
        EXPECT_EQ(m_top, owner) << "the progress dialog's owner, with Cancel shown";
        EXPECT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE));
        EXPECT_EQ(1000, TableRows());
        ToggleAndSave();
    }
}

INSTANTIATE_TEST_SUITE_P(Modals, Reentry,
                         ::testing::Combine(::testing::ValuesIn(kModals),
                                            ::testing::Values(Close, Deactivate, Init, Save, Activate, DestroyParent,
                                                              DestroyTopLevel, Quit)),
                         [](const ::testing::TestParamInfo<std::tuple<Modal, Call>>& info) {
                             return std::string(std::get<0>(info.param).name) + kCallNames[std::get<1>(info.param)];
                         });
INSTANTIATE_TEST_SUITE_P(Callbacks, Reentry,
                         ::testing::Values(std::make_tuple(kCallbacks[0], Close), std::make_tuple(kCallbacks[0], Init),
                                           std::make_tuple(kCallbacks[1], Deactivate)),
                         [](const ::testing::TestParamInfo<std::tuple<Modal, Call>>& info) {
                             return std::string(std::get<0>(info.param).name) + kCallNames[std::get<1>(info.param)];
                         });
} // namespace
