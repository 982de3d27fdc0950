// The page runs inside the host's program: each modal window it shows runs a message loop that
// also dispatches the host's timers, and the host's code calls the exports from them. Each row
// is one modal and one such call; the modal is answered afterwards if it is still there.
#include "DialogScript.h"
#include "EditorPage.h"

#include <dlgs.h>

#include <cstdint>
#include <cstdio>

namespace
{
const char kFile[] = "# header\r\n127.0.0.1 localhost\r\n10.0.0.1 box\r\n10.0.0.2 two\r\n";
const wchar_t kHosts[] = L"localhost box two";
const wchar_t kAdded[] = L"localhost box two added";
const wchar_t kEdited[] = L"edited box two";
const wchar_t kDeleted[] = L"box two";
const wchar_t kDelete[] = L"Are you sure you want to delete selected record?";
const wchar_t kNotFound[] = L"Record not found";
const wchar_t kReadOnly[] = L"Hosts file is \"read-only\". Ignore and save?";

// clang-format off
enum Modal { AddDialog, EditDialog, DeleteQuestion, ReadOnlyQuestion, OverwriteQuestion, WriteFailure, ReadFailure,
             RecordNotFound, FindRecordDialog, FindTextDialog, About, SkinFile };
// A box is known by the start of its text, a dialog by a control of its own; the toolbar
// button that brings it up, if one does, and the answer it gets.
struct ModalKind { const wchar_t* text; int control; UINT button; int answer; };
const ModalKind kModals[] = {
    /* AddDialog */ {nullptr, IDC_RECORD_HOST, ID_ADD_RECORD, IDOK},
    /* EditDialog */ {nullptr, IDC_RECORD_HOST, 0, IDOK},
    /* DeleteQuestion */ {L"Are you sure", 0, 0, IDYES},
    /* ReadOnlyQuestion */ {kReadOnly, 0, 0, IDYES},
    /* OverwriteQuestion */ {L"Hosts file was changed by another program", 0, 0, IDYES},
    /* WriteFailure */ {L"Can't write to hosts file!", 0, 0, IDOK},
    /* ReadFailure */ {L"Can't read hosts file!", 0, ID_REFRESH, IDOK},
    /* RecordNotFound */ {kNotFound, 0, ID_SEARCH, IDOK},
    /* FindRecordDialog */ {nullptr, IDC_FIND_HOST, ID_SEARCH, IDCANCEL},
    /* FindTextDialog */ {nullptr, IDC_FIND_TEXT, ID_SEARCH, IDCANCEL},
    /* About */ {nullptr, IDC_ABOUT_MODULES, ID_ABOUT, IDOK},
    /* SkinFile */ {nullptr, cmb13, ID_SELECT_SKIN, IDCANCEL}};
enum Call { Close, Deactivate, Init, Save, Activate, DestroyParent };
// Checked last: a later save writes nothing; the page, shown again, edits and saves; so does a
// page made in a new container.
enum After { Nothing, SavesNothing, StillWorks, NewPage };
// Where a row's flow is: the modal awaited, the host's call made, the modal answered, gone.
enum Stage { Waiting, Called, Answered, Done };
// clang-format on
constexpr int kNone = -1;

struct ReentryCase : NamedCase
{
    Modal modal;
    Call call;
    int returned;         // by the call (Activate: 1 for the same page), or kNone
    int outer;            // by the host's own SaveHosts that showed the modal, or kNone
    bool written;         // the file holds the change afterwards, or its old content
    const wchar_t* hosts; // the table's host names afterwards, or null
    int changed;          // IsHostsChanged afterwards
    After after;
};

// The page in a window of the test's own, as a host with tabs has it.
class ModalPage : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
        // A crash or a block of this thread fails the case at once, without Wine's debugger
        // waiting for a user or the harness's watchdog.
        SetUnhandledExceptionFilter(&Crashed);
        ASSERT_TRUE(CreateTimerQueueTimer(&m_bound, nullptr, &Hangs, &m_boxes, 20000, 0, WT_EXECUTEONLYONCE));
    }
    void TearDown() override
    {
        DeleteTimerQueueTimer(nullptr, m_bound, INVALID_HANDLE_VALUE);
        m_held.Reset();
        EditorPage::TearDown();
        DestroyWindow(m_container);
    }
    static LONG WINAPI Crashed(EXCEPTION_POINTERS* e)
    {
        std::fprintf(stderr, "crashed: exception %08lx at %p\n", e->ExceptionRecord->ExceptionCode,
                     e->ExceptionRecord->ExceptionAddress);
        std::fflush(stderr);
        return EXCEPTION_EXECUTE_HANDLER;
    }
    static void CALLBACK Hangs(PVOID boxes, BOOLEAN)
    {
        std::fprintf(stderr, "the case still runs after 20 s: it hangs\n");
        for (const SeenMessageBox& box : static_cast<CMessageBoxWatcher*>(boxes)->Seen())
            std::fprintf(stderr, "  box seen: %s\n", testfiles::Narrow(box.text).c_str());
        std::fflush(stderr);
        ExitProcess(3);
    }

    // A child window of `parent`, or a top-level window.
    HWND NewWindow(HWND parent)
    {
        const RECT r = m_window.PageRect();
        const DWORD style = (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW) | WS_VISIBLE | WS_CLIPCHILDREN;
        return m_container = CreateWindowExW(WS_EX_CONTROLPARENT, L"NorvikTestHost", L"page", style, r.left, r.top,
                                             r.right - r.left, r.bottom - r.top, parent, nullptr, nullptr, nullptr);
    }
    HWND ActivateIn(HWND parent)
    {
        RECT r = {};
        GetClientRect(parent, &r);
        return m_norvik.Activate(parent, 0, 0, r.right, r.bottom);
    }
    bool Show(HWND parent, bool waitForLoad = true)
    {
        m_page = ActivateIn(parent);
        m_toolbar = m_page ? FindToolbar(m_page) : nullptr;
        return m_page && (!waitForLoad || WaitForLoad());
    }
    bool OpenIn(HWND parent) { return m_norvik.Init(&m_host, &m_host) && Show(parent); }
    void ToggleRow0()
    {
        SelectOnly(0);
        SetFocus(Table());
        PressKey(VK_SPACE);
    }
    void ExpectToggleSaved()
    {
        const std::string before = FileBytes();
        ToggleRow0();
        EXPECT_EQ(1, m_norvik.IsHostsChanged());
        EXPECT_EQ(1, m_norvik.SaveHosts());
        EXPECT_NE(before, FileBytes());
    }
    std::wstring Hosts() const
    {
        std::wstring hosts;
        for (int row = 0; row < TableRows(); ++row)
            hosts += (row ? L" " : L"") + Cell(row, 2);
        return hosts;
    }

    HANDLE m_bound = nullptr;
    CFileHandle m_held;
    HWND m_container = nullptr;
};

