#include "EditorPage.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace
{
using ProgressDialog = EditorPage;

TEST_F(ProgressDialog, StaysHiddenUpTo20480Bytes)
{
    std::string text(20480, '#');
    text[20478] = '\r';
    text[20479] = '\n';
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), text));
    ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
    // Every show passes through the dialog's window on this thread, and ends before the load.
    int shown = 0;
    const CWindowSpy spy(FindProgressDialog(), [&shown](UINT message, WPARAM, LPARAM lParam) {
        if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
            ++shown;
    });
    ASSERT_TRUE(spy.IsSet());
    ASSERT_TRUE(ActivatePage());
    EXPECT_EQ(0, shown);

    // One byte more shows it.
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), text + "#"));
    ClickButton(m_toolbar, ID_REFRESH);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(1, shown);
}

TEST_F(ProgressDialog, ShowsCentredOverThePageForALargeFileAndCancelStopsTheLoad)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), ManyEntries(600000)));
    const std::string before = FileBytes();
    ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
    // Looked at, and cancelled, while the load thread waits for the dialog: the reader has not
    // been asked for the file yet, so it cannot have finished before the click.
    RECT pageRect = {};
    RECT dialogRect = {};
    bool visible = false;
    bool partsVisible = false;
    std::wstring caption;
    std::vector<UINT> enabled;
    bool cancelled = false;
    const CWindowSpy spy = WhenProgressShows([&](HWND dialog) {
        GetWindowRect(m_page, &pageRect);
        GetWindowRect(dialog, &dialogRect);
        visible = IsWindowVisible(dialog) != FALSE;
        partsVisible = IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_BAR)) &&
                       IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_TEXT));
        wchar_t text[64] = {};
        GetDlgItemTextW(dialog, IDC_PROGRESS_CAPTION, text, 64);
        caption = text;
        enabled = EnabledButtons();
        SendMessageW(GetDlgItem(dialog, IDC_PROGRESS_CANCEL), BM_CLICK, 0, 0);
        cancelled = true;
    });
    ASSERT_TRUE(spy.IsSet());
    // Where the editor puts it as it shows it; a window manager may still move a new window.
    POINT shownAt = {-1, -1};
    const CWindowSpy placement(FindProgressDialog(), [&shownAt](UINT message, WPARAM, LPARAM lParam) {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (message == WM_WINDOWPOSCHANGED && (position->flags & SWP_SHOWWINDOW))
            shownAt = {position->x, position->y};
    });
    ASSERT_TRUE(placement.IsSet());
    ASSERT_TRUE(ActivatePage(false));
    ASSERT_TRUE(PumpUntil([&] { return cancelled; }));

    EXPECT_TRUE(visible);
    const int width = dialogRect.right - dialogRect.left;
    const int height = dialogRect.bottom - dialogRect.top;
    EXPECT_EQ(pageRect.left + (pageRect.right - pageRect.left) / 2 - width / 2, shownAt.x);
    EXPECT_EQ(pageRect.top + (pageRect.bottom - pageRect.top) / 2 - height / 2, shownAt.y);
    EXPECT_TRUE(partsVisible);
    EXPECT_EQ(L"Hosts file loading progress...", caption);
    EXPECT_EQ(std::vector<UINT>{ID_ABOUT}, enabled);

    const HWND dialog = FindProgressDialog();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dialog) && IsButtonEnabled(m_toolbar, ID_REFRESH); }));
    // A cancelled load leaves nothing of itself and touches no file.
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_ADD_RECORD)) << "the load was not cancelled";
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_VIEW_AS_TEXT));
    EXPECT_EQ(0, TableRows());
    EXPECT_EQ(before, FileBytes());
    // No read-failure message: a cancel is not an error.
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(ProgressDialog, TheBarCountsLinesBeyond65535AndEndsFull)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), ManyEntries(100000)));
    ASSERT_TRUE(Open());
    // The reader's last report was posted before the load ended.
    const HWND dialog = FindProgressDialog();
    ASSERT_TRUE(dialog);
    const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    EXPECT_EQ(100000, SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(100000, SendMessageW(bar, PBM_GETPOS, 0, 0));
    wchar_t text[128] = {};
    GetDlgItemTextW(dialog, IDC_PROGRESS_TEXT, text, 128);
    // The final report fills the bar and keeps the last text.
    EXPECT_STREQ(L"Reading hosts file records (99900 of 100000)", text);
}
} // namespace
