// Pictures of the editor for a person to look at; run by scripts/screenshots.sh, which
// enables these tests and turns the bitmaps into PNG files.
#include "EditorPage.h"

#include "ui/GdiObject.h"

#include <cstring>

namespace
{
using Screenshots = EditorPage;

// The whole screen as a 24-bit BMP file in the folder named by NORVIK_SCREENSHOTS.
void SaveScreen(const char* name, DWORD settleMs = 300)
{
    const std::wstring folder = testfiles::EnvironmentValue(L"NORVIK_SCREENSHOTS");
    ASSERT_FALSE(folder.empty()) << "NORVIK_SCREENSHOTS is not set";
    PumpUntil([] { return false; }, settleMs);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = GetDC(nullptr);
    CCompatibleDc memory(CreateCompatibleDC(screen));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    CBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        const CSelectObject selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(height);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    bytes.append(static_cast<const char*>(bits), static_cast<size_t>(stride) * static_cast<size_t>(height));
    EXPECT_TRUE(testfiles::WriteBytes(folder + L"\\" + std::wstring(name, name + strlen(name)) + L".bmp", bytes));
}

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
    LVITEMW item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Table(), LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
    SaveScreen("table-view");

    ClickButton(m_toolbar, ID_VIEW_AS_TEXT);
    SaveScreen("text-view");
    ClickButton(m_toolbar, ID_VIEW_AS_TABLE);

    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), SampleFile(3000000)));
    ClickButton(m_toolbar, ID_REFRESH);
    const HWND progress = FindWindowW(nullptr, L"Please wait...");
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
        moving = IsWindowVisible(progress) &&
                 SendDlgItemMessageW(progress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0) > 1000000;
    }
    ASSERT_TRUE(moving);
    SaveScreen("progress-dialog", 0);

    WaitForLoad();
}