class Reentry : public CaseFixture<ModalPage, ReentryCase>
{
protected:
    // Brings the modal up; returns once it has ended (a box of the load thread: at once).
    void Raise(Modal modal)
    {
        const bool saves = modal == ReadOnlyQuestion || modal == OverwriteQuestion || modal == WriteFailure;
        if (saves || modal == EditDialog || modal == DeleteQuestion)
            SelectOnly(0);
        SetFocus(Table());
        if (saves)
            PressKey(VK_SPACE);
        if (modal == ReadOnlyQuestion)
            SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_READONLY);
        // Another program writes the same bytes: only the time (1 January 2001) tells.
        if (modal == OverwriteQuestion)
            testfiles::SetLastWrite(HostsPath(), uint64_t{126227808000000000});
        if (modal == WriteFailure || modal == ReadFailure)
            m_held = testfiles::HoldOpen(HostsPath(), GENERIC_READ, 0);
        if (saves)
            m_outer = m_norvik.SaveHosts();
        if (modal == EditDialog || modal == DeleteQuestion)
            PressKey(modal == EditDialog ? VK_F2 : VK_DELETE);
        if (modal == FindTextDialog)
            ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
        if (kModals[modal].button)
            ClickButton(m_toolbar, kModals[modal].button);
    }

    // What the host's call returns, or kNone.
    int CallHost(Call call)
    {
        switch (call)
        {
        case Init:
            return m_norvik.Init(&m_host, &m_host) ? 1 : 0;
        case Save:
            return m_norvik.SaveHosts();
        case Activate:
            return ActivateIn(m_container) == m_page ? 1 : 0;
        case Close:
            m_norvik.CloseHostEditor();
            break;
        case Deactivate:
            m_norvik.Deactivate();
            break;
        case DestroyParent:
            DestroyWindow(m_container);
            break;
        }
        return kNone;
    }

    void Answer(Modal modal)
    {
        if (modal != AddDialog && modal != EditDialog)
            return (void)PostMessageW(m_modal, WM_COMMAND, MAKEWPARAM(kModals[modal].answer, BN_CLICKED), 0);
        if (modal == AddDialog)
        {
            // The address from scratch, taken in before the focus moves on.
            EXPECT_TRUE(BringToFront(m_modal));
            SendDlgItemMessageW(m_modal, IDC_RECORD_ADDRESS, IPM_CLEARADDRESS, 0, 0);
            SendDlgItemMessageW(m_modal, IDC_RECORD_ADDRESS, IPM_SETFOCUS, 0, 0);
            SendText(L"10.9.9.9");
            EXPECT_TRUE(PumpUntil([this] { return ItemText(m_modal, IDC_RECORD_ADDRESS) == L"10.9.9.9"; }, 5000));
        }
        // The dialog's own loop takes the keys, Enter last, once this has returned.
        const HWND host = GetDlgItem(m_modal, IDC_RECORD_HOST);
        FocusForTyping(m_modal, host);
        SendMessageW(host, EM_SETSEL, 0, -1);
        SendText(modal == AddDialog ? L"added" : L"edited");
        SendKeys(VK_RETURN);
    }

    HWND FindModal() const
    {
        const ModalKind& kind = kModals[GetParam().modal];
        for (const SeenMessageBox& box : m_boxes.Seen())
        {
            if (kind.text && box.text.rfind(kind.text, 0) == 0)
                return box.hwnd;
        }
        return kind.text ? nullptr : m_dialog;
    }

    // The host's timer, run by the modal's loop (by this thread's own for a box of the load thread).
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_row && !s_row->m_busy)
            s_row->Step();
    }
    void Step()
    {
        m_busy = true;
        const ReentryCase& c = GetParam();
        // "Record not found" comes from the find dialog's Find Next.
        if (c.modal == RecordNotFound && !m_searched && IsShown(m_find))
        {
            m_searched = true;
            SetDlgItemTextW(m_find, IDC_FIND_HOST, L"nothing");
            PostMessageW(GetDlgItem(m_find, IDC_FIND_NEXT), BM_CLICK, 0, 0);
        }
        if (m_stage == Waiting && IsShown(m_modal = FindModal()))
        {
            // Any other box gets No, and fails the case below instead of hanging it.
            for (int box = 0; box < 3; ++box)
                m_boxes.QueueAnswer(IDNO);
            m_returned = CallHost(c.call);
            m_stage = Called;
        }
        else if (m_stage == Called)
        {
            if (IsShown(m_modal))
                Answer(c.modal);
            m_stage = Answered;
        }
        else if (m_stage == Answered && !IsShown(m_modal))
        {
            if (IsShown(m_find))
                PostMessageW(m_find, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            for (const SeenMessageBox& box : m_boxes.Seen())
            {
                if (box.hwnd != m_modal)
                    ADD_FAILURE() << "another box: " << testfiles::Narrow(box.text);
            }
            m_boxes.Reset();
            m_stage = Done;
        }
        m_busy = false;
    }

    static inline Reentry* s_row = nullptr;
    Stage m_stage = Waiting;
    bool m_busy = false;
    bool m_searched = false;
    HWND m_modal = nullptr;
    HWND m_dialog = nullptr; // the modal, when it is a dialog
    HWND m_find = nullptr;   // a find dialog
    int m_returned = kNone;
    int m_outer = kNone;
};

