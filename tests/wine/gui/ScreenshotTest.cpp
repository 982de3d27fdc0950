// Pictures of the editor for a person to look at; run by scripts/screenshots.sh, which
// enables these tests and turns the bitmaps into PNG files.
#include "EditorPage.h"

namespace
{
using Screenshots = EditorPage;

std::string SampleFile(int entries)
{
    std::string text = "# Hosts of the test network\r\n#\r\n127.0.0.1 localhost\r\n\r\n";
    for (int i = 0; i < entries; ++i)
    {
        text += (i % 4 == 1 ? "# " : "") + std::string("10.0.") + std::to_string(i / 250) + "." +
                std::to_string(i % 250) + " host" + std::to_string(i) + ".example.net";
        text += i % 3 == 0 ? " # build server\r\n" : "\r\n";
    }
    return text;
}
} // namespace

TEST_F(Screenshots, DISABLED_TableTextAndProgress)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), SampleFile(40)));
    ASSERT_TRUE(Open());
    SetFocus(Table());
    SelectOnly(2);
    SaveScreen("table-view");

    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    SaveScreen("text-view");
    ClickButton(m_toolbar, ID_VIEW_AS_TABLE);

    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), SampleFile(3000000)));
    ClickButton(m_toolbar, ID_REFRESH);
    const HWND progress = FindProgressDialog();
    ASSERT_TRUE(progress);
    // The bar moves only while lines are parsed, after the whole file was read; the reader then
    // posts faster than a pump drains, so look after every single message.
    const ULONGLONG end = GetTickCount64() + 60000;
    bool moving = false;
    while (!moving && GetTickCount64() < end)
    {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        moving =
            IsWindowVisible(progress) && SendDlgItemMessageW(progress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0) > 1000000;
    }
    ASSERT_TRUE(moving);
    SaveScreen("progress-dialog", 0);
    ASSERT_TRUE(WaitForLoad());

    // A long text going into the text view, the table standing in.
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), SampleFile(30000)));
    ClickButton(m_toolbar, ID_REFRESH);
    ASSERT_TRUE(WaitForLoad());
    SendMessageW(m_page, WM_COMMAND, ID_VIEW_AS_TEXT, reinterpret_cast<LPARAM>(m_toolbar));
    // One message at a time, as a host's loop takes them, until a third of the lines are in.
    const HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
    const ULONGLONG fillEnd = GetTickCount64() + 60000;
    auto filling = [bar] {
        const LRESULT range = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
        const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
        return range < 30000 || position < 10000 || position >= range;
    };
    while (filling() && GetTickCount64() < fillEnd)
    {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    SaveScreen("text-fill", 0, false);
    SendDlgItemMessageW(progress, IDC_PROGRESS_CANCEL, BM_CLICK, 0, 0);
}
