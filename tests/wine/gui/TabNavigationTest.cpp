#include "EditorHarness.h"
#include "SavedRegistryValue.h"
#include "TestFiles.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace
{
const wchar_t kParametersKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

struct TabCase
{
    const char* name;
    bool focusHandler;
    bool startAtLast; // else at the first control
    bool backward;
    // What should have the focus afterwards: 'F'irst, 'L'ast control of the page, the 'H'ost's field.
    char expectedFocus;
    int expectedFocusPreviousCalls;
};

void PrintTo(const TabCase& c, std::ostream* os)
{
    *os << c.name;
}

class TabAtTheEdges : public ::testing::TestWithParam<TabCase>
{
};

TEST_P(TabAtTheEdges, MovesTheFocusAsTheHostExpects)
{
    const TabCase& c = GetParam();
    const CNorvikModule& norvik = NorvikExports();
    ASSERT_TRUE(norvik.dll);
    testfiles::CTempFolder folder;
    ASSERT_TRUE(testfiles::WriteBytes(folder / L"hosts", "127.0.0.1 localhost"));
    CSavedRegistryValue dataBasePath(HKEY_LOCAL_MACHINE, kParametersKey, L"DataBasePath");
    ASSERT_TRUE(dataBasePath.Set(REG_SZ, folder.Path()));
    CTestEditorHost host;
    host.settingsFolder = folder.Path() + L"\\";
    CHostWindow& window = CHostWindow::Get();

    ASSERT_TRUE(norvik.Init(&host, c.focusHandler ? &host : nullptr));
    const RECT rect = window.PageRect();
    const HWND page = norvik.Activate(window.Hwnd(), rect.left, rect.top, rect.right, rect.bottom);
    ASSERT_TRUE(page);
    const HWND toolbar = FindToolbar(page);
    ASSERT_TRUE(PumpUntil([toolbar] { return IsButtonEnabled(toolbar, ID_REFRESH); }));

    const HWND first = norvik.GetFirstFormControl();
    const HWND last = norvik.GetLastFormControl();
    // In the table view: the table, then the read-only check box.
    EXPECT_EQ(GetDlgItem(page, IDC_HOSTS_TABLE), first);
    EXPECT_EQ(GetDlgItem(page, IDC_READ_ONLY), last);

    ASSERT_TRUE(BringToFront(window.Hwnd()));
    SetFocus(c.startAtLast ? last : first);
    PumpPending();
    if (c.backward)
        PressKey(VK_TAB, {VK_SHIFT});
    else
        PressKey(VK_TAB);

    const HWND expected = c.expectedFocus == 'F' ? first : c.expectedFocus == 'L' ? last : window.OwnField();
    EXPECT_EQ(expected, GetFocus());
    EXPECT_EQ(c.expectedFocusPreviousCalls, host.focusPreviousCalls);

    norvik.CloseHostEditor();
    norvik.Init(nullptr, nullptr);
    PumpPending();
}

INSTANTIATE_TEST_SUITE_P(Edges, TabAtTheEdges,
                         ::testing::Values(
                             // Without a focus handler the focus wraps inside the page.
                             TabCase{"ForwardWrapsToFirst", false, true, false, 'F', 0},
                             TabCase{"BackwardWrapsToLast", false, false, true, 'L', 0},
                             // With one, Shift+Tab hands the focus to the host.
                             TabCase{"BackwardAsksTheHost", true, false, true, 'F', 1},
                             // The page's parent chain here is short: on to the host's next control.
                             TabCase{"ForwardLeavesThePage", true, true, false, 'H', 0},
                             // Inside the page Tab moves on as usual.
                             TabCase{"ForwardInside", true, false, false, 'L', 0},
                             TabCase{"BackwardInside", false, true, true, 'F', 0}),
                         [](const ::testing::TestParamInfo<TabCase>& info) { return info.param.name; });
} // namespace