TEST_P(Reentry, TheHostsCallLeavesAConsistentPageAndFile)
{
    const ReentryCase& c = GetParam();
    ASSERT_TRUE(OpenIn(NewWindow(m_window.Hwnd())));
    m_boxes.OnOtherDialog([this, control = kModals[c.modal].control](HWND dialog) {
        m_dialog = m_dialog || !GetDlgItem(dialog, control) ? m_dialog : dialog;
        m_find = m_find || !GetDlgItem(dialog, IDC_FIND_NEXT) ? m_find : dialog;
    });
    s_row = this;
    {
        const CUniqueHandle<ThreadTimerTraits> timer(SetTimer(nullptr, 0, 10, &Tick));
        Raise(c.modal);
        EXPECT_TRUE(PumpUntil([this] { return m_stage == Done; }))
            << (m_stage == Waiting ? "the modal never showed" : "the modal did not go");
    }
    s_row = nullptr;
    m_boxes.OnOtherDialog(nullptr);
    m_held.Reset();
    EXPECT_TRUE(c.returned == kNone || c.returned == m_returned) << "the call returned " << m_returned;
    EXPECT_EQ(c.outer, m_outer) << "returned by the host's own save";
    EXPECT_EQ(c.written ? "# header\r\n# 127.0.0.1 localhost\r\n10.0.0.1 box\r\n10.0.0.2 two" : kFile, FileBytes());
    EXPECT_EQ(c.hosts ? c.hosts : Hosts(), Hosts());
    EXPECT_EQ(c.changed, m_norvik.IsHostsChanged());

    // The user's own edits from here on.
    SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::string before = FileBytes();
    if (c.after == SavesNothing)
    {
        EXPECT_FALSE(IsWindowEnabled(Table())) << "the closed page still takes edits";
        EXPECT_EQ(1, m_norvik.SaveHosts());
        EXPECT_EQ(before, FileBytes());
    }
    if (c.after == StillWorks)
    {
        ASSERT_EQ(m_page, ActivateIn(m_container));
        if (!IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE))
            ClickButton(m_toolbar, ID_VIEW_AS_TABLE);
    }
    if (c.after == NewPage)
    {
        EXPECT_FALSE(IsWindow(m_page));
        ASSERT_TRUE(Show(NewWindow(m_window.Hwnd())));
        EXPECT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE));
        EXPECT_EQ(kHosts, Hosts());
    }
    if (c.after == StillWorks || c.after == NewPage)
        ExpectToggleSaved();
}

