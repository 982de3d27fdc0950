// A host may move the page into another of its top-level windows, or subclass its window after
// the page and then make a new one: after a question the focus comes back to the page where it
// is now, another window never pulls it there, and the host's own window procedure stays. And
// when the host's window is activated while something else still holds the focus, the page gets
// it back once that is gone.
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

// Another window's control takes the focus as the host's window is activated, as a message
// box's button still holds it while its owner is activated.
HWND g_lateFocus = nullptr;
LRESULT CALLBACK FocusElsewhere(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        SetFocus(g_lateFocus);
    return result;
}

struct HostWindowCase : NamedCase
{
    char change; // 'm'oved into a second window with SetParent; 's'ubclassed by the host, then Init
                 // again; 'l'ate: the focus elsewhere as the host's window is activated, then gone
};
using HostWindows = CaseFixture<EditorPage, HostWindowCase>;

TEST_P(HostWindows, TheFocusComesBackToThePageWhereItIs)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 a\r\n127.0.0.1 b\r\n") && Open());
    if (GetParam().change == 'l')
    {
        // The activation as the window gets it, without the window manager's own focus events.
        ASSERT_TRUE(BringToFront(m_window.Hwnd()));
        SetFocus(Table());
        SendMessageW(m_window.Hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
        g_lateFocus = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, m_window.Hwnd(), nullptr,
                                      nullptr, nullptr);
        ASSERT_TRUE(g_lateFocus && SetWindowSubclass(m_window.Hwnd(), &FocusElsewhere, 1, 0));
        SendMessageW(m_window.Hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
        RemoveWindowSubclass(m_window.Hwnd(), &FocusElsewhere, 1);
        EXPECT_EQ(g_lateFocus, GetFocus());
        // Gone before the queue runs: the keeper's look once the activation has settled is what
        // gives the page its focus back.
        DestroyWindow(g_lateFocus);
        PumpPending();
        EXPECT_EQ(Table(), GetFocus());
        return;
    }
    const bool moved = GetParam().change == 'm';
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

CASE_TABLE(Hosts, HostWindows, HostWindowCase{{"MovedWithSetParent"}, 'm'},
           HostWindowCase{{"SubclassedThenInitAgain"}, 's'}, HostWindowCase{{"LateActivation"}, 'l'});
} // namespace
