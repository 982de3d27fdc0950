// A host may move the page into another of its top-level windows, or subclass its window after
// the page and then make a new one: after a question the focus comes back to the page where it
// is now, activating another window never pulls it there, and the host's window keeps answering.
#include "CaseTable.h"
#include "EditorPage.h"

namespace
{
struct HostWindowCase : NamedCase
{
    bool moved; // into a second window with SetParent; else subclassed by the host, then Init again
};

class HostWindows : public EditorPage, public ::testing::WithParamInterface<HostWindowCase>
{
protected:
    void TearDown() override
    {
        if (s_hostProc)
            SetWindowLongPtrW(m_window.Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_hostProc));
        s_hostProc = nullptr;
        EditorPage::TearDown();
        if (m_second)
            DestroyWindow(m_second);
    }
    static LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return message == kHostMessage ? 7 : CallWindowProcW(s_hostProc, hwnd, message, wParam, lParam);
    }
    static constexpr UINT kHostMessage = WM_APP + 77;
    static inline WNDPROC s_hostProc = nullptr;
    HWND m_second = nullptr;
};

TEST_P(HostWindows, TheFocusComesBackToThePageWhereItIs)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 a\r\n127.0.0.1 b\r\n"));
    ASSERT_TRUE(Open());
    HWND top = m_window.Hwnd();
    const RECT place = m_window.PageRect();
    if (GetParam().moved)
    {
        m_second = CreateWindowExW(0, L"NorvikTestHost", L"second", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 760, 560,
                                   nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_second && SetParent(m_page, m_second));
        top = m_second;
    }
    else
    {
        s_hostProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindows::HostProc)));
        ASSERT_TRUE(s_hostProc && m_norvik.Init(&m_host, &m_host));
    }
    m_page = m_norvik.Activate(top, place.left, place.top, place.right, place.bottom);
    m_toolbar = FindToolbar(m_page);
    ASSERT_TRUE(m_page && WaitForLoad() && BringToFront(top));
    SelectOnly(0);
    SetFocus(Table());
    m_boxes.QueueAnswer(IDNO);
    PressKey(VK_DELETE);
    EXPECT_EQ(1u, m_boxes.Count());
    EXPECT_TRUE(PumpUntil([this] { return GetFocus() == Table(); })) << "the focus stayed outside the page";
    if (GetParam().moved)
    {
        ASSERT_TRUE(BringToFront(m_window.Hwnd()));
        PumpUntil([] { return false; }, 200);
        EXPECT_FALSE(IsChild(m_page, GetFocus())) << "the first window pulled the focus into the page";
    }
    else
    {
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutW(top, kHostMessage, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer));
        EXPECT_EQ(7u, answer) << "the host's own subclass was dropped";
    }
}

CASE_TABLE(Hosts, HostWindows, HostWindowCase{{"MovedWithSetParent"}, true},
           HostWindowCase{{"SubclassedThenInitAgain"}, false});
} // namespace