// clang-format off
const std::vector<ReentryCase> kReentryCases = {
    {{"AddDialogClose"}, AddDialog, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"AddDialogDeactivate"}, AddDialog, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"AddDialogInit"}, AddDialog, Init, 0, kNone, false, kAdded, 1, Nothing},
    {{"AddDialogSave"}, AddDialog, Save, 1, kNone, false, kAdded, 1, Nothing},
    {{"AddDialogActivate"}, AddDialog, Activate, 1, kNone, false, kAdded, 1, Nothing},
    {{"AddDialogDestroyParent"}, AddDialog, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"EditDialogClose"}, EditDialog, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"EditDialogDeactivate"}, EditDialog, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"EditDialogInit"}, EditDialog, Init, 0, kNone, false, kEdited, 1, Nothing},
    {{"EditDialogSave"}, EditDialog, Save, 1, kNone, false, kEdited, 1, Nothing},
    {{"EditDialogActivate"}, EditDialog, Activate, 1, kNone, false, kEdited, 1, Nothing},
    {{"EditDialogDestroyParent"}, EditDialog, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"DeleteQuestionClose"}, DeleteQuestion, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"DeleteQuestionDeactivate"}, DeleteQuestion, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"DeleteQuestionInit"}, DeleteQuestion, Init, 0, kNone, false, kDeleted, 1, Nothing},
    {{"DeleteQuestionSave"}, DeleteQuestion, Save, 1, kNone, false, kDeleted, 1, Nothing},
    {{"DeleteQuestionActivate"}, DeleteQuestion, Activate, 1, kNone, false, kDeleted, 1, Nothing},
    {{"DeleteQuestionDestroyParent"}, DeleteQuestion, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"ReadOnlyQuestionClose"}, ReadOnlyQuestion, Close, kNone, 0, false, nullptr, 0, SavesNothing},
    {{"ReadOnlyQuestionDeactivate"}, ReadOnlyQuestion, Deactivate, kNone, 0, false, kHosts, 0, StillWorks},
    {{"ReadOnlyQuestionInit"}, ReadOnlyQuestion, Init, 0, 1, true, kHosts, 0, Nothing},
    {{"ReadOnlyQuestionSave"}, ReadOnlyQuestion, Save, 0, 1, true, kHosts, 0, Nothing},
    {{"ReadOnlyQuestionActivate"}, ReadOnlyQuestion, Activate, 1, 1, true, kHosts, 0, Nothing},
    {{"ReadOnlyQuestionDestroyParent"}, ReadOnlyQuestion, DestroyParent, kNone, 0, false, nullptr, 0, NewPage},
    {{"OverwriteQuestionClose"}, OverwriteQuestion, Close, kNone, 0, false, nullptr, 0, SavesNothing},
    {{"OverwriteQuestionDeactivate"}, OverwriteQuestion, Deactivate, kNone, 0, false, kHosts, 0, StillWorks},
    {{"OverwriteQuestionInit"}, OverwriteQuestion, Init, 0, 1, true, kHosts, 0, Nothing},
    {{"OverwriteQuestionSave"}, OverwriteQuestion, Save, 0, 1, true, kHosts, 0, Nothing},
    {{"OverwriteQuestionActivate"}, OverwriteQuestion, Activate, 1, 1, true, kHosts, 0, Nothing},
    {{"OverwriteQuestionDestroyParent"}, OverwriteQuestion, DestroyParent, kNone, 0, false, nullptr, 0, NewPage},
    {{"WriteFailureClose"}, WriteFailure, Close, kNone, 0, false, nullptr, 0, SavesNothing},
    {{"WriteFailureDeactivate"}, WriteFailure, Deactivate, kNone, 0, false, kHosts, 0, StillWorks},
    {{"WriteFailureInit"}, WriteFailure, Init, 0, 0, false, kHosts, 1, Nothing},
    {{"WriteFailureSave"}, WriteFailure, Save, 0, 0, false, kHosts, 1, Nothing},
    {{"WriteFailureActivate"}, WriteFailure, Activate, 1, 0, false, kHosts, 1, Nothing},
    {{"WriteFailureDestroyParent"}, WriteFailure, DestroyParent, kNone, 0, false, nullptr, 0, NewPage},
    {{"ReadFailureClose"}, ReadFailure, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"ReadFailureDeactivate"}, ReadFailure, Deactivate, kNone, kNone, false, L"", 0, Nothing},
    {{"ReadFailureInit"}, ReadFailure, Init, 0, kNone, false, L"", 0, Nothing},
    {{"ReadFailureSave"}, ReadFailure, Save, 1, kNone, false, L"", 0, Nothing},
    {{"ReadFailureActivate"}, ReadFailure, Activate, 1, kNone, false, L"", 0, Nothing},
    {{"ReadFailureDestroyParent"}, ReadFailure, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"RecordNotFoundClose"}, RecordNotFound, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"RecordNotFoundDeactivate"}, RecordNotFound, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"RecordNotFoundInit"}, RecordNotFound, Init, 0, kNone, false, kHosts, 0, Nothing},
    {{"RecordNotFoundSave"}, RecordNotFound, Save, 1, kNone, false, kHosts, 0, Nothing},
    {{"RecordNotFoundActivate"}, RecordNotFound, Activate, 1, kNone, false, kHosts, 0, Nothing},
    {{"RecordNotFoundDestroyParent"}, RecordNotFound, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"FindRecordDialogClose"}, FindRecordDialog, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"FindRecordDialogDeactivate"}, FindRecordDialog, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"FindRecordDialogInit"}, FindRecordDialog, Init, 0, kNone, false, kHosts, 0, Nothing},
    {{"FindRecordDialogSave"}, FindRecordDialog, Save, 1, kNone, false, kHosts, 0, Nothing},
    {{"FindRecordDialogActivate"}, FindRecordDialog, Activate, 1, kNone, false, kHosts, 0, Nothing},
    {{"FindRecordDialogDestroyParent"}, FindRecordDialog, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"FindTextDialogClose"}, FindTextDialog, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"FindTextDialogDeactivate"}, FindTextDialog, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"FindTextDialogInit"}, FindTextDialog, Init, 0, kNone, false, kHosts, 0, Nothing},
    {{"FindTextDialogSave"}, FindTextDialog, Save, 1, kNone, false, kHosts, 0, Nothing},
    {{"FindTextDialogActivate"}, FindTextDialog, Activate, 1, kNone, false, kHosts, 0, Nothing},
    {{"FindTextDialogDestroyParent"}, FindTextDialog, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"AboutClose"}, About, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"AboutDeactivate"}, About, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"AboutInit"}, About, Init, 0, kNone, false, kHosts, 0, Nothing},
    {{"AboutSave"}, About, Save, 1, kNone, false, kHosts, 0, Nothing},
    {{"AboutActivate"}, About, Activate, 1, kNone, false, kHosts, 0, Nothing},
    {{"AboutDestroyParent"}, About, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
    {{"SkinFileClose"}, SkinFile, Close, kNone, kNone, false, nullptr, 0, SavesNothing},
    {{"SkinFileDeactivate"}, SkinFile, Deactivate, kNone, kNone, false, kHosts, 0, StillWorks},
    {{"SkinFileInit"}, SkinFile, Init, 0, kNone, false, kHosts, 0, Nothing},
    {{"SkinFileSave"}, SkinFile, Save, 1, kNone, false, kHosts, 0, Nothing},
    {{"SkinFileActivate"}, SkinFile, Activate, 1, kNone, false, kHosts, 0, Nothing},
    {{"SkinFileDestroyParent"}, SkinFile, DestroyParent, kNone, kNone, false, nullptr, 0, NewPage},
};
// clang-format on
CASE_TABLE_IN(Modals, Reentry, kReentryCases);

