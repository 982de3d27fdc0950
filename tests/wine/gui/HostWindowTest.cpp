// A host may move the page into another of its top-level windows, or subclass its window after
// the page and then make a new one: after a question the focus comes back to the page where it
// is now, another window never pulls it there, and the host's own window procedure stays.
#include "CaseTable.h"
#include "DialogScript.h"
#include "EditorPage.h"

#include <memory>

namespace
{
WNDPROC g_hostProc = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_APP + 7 ? 7 : CallWindowProcW(g_hostProc, hwnd, message, wParam, lParam);
}

struct HostWindowCase : NamedCase
{
    bool moved; // into a second window with SetParent; else subclassed by the host, then Init again
};
using HostWindows = CaseFixture<EditorPage, HostWindowCase>;

TEST_P(HostWindows, TheFocusComesBackToThePageWhereItIs)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 a\r\n127.0.0.1 b\r\n") && Open());
    const bool moved = GetParam().moved;
    const HWND top = moved ? CreateWindowExW(0, L"NorvikTestHost", L"second", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60,
                                             760, 560, nullptr, nullptr, nullptr, nullptr)
                           : m_window.Hwnd();
    const std::unique_ptr<HWND__, decltype(&DestroyWindow)> second(moved ? top : nullptr, &DestroyWindow);
    if (moved)
        ASSERT_TRUE(SetParent(m_page, top));
    else
        g_hostProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(top, GWLP_WNDPROC, LONG_PTR(&HostProc)));
    ASSERT_TRUE(moved || m_norvik.Init(&m_host, &m_host));
    const RECT place = m_window.PageRect();
    m_page = m_norvik.Activate(top, place.left, place.top, place.right, place.bottom);
    m_toolbar = FindToolbar(m_page);
    ASSERT_TRUE(m_page && WaitForLoad() && BringToFront(top));
    SelectOnly(0);
    SetFocus(Table());
    m_boxes.QueueAnswer(IDNO);
    PressKey(VK_DELETE);
    EXPECT_EQ(1u, m_boxes.Count());
    EXPECT_TRUE(PumpUntil([this] { return GetFocus() == Table(); })) << "the focus stayed outside the page";
    if (moved)
    {
        ASSERT_TRUE(BringToFront(m_window.Hwnd()));
        PumpUntil([] { return false; }, 200);
        EXPECT_FALSE(IsChild(m_page, GetFocus())) << "the first window pulled the focus into the page";
        return;
    }
    EXPECT_EQ(7, SendMessageW(top, WM_APP + 7, 0, 0)) << "the host's own window procedure was dropped";
    SetWindowLongPtrW(top, GWLP_WNDPROC, LONG_PTR(g_hostProc));
}

CASE_TABLE(Hosts, HostWindows, HostWindowCase{{"MovedWithSetParent"}, true},
           HostWindowCase{{"SubclassedThenInitAgain"}, false});
} // namespace
