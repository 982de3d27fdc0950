// The page at each common DPI. Wine takes the DPI from the prefix when a process starts, so
// each case sets it there, runs itself again in a process of its own, and takes it out again.
#include "CaseTable.h"
#include "DialogScript.h"
#include "EditorPage.h"

#include <string>

namespace
{
struct DpiCase : NamedCase
{
    int dpi;
};
using PageDpi = CaseFixture<EditorPage, DpiCase>;

const wchar_t kChildMark[] = L"NORVIK_DPI_CASE";
const std::pair<HKEY, const wchar_t*> kDpiKeys[] = {
    {HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
    {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"}};

// This test alone, in a new process of this program at `dpi`; its exit code.
DWORD RunAgainAt(DWORD dpi)
{
    for (const auto& [root, path] : kDpiKeys)
        RegSetKeyValueW(root, path, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::string name = std::string(test.test_suite_name()) + "." + test.name();
    std::wstring command = L"x --gtest_filter=" + std::wstring(name.begin(), name.end());
    SetEnvironmentVariableW(kChildMark, L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    DWORD code = CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)
                     ? STILL_ACTIVE
                     : GetLastError();
    SetEnvironmentVariableW(kChildMark, nullptr);
    const CKernelHandle thread(info.hThread);
    const CKernelHandle process(info.hProcess);
    if (process && WaitForSingleObject(process.Get(), 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.Get(), &code);
    // A fresh prefix has no value: the next program in this lane starts at 96 again.
    for (const auto& [root, path] : kDpiKeys)
        RegDeleteKeyValueW(root, path, L"LogPixels");
    return code;
}

// A picture for a person to look at, when the run asks for them.
void Picture(int dpi, const std::wstring& what)
{
    if (!testfiles::EnvironmentValue(L"NORVIK_SCREENSHOTS").empty())
        SaveScreen(("dpi-" + std::to_string(dpi) + "-" + testfiles::Narrow(what)).c_str());
}

// Every control of the dialog lies within its client area.
void ExpectControlsInside(HWND dialog, int dpi)
{
    RECT client = {};
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
    {
        RECT rect = {};
        GetWindowRect(control, &rect);
        EXPECT_TRUE(!IsWindowVisible(control) || (rect.left >= client.left && rect.top >= client.top &&
                                                  rect.right <= client.right && rect.bottom <= client.bottom))
            << "control " << GetDlgCtrlID(control) << " leaves " << testfiles::Narrow(WindowText(dialog));
    }
    Picture(dpi, WindowText(dialog));
}

// A list's column at least as wide as `text` with the header's margins.
void ExpectColumnShows(HWND list, int column, const wchar_t* text)
{
    EXPECT_GE(ListView_GetColumnWidth(list, column),
              ListView_GetStringWidth(list, text) + 6 * GetSystemMetrics(SM_CXEDGE))
        << testfiles::Narrow(text);
}
} // namespace

// The fixed columns show the Enabled caption and the widest address whole, the icons are of
// the DPI's size (a new DPI told to the page included), and the dialogs keep their controls in.
TEST_P(PageDpi, FitsWhatItShows)
{
    const int dpi = GetParam().dpi;
    if (testfiles::EnvironmentValue(kChildMark).empty())
    {
        EXPECT_EQ(0u, RunAgainAt(static_cast<DWORD>(dpi)));
        return;
    }
    const HDC screen = GetDC(nullptr);
    ASSERT_EQ(dpi, GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "255.255.255.255 broadcast.example # widest\r\n"));
    ASSERT_TRUE(Open());
    ExpectColumnShows(Table(), 0, L"Enabled");
    ExpectColumnShows(Table(), 1, L"255.255.255.255");
    const int icon = MulDiv(32, dpi, 96);
    for (int round = 0; round < 2; ++round)
    {
        int width = 0;
        int height = 0;
        ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(m_toolbar, TB_GETIMAGELIST, 0, 0)), &width,
                              &height);
        EXPECT_EQ(icon, width) << round;
        RECT bar = {};
        RECT view = {};
        GetWindowRect(m_toolbar, &bar);
        GetWindowRect(Table(), &view);
        EXPECT_GE(view.top, bar.bottom) << round;
        SendMessageW(m_page, 0x02E3 /* WM_DPICHANGED_AFTERPARENT */, 0, 0);
    }
    Picture(dpi, L"table");

    const std::pair<int, UINT> dialogs[] = {
        {IDC_RECORD_HOST, ID_ADD_RECORD}, {IDC_FIND_NEXT, ID_SEARCH}, {IDC_ABOUT_MODULES, ID_ABOUT}};
    for (const auto& entry : dialogs)
    {
        const UINT command = entry.second;
        CDialogScript script(m_boxes, entry.first);
        script.Do([&](HWND dialog) {
            ExpectControlsInside(dialog, dpi);
            if (command != ID_ABOUT)
                return;
            ExpectColumnShows(GetDlgItem(dialog, IDC_ABOUT_MODULES), 0, L"File");
            ExpectColumnShows(GetDlgItem(dialog, IDC_ABOUT_MODULES), 1, L"Version");
            BITMAP picture = {};
            GetObjectW(reinterpret_cast<HGDIOBJ>(
                           SendDlgItemMessageW(dialog, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                       sizeof(picture), &picture);
            EXPECT_EQ(icon, picture.bmWidth);
        });
        script.CancelIfOpen();
        ASSERT_TRUE(script.Run([this, command] { ClickButton(m_toolbar, command); })) << command;
    }

    // The progress dialog, shown by a file of more than 20480 bytes.
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), ManyEntries(1000)));
    bool shown = false;
    const CWindowSpy spy = WhenProgressShows([&shown, dpi](HWND dialog) {
        if (!shown && IsWindowVisible(dialog))
            ExpectControlsInside(dialog, dpi);
        shown = shown || IsWindowVisible(dialog);
    });
    ClickButton(m_toolbar, ID_REFRESH);
    ASSERT_TRUE(WaitForLoad());
    EXPECT_TRUE(shown);
}

CASE_TABLE(Scales, PageDpi, DpiCase{{"Dpi96"}, 96}, DpiCase{{"Dpi120"}, 120}, DpiCase{{"Dpi144"}, 144},
           DpiCase{{"Dpi192"}, 192});
