// The road of one edit, walked in the sample host as a user walks it: a double click on a
// row, a new host name in the record dialog, Save changes, and the file on disk.
#include "EditorPage.h"

namespace
{
const char kFile[] = "# office hosts\r\n"
                     "#\r\n"
                     "127.0.0.1 localhost\r\n"
                     "\r\n"
                     "10.1.2.3   printer   # 2nd floor\r\n"
                     "::1 localhost\r\n"
                     "#10.1.2.4 scanner\r\n";

struct FoundWindow
{
    DWORD process;
    const wchar_t* className;
    HWND hwnd;
};

BOOL CALLBACK MatchProcessWindow(HWND hwnd, LPARAM data)
{
    auto& found = *reinterpret_cast<FoundWindow*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (process == found.process && IsWindowVisible(hwnd) && std::wstring(className) == found.className)
    {
        found.hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD process, const wchar_t* className)
{
    FoundWindow found = {process, className, nullptr};
    EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&found));
    return found.hwnd;
}

// Waits, answering this thread's sent messages, until `done` holds or `timeoutMs` passes.
template <class Done>
bool WaitFor(Done done, DWORD timeoutMs = 20000)
{
    return PumpUntil([&] { return done(); }, timeoutMs);
}

void PostClick(HWND window, LPARAM point, bool twice)
{
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(window, WM_LBUTTONUP, 0, point);
    if (twice)
    {
        PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        PostMessageW(window, WM_LBUTTONUP, 0, point);
    }
}

// LVM_GETSUBITEMRECT on a list of another process: the rectangle has to live in that process.
bool RemoteSubItemRect(HANDLE process, HWND list, int row, int column, RECT& rect)
{
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (!remote)
        return false;
    rect = {};
    rect.top = column;
    rect.left = LVIR_BOUNDS;
    SIZE_T done = 0;
    const bool ok = WriteProcessMemory(process, remote, &rect, sizeof(rect), &done) &&
                    SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(remote)) &&
                    ReadProcessMemory(process, remote, &rect, sizeof(rect), &done);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return ok;
}

bool RemoteButtonRect(HANDLE process, HWND toolbar, UINT id, RECT& rect)
{
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (!remote)
        return false;
    SIZE_T done = 0;
    const bool ok = SendMessageW(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(remote)) &&
                    ReadProcessMemory(process, remote, &rect, sizeof(rect), &done);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return ok;
}

using SampleHost = EditorPage;
} // namespace

TEST_F(SampleHost, TheRoadOfOneEdit)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), kFile));
    wchar_t folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, folder, MAX_PATH);
    std::wstring program = folder;
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"norvikhost.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info));
    const CKernelHandle process(info.hProcess);
    const CKernelHandle thread(info.hThread);

    HWND host = nullptr;
    HWND table = nullptr;
    HWND toolbar = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        host = FindProcessWindow(info.dwProcessId, L"NorvikSampleHost");
        const HWND page = host ? FindWindowExW(host, nullptr, L"#32770", nullptr) : nullptr;
        table = page ? GetDlgItem(page, IDC_HOSTS_TABLE) : nullptr;
        toolbar = page ? FindToolbar(page) : nullptr;
        return table && toolbar && IsButtonEnabled(toolbar, ID_REFRESH) &&
               SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) == 3;
    }));

    // A double click on the printer's row opens Edit record with its values.
    RECT cell = {};
    ASSERT_TRUE(RemoteSubItemRect(process.Get(), table, 1, 2, cell));
    PostClick(table, MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2), true);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        dialog = FindProcessWindow(info.dwProcessId, L"#32770");
        return dialog && GetDlgItem(dialog, IDC_RECORD_HOST);
    }));
    wchar_t text[128] = {};
    GetWindowTextW(dialog, text, 128);
    EXPECT_STREQ(L"Edit record", text);
    GetDlgItemTextW(dialog, IDC_RECORD_HOST, text, 128);
    EXPECT_STREQ(L"printer", text);

    SetDlgItemTextW(dialog, IDC_RECORD_HOST, L"printer.office.lan");
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }));
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

    // Save changes, as the toolbar button is clicked.
    ASSERT_TRUE(WaitFor([&] { return IsButtonEnabled(toolbar, ID_SAVE_CHANGES); }));
    RECT button = {};
    ASSERT_TRUE(RemoteButtonRect(process.Get(), toolbar, ID_SAVE_CHANGES, button));
    PostClick(toolbar, MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2), false);
    ASSERT_TRUE(WaitFor([&] { return !IsButtonEnabled(toolbar, ID_SAVE_CHANGES); }));

    // The edited entry in its canonical form, every other line as it was.
    EXPECT_EQ("# office hosts\r\n"
              "#\r\n"
              "127.0.0.1 localhost\r\n"
              "\r\n"
              "10.1.2.3 printer.office.lan # 2nd floor\r\n"
              "::1 localhost\r\n"
              "# 10.1.2.4 scanner",
              FileBytes());

    // Nothing left to save: the host closes without asking.
    PostMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 20000));
    EXPECT_EQ(0u, m_boxes.Count());
}
