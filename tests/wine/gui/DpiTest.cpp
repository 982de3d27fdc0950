// The page at each common DPI. Wine takes the DPI from the prefix when a process starts, so
// each case sets it there, runs itself again in a process of its own, and puts it back.
#include "CaseTable.h"
#include "DialogScript.h"
#include "EditorPage.h"

#include <optional>
#include <string>

namespace
{
const wchar_t kChildMark[] = L"NORVIK_DPI_CASE";

struct DpiCase : NamedCase
{
    DWORD dpi;
};
using PageDpi = CaseFixture<EditorPage, DpiCase>;

// LogPixels in the prefix, where Wine reads the DPI, for the life of this object.
class CPrefixDpi
{
public:
    explicit CPrefixDpi(DWORD dpi)
    {
        for (size_t i = 0; i < 2; ++i)
        {
            DWORD value = 0;
            DWORD size = sizeof(value);
            if (RegGetValueW(kKeys[i].root, kKeys[i].path, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value, &size) ==
                ERROR_SUCCESS)
                m_old[i] = value;
            Set(i, dpi);
        }
    }
    ~CPrefixDpi()
    {
        for (size_t i = 0; i < 2; ++i)
        {
            if (m_old[i])
                Set(i, *m_old[i]);
            else
                RegDeleteKeyValueW(kKeys[i].root, kKeys[i].path, L"LogPixels");
        }
    }
    CPrefixDpi(const CPrefixDpi&) = delete;
    CPrefixDpi& operator=(const CPrefixDpi&) = delete;

private:
    struct Key
    {
        HKEY root;
        const wchar_t* path;
    };
    static inline const Key kKeys[2] = {
        {HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
        {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"}};

    static void Set(size_t i, DWORD dpi)
    {
        RegSetKeyValueW(kKeys[i].root, kKeys[i].path, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }

    std::optional<DWORD> m_old[2];
};

// Runs this test alone in a new process of this program; its exit code.
DWORD RunThisTestAgain()
{
    const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::string name = std::string(test.test_suite_name()) + "." + test.name();
    std::wstring command =
        L"\"" + std::wstring(program) + L"\" --gtest_filter=" + std::wstring(name.begin(), name.end());
    SetEnvironmentVariableW(kChildMark, L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const bool started =
        CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kChildMark, nullptr);
    if (!started)
        return GetLastError();
    const CKernelHandle thread(process.hThread);
    const CKernelHandle child(process.hProcess);
    WaitForSingleObject(child.Get(), 120000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(child.Get(), &code);
    return code;
}

int StringWidth(HWND list, const wchar_t* text)
{
    return ListView_GetStringWidth(list, text);
}

// Every control of the dialog lies within its client area.
void ExpectControlsInside(HWND dialog, const char* what)
{
    RECT client = {};
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
    {
        if (!IsWindowVisible(control))
            continue;
        RECT rect = {};
        GetWindowRect(control, &rect);
        EXPECT_TRUE(rect.left >= client.left && rect.top >= client.top && rect.right <= client.right &&
                    rect.bottom <= client.bottom)
            << what << ": control " << GetDlgCtrlID(control) << " leaves the dialog";
    }
}

void SaveScreenIfAsked(const std::string& name)
{
    if (!testfiles::EnvironmentValue(L"NORVIK_SCREENSHOTS").empty())
        SaveScreen(name.c_str());
}
} // namespace

// The fixed columns show the widest address and the Enabled caption whole, the toolbar's icons
// are of the DPI's size, and the dialogs keep their controls inside.
TEST_P(PageDpi, FitsWhatItShows)
{
    const DWORD dpi = GetParam().dpi;
    if (testfiles::EnvironmentValue(kChildMark).empty())
    {
        const CPrefixDpi prefix(dpi);
        EXPECT_EQ(0u, RunThisTestAgain()) << "the test at " << dpi << " DPI";
        return;
    }
    const HDC screen = GetDC(nullptr);
    ASSERT_EQ(static_cast<int>(dpi), GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);

    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "255.255.255.255 broadcast.example # widest\r\n10.0.0.1 a\r\n"));
    ASSERT_TRUE(Open());
    const HWND table = Table();
    const int margins = 6 * GetSystemMetrics(SM_CXEDGE);
    const int enabled = ListView_GetColumnWidth(table, 0);
    EXPECT_GE(enabled, StringWidth(table, L"Enabled") + margins);
    int boxWidth = 0;
    int boxHeight = 0;
    ImageList_GetIconSize(ListView_GetImageList(table, LVSIL_STATE), &boxWidth, &boxHeight);
    EXPECT_GT(enabled, boxWidth);
    EXPECT_GE(ListView_GetColumnWidth(table, 1), StringWidth(table, L"255.255.255.255") + margins);
    EXPECT_EQ(L"255.255.255.255", Cell(0, 1));

    const int icon = MulDiv(32, static_cast<int>(dpi), 96);
    for (int round = 0; round < 2; ++round)
    {
        int width = 0;
        int height = 0;
        ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(m_toolbar, TB_GETIMAGELIST, 0, 0)), &width,
                              &height);
        EXPECT_EQ(icon, width) << round;
        EXPECT_EQ(icon, height) << round;
        RECT bar = {};
        RECT view = {};
        GetWindowRect(m_toolbar, &bar);
        GetWindowRect(table, &view);
        EXPECT_GE(view.top, bar.bottom) << round;
        // A per-monitor-aware host's page is told of a new DPI: it lays itself out again.
        SendMessageW(m_page, 0x02E3 /* WM_DPICHANGED_AFTERPARENT */, 0, 0);
    }
    SaveScreenIfAsked("dpi-" + std::to_string(dpi) + "-table");

    CDialogScript record(m_boxes, IDC_RECORD_HOST);
    record.Do([dpi](HWND dialog) {
        ExpectControlsInside(dialog, "record dialog");
        SaveScreenIfAsked("dpi-" + std::to_string(dpi) + "-record");
    });
    record.Cancel();
    ASSERT_TRUE(record.Run([this] { ClickButton(m_toolbar, ID_ADD_RECORD); }));
    CDialogScript find(m_boxes, IDC_FIND_NEXT);
    find.Do([](HWND dialog) { ExpectControlsInside(dialog, "find dialog"); }).CancelIfOpen();
    ASSERT_TRUE(find.Run([this] { ClickButton(m_toolbar, ID_SEARCH); }));
    CDialogScript about(m_boxes, IDC_ABOUT_MODULES);
    about
        .Do([dpi, icon, margins](HWND dialog) {
            ExpectControlsInside(dialog, "about box");
            const HWND modules = GetDlgItem(dialog, IDC_ABOUT_MODULES);
            const wchar_t* const captions[] = {L"File", L"Version"};
            for (int i = 0; i < 2; ++i)
                EXPECT_GE(ListView_GetColumnWidth(modules, i), StringWidth(modules, captions[i]) + margins) << i;
            BITMAP picture = {};
            GetObjectW(reinterpret_cast<HGDIOBJ>(
                           SendDlgItemMessageW(dialog, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                       sizeof(picture), &picture);
            EXPECT_EQ(icon, picture.bmWidth);
            SaveScreenIfAsked("dpi-" + std::to_string(dpi) + "-about");
        })
        .CancelIfOpen();
    ASSERT_TRUE(about.Run([this] { ClickButton(m_toolbar, ID_ABOUT); }));
}

CASE_TABLE(Scales, PageDpi, DpiCase{{"Dpi96"}, 96}, DpiCase{{"Dpi120"}, 120}, DpiCase{{"Dpi144"}, 144},
           DpiCase{{"Dpi192"}, 192});
