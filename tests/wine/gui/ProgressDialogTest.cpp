#include "EditorPage.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace
{

std::string ManyLines(int count)
{
    std::string text;
    text.reserve(static_cast<size_t>(count) * 32);
    for (int i = 0; i < count; ++i)
        text += "0.0.0.0 ad" + std::to_string(i) + ".example.com\r\n";
    return text;
}

BOOL CALLBACK MatchProgressDialog(HWND hwnd, LPARAM out)
{
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    if (std::wstring(caption) == L"Please wait..." && GetDlgItem(hwnd, IDC_PROGRESS_CANCEL))
    {
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindProgressDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &MatchProgressDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

using ProgressDialog = EditorPage;

TEST_F(ProgressDialog, StaysHiddenUpTo20480Bytes)
{
    std::string text(20480, '#');
    text[20478] = '\r';
    text[20479] = '\n';
    ASSERT_TRUE(testfiles::WriteBytes(m_folder / L"hosts", text));
    const HWND page = Open(false);
    ASSERT_TRUE(page);
    const HWND toolbar = FindToolbar(page);
    bool everShown = false;
    ASSERT_TRUE(PumpUntil([&] {
        const HWND dialog = FindProgressDialog();
        everShown = everShown || (dialog && IsWindowVisible(dialog));
        return IsButtonEnabled(toolbar, ID_REFRESH);
    }));
    EXPECT_FALSE(everShown);
}

TEST_F(ProgressDialog, ShowsCentredOverThePageForALargeFileAndCancelStopsTheLoad)
{
    ASSERT_TRUE(testfiles::WriteBytes(m_folder / L"hosts", ManyLines(600000)));
    const auto before = testfiles::ReadBytes(m_folder / L"hosts");
    const HWND page = Open(false);
    ASSERT_TRUE(page);
    const HWND toolbar = FindToolbar(page);
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        dialog = FindProgressDialog();
        return dialog && IsWindowVisible(dialog);
    }));

    RECT pageRect;
    RECT dialogRect;
    GetWindowRect(page, &pageRect);
    GetWindowRect(dialog, &dialogRect);
    const int width = dialogRect.right - dialogRect.left;
    const int height = dialogRect.bottom - dialogRect.top;
    EXPECT_EQ(pageRect.left + (pageRect.right - pageRect.left) / 2 - width / 2, dialogRect.left);
    EXPECT_EQ(pageRect.top + (pageRect.bottom - pageRect.top) / 2 - height / 2, dialogRect.top);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_BAR)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_TEXT)));
    wchar_t caption[64] = {};
    GetDlgItemTextW(dialog, IDC_PROGRESS_CAPTION, caption, 64);
    EXPECT_STREQ(L"Hosts file loading progress...", caption);
    EXPECT_TRUE(IsButtonEnabled(toolbar, ID_ABOUT));
    EXPECT_FALSE(IsButtonEnabled(toolbar, ID_REFRESH));

    SendMessageW(GetDlgItem(dialog, IDC_PROGRESS_CANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dialog) && IsButtonEnabled(toolbar, ID_REFRESH); }));
    // A cancelled load leaves nothing of itself and touches no file.
    EXPECT_FALSE(IsButtonEnabled(toolbar, ID_ADD_RECORD));
    EXPECT_FALSE(IsButtonEnabled(toolbar, ID_VIEW_AS_TEXT));
    EXPECT_EQ(0, static_cast<int>(SendMessageW(GetDlgItem(page, IDC_HOSTS_TABLE), LVM_GETITEMCOUNT, 0, 0)));
    EXPECT_EQ(before, testfiles::ReadBytes(m_folder / L"hosts"));
    // No read-failure message: a cancel is not an error.
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", L"Error"));
}

TEST_F(ProgressDialog, TheBarCountsLinesBeyond65535AndEndsFull)
{
    ASSERT_TRUE(testfiles::WriteBytes(m_folder / L"hosts", ManyLines(100000)));
    const HWND page = Open(false);
    ASSERT_TRUE(page);
    ASSERT_TRUE(PumpUntil([page] { return IsButtonEnabled(FindToolbar(page), ID_REFRESH); }));
    PumpPending();
    HWND dialog = FindProgressDialog();
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
