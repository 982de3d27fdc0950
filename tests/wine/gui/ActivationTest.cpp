// The host's window keeps the activation while the page is made and loads: a dialog the
// editor keeps hidden must never take it. (A window manager may focus the progress dialog
// once it shows, as it may any new window; the editor shows it without activating it.)
#include "CaseTable.h"
#include "EditorPage.h"

namespace
{
struct ActivationCase : NamedCase
{
    size_t lines; // above about 1,000 lines the file passes 20480 bytes and the progress dialog shows
};

class Activation : public EditorPage, public ::testing::WithParamInterface<ActivationCase>
{
};

std::wstring Caption(HWND hwnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

TEST_P(Activation, TheHostWindowStaysActive)
{
    std::string file;
    for (size_t line = 0; line < GetParam().lines; ++line)
        file += "10.0.0." + std::to_string(line % 250) + " host" + std::to_string(line) + ".example\r\n";
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), file));
    ASSERT_TRUE(BringToFront(m_window.Hwnd()));
    std::vector<std::wstring> activated;
    m_boxes.OnOtherDialog([&activated](HWND dialog) {
        if (!IsWindowVisible(dialog))
            activated.push_back(Caption(dialog));
    });

    ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
    PumpPending();
    EXPECT_EQ(m_window.Hwnd(), GetActiveWindow()) << "after Init";
    const RECT page = m_window.PageRect();
    m_page = m_norvik.Activate(m_window.Hwnd(), page.left, page.top, page.right, page.bottom);
    ASSERT_TRUE(m_page);
    m_toolbar = FindToolbar(m_page);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(m_window.Hwnd(), GetActiveWindow()) << "after the load";
    m_boxes.OnOtherDialog(nullptr);
    EXPECT_EQ(std::vector<std::wstring>{}, activated);
}

CASE_TABLE(Files, Activation, ActivationCase{{"Small"}, 3}, ActivationCase{{"WithProgressDialog"}, 5000});
} // namespace
