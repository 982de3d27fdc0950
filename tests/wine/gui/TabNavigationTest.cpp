#include "CaseTable.h"
#include "EditorPage.h"

namespace
{
struct TabCase : NamedCase
{
    bool focusHandler;
    bool startAtLast; // else at the first control
    bool backward;
    // What should have the focus afterwards: 'F'irst, 'L'ast control of the page, the 'H'ost's field.
    char expectedFocus;
    int expectedFocusPreviousCalls;
};

class TabAtTheEdges : public EditorPage, public ::testing::WithParamInterface<TabCase>
{
};

TEST_P(TabAtTheEdges, MovesTheFocusAsTheHostExpects)
{
    const TabCase& c = GetParam();
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 localhost"));
    ASSERT_TRUE(m_norvik.Init(&m_host, c.focusHandler ? &m_host : nullptr));
    ASSERT_TRUE(ActivatePage());

    const HWND first = m_norvik.GetFirstFormControl();
    const HWND last = m_norvik.GetLastFormControl();
    // In the table view: the table, then the read-only check box.
    EXPECT_EQ(Table(), first);
    EXPECT_EQ(ReadOnlyBox(), last);

    ASSERT_TRUE(BringToFront(m_window.Hwnd()));
    SetFocus(c.startAtLast ? last : first);
    PumpPending();
    PressKey(VK_TAB, c.backward ? std::vector<WORD>{VK_SHIFT} : std::vector<WORD>{});

    const HWND expected = c.expectedFocus == 'F' ? first : c.expectedFocus == 'L' ? last : m_window.OwnField();
    EXPECT_EQ(expected, GetFocus());
    EXPECT_EQ(c.expectedFocusPreviousCalls, m_host.focusPreviousCalls);
}

CASE_TABLE(Edges, TabAtTheEdges,
           // Without a focus handler the focus wraps inside the page.
           TabCase{{"ForwardWrapsToFirst"}, false, true, false, 'F', 0},
           TabCase{{"BackwardWrapsToLast"}, false, false, true, 'L', 0},
           // With one, Shift+Tab hands the focus to the host.
           TabCase{{"BackwardAsksTheHost"}, true, false, true, 'F', 1},
           // The page's parent chain here is short: on to the host's next control.
           TabCase{{"ForwardLeavesThePage"}, true, true, false, 'H', 0},
           // Inside the page Tab moves on as usual.
           TabCase{{"ForwardInside"}, true, false, false, 'L', 0},
           TabCase{{"BackwardInside"}, false, true, true, 'F', 0});
} // namespace