// After a message box the page has the keys again: the next key acts in it.
struct KeyCase : NamedCase
{
    WORD first; // 0: the Enable/disable skin button instead
    int answer;
    const wchar_t* box;
    WORD second;
    int secondAnswer;
    const wchar_t* secondBox;
};
using Keyboard = CaseFixture<ModalPage, KeyCase>;

TEST_P(Keyboard, TheNextKeyActsInThePage)
{
    const KeyCase& c = GetParam();
    // A skin chosen before (C:\a), which can be reset.
    std::string settings = {1, 0, 0, 0, 4, 0, 0, 0, 'C', 0, ':', 0, '\\', 0, 'a', 0};
    ASSERT_TRUE(c.first || testfiles::WriteBytes(m_host.settingsFolder + L"norvikcfg.bin", settings));
    ASSERT_TRUE(OpenIn(NewWindow(m_window.Hwnd())));
    if (c.first == VK_F3)
    {
        CDialogScript find(m_boxes, IDC_FIND_NEXT);
        find.Do([](HWND dialog) {
                SetDlgItemTextW(dialog, IDC_FIND_HOST, L"nothing");
                SendMessageW(GetDlgItem(dialog, IDC_FIND_NEXT), BM_CLICK, 0, 0);
            })
            .Cancel();
        m_boxes.QueueAnswer(IDOK);
        ASSERT_TRUE(find.Run([this] { ClickButton(m_toolbar, ID_SEARCH); }));
        m_boxes.Reset();
    }
    if (c.first == 'S')
        ToggleRow0();
    ASSERT_TRUE(c.first != 'S' || SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    const auto press = [this](WORD key) {
        // No to the delete question leaves no row selected.
        SelectOnly(0);
        if (!key)
            return ClickButton(m_toolbar, ID_RESET_SKIN);
        PressKey(key, key == 'S' ? std::vector<WORD>{VK_LCONTROL} : std::vector<WORD>{});
    };
    SetFocus(Table());
    m_boxes.QueueAnswer(c.answer);
    press(c.first);
    m_boxes.QueueAnswer(c.secondAnswer);
    press(c.second);
    std::vector<std::wstring> texts;
    for (const SeenMessageBox& box : m_boxes.Seen())
        texts.push_back(box.text);
    EXPECT_EQ((std::vector<std::wstring>{c.box, c.secondBox}), texts);
}

// clang-format off
CASE_TABLE(Boxes, Keyboard,
    KeyCase{{"DeleteNoThenDelete"}, VK_DELETE, IDNO, kDelete, VK_DELETE, IDNO, kDelete},
    KeyCase{{"DeleteYesThenDelete"}, VK_DELETE, IDYES, kDelete, VK_DELETE, IDNO, kDelete},
    KeyCase{{"NotFoundThenF3"}, VK_F3, IDOK, kNotFound, VK_F3, IDOK, kNotFound},
    KeyCase{{"ReadOnlyNoThenCtrlS"}, 'S', IDNO, kReadOnly, 'S', IDNO, kReadOnly},
    KeyCase{{"SkinNoticeThenDelete"}, 0, IDOK, L"Skin will be reset to default after application restart", VK_DELETE,
            IDNO, kDelete});
// clang-format on

// The host destroys the page's window, or the whole window around it, and activates again.
struct RebuiltCase : NamedCase
{
    bool ownWindow; // the page in a top-level window of its own, destroyed with it
    bool textView;  // the page was left in the text view
    int entries;    // 0: the small file; else that many, which show the progress
};
using Rebuilt = CaseFixture<ModalPage, RebuiltCase>;

TEST_P(Rebuilt, TheNewPageShowsTheTableAndWorks)
{
    const RebuiltCase& c = GetParam();
    ASSERT_TRUE(!c.entries || testfiles::WriteBytes(HostsPath(), ManyEntries(c.entries)));
    ASSERT_TRUE(OpenIn(NewWindow(c.ownWindow ? nullptr : m_window.Hwnd())));
    if (c.textView)
        ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    ASSERT_EQ(c.textView, IsWindowVisible(TextEdit()) != FALSE);
    DestroyWindow(c.ownWindow ? m_container : m_page);
    PumpPending();
    const HWND parent = c.ownWindow ? NewWindow(nullptr) : m_container;
    ASSERT_TRUE(Show(parent, false));
    HWND progress = nullptr;
    HWND owner = nullptr;
    bool cancel = false;
    EXPECT_TRUE(PumpUntil([&] {
        if (!progress && IsShown(FindProgressDialog()))
        {
            progress = FindProgressDialog();
            owner = GetWindow(progress, GW_OWNER);
            cancel = IsShown(GetDlgItem(progress, IDC_PROGRESS_CANCEL));
        }
        return IsButtonEnabled(m_toolbar, ID_REFRESH);
    }));
    EXPECT_EQ(c.entries > 0, progress != nullptr) << "the progress dialog";
    EXPECT_TRUE(!progress || (owner == parent && cancel)) << "the progress dialog's owner or Cancel";
    EXPECT_TRUE(IsWindowVisible(Table()));
    EXPECT_TRUE(IsButtonChecked(m_toolbar, ID_VIEW_AS_TABLE));
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_ADD_RECORD));
    ExpectToggleSaved();
}

CASE_TABLE(Pages, Rebuilt, RebuiltCase{{"PageInTextViewDestroyed"}, false, true, 0},
           RebuiltCase{{"OwnTopLevelWindowDestroyed"}, true, false, 100000});
} // namespace
