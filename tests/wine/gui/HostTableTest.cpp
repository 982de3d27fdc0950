// A C host's table of callbacks (norvik/norvik.h) through the real DLL: its size rules, absent
// callbacks, texts longer than the module's first buffer, a settings folder outside ASCII.
#include "CaseTable.h"
#include "DialogScript.h"
#include "EditorPage.h"

#include "norvik/norvik.h"
#include "win32/ScopeExit.h"

#include <cstring>
#include <cwchar>

namespace
{
// What the callbacks answer and what they were asked.
struct CTableHost
{
    std::wstring folder;
    std::wstring version;
    std::vector<std::pair<std::wstring, std::wstring>> modules;
    std::vector<std::wstring> skins;
    int focusPrevious = 0;
    int textCalls = 0;

    static uint32_t Copy(const std::wstring& text, wchar_t* buffer, uint32_t capacity)
    {
        if (capacity > 0)
        {
            const size_t copied = std::min<size_t>(text.size(), capacity - 1);
            std::wmemcpy(buffer, text.c_str(), copied);
            buffer[copied] = L'\0';
        }
        return static_cast<uint32_t>(text.size());
    }
    static CTableHost& Of(void* context) { return *static_cast<CTableHost*>(context); }
    static void NORVIK_CALL ApplySkin(void* context, const wchar_t* skin) { Of(context).skins.emplace_back(skin); }
    template <std::wstring CTableHost::*text>
    static uint32_t NORVIK_CALL Text(void* context, wchar_t* buffer, uint32_t capacity)
    {
        ++Of(context).textCalls;
        return Copy(Of(context).*text, buffer, capacity);
    }
    static int NORVIK_CALL Module(void* context, uint32_t index, wchar_t* name, uint32_t nameCapacity,
                                  uint32_t* nameLength, wchar_t* version, uint32_t versionCapacity,
                                  uint32_t* versionLength)
    {
        const auto& modules = Of(context).modules;
        if (index >= modules.size())
            return 0;
        *nameLength = Copy(modules[index].first, name, nameCapacity);
        *versionLength = Copy(modules[index].second, version, versionCapacity);
        return 1;
    }
    static void NORVIK_CALL FocusPrevious(void* context) { ++Of(context).focusPrevious; }
};

// A newer host's table: more than the module knows, and none of it read.
struct LargerTable
{
    NorvikHost known;
    unsigned char unknown[64];
};

struct TableCase : NamedCase
{
    size_t size;               // 0: no table at all
    bool callbacks;            // else all null
    size_t padding;            // characters the folder's name and the texts get beyond the first buffer
    const wchar_t* folderName; // null: the host answers an empty folder
    bool accepted;
};
using HostTables = CaseFixture<EditorPage, TableCase>;

const size_t kToday = sizeof(NorvikHost);
const size_t kOlder = offsetof(NorvikHost, getModuleVersion); // no module versions, no focus callback

TEST_P(HostTables, TakeWhatTheSizeHoldsAndTextsOfAnyLength)
{
    const TableCase& c = GetParam();
    ASSERT_TRUE(m_norvik.NorvikInit);
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 a\r\n") && Open());
    const HWND before = m_page;

    CTableHost host;
    const std::wstring pad(c.padding, L'x');
    const std::wstring folder = m_folder / ((c.folderName ? c.folderName : L"") + pad) + L"\\";
    host.folder = c.folderName ? folder : L"";
    const bool settings = c.callbacks && c.folderName;
    host.version = c.padding ? std::wstring(c.padding + 200, L'7') : std::wstring();
    host.modules = {{L"b-host.exe" + pad, L"2.0" + pad}, {L"a.dll", L""}};
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    // A skin chosen before, as the settings file keeps it.
    const std::string skin = {1, 0, 0, 0, 4, 0, 0, 0, 'C', 0, ':', 0, '\\', 0, 'a', 0};
    ASSERT_TRUE(testfiles::WriteBytes(folder + L"norvikcfg.bin", skin));
    // One in the working folder too (the test's own: cases run side by side), which no host named.
    wchar_t working[MAX_PATH] = {};
    const std::wstring stray = m_folder / L"working";
    ASSERT_TRUE(GetCurrentDirectoryW(MAX_PATH, working) && CreateDirectoryW(stray.c_str(), nullptr) &&
                SetCurrentDirectoryW(stray.c_str()));
    const auto back = ScopeExit([&working] { SetCurrentDirectoryW(working); });
    ASSERT_TRUE(testfiles::WriteBytes(stray + L"\\norvikcfg.bin", skin));
    LargerTable table;
    std::memset(&table, 0xCC, sizeof(table));
    table.known = {static_cast<uint32_t>(c.size),
                   &host,
                   &CTableHost::ApplySkin,
                   &CTableHost::Text<&CTableHost::folder>,
                   &CTableHost::Text<&CTableHost::version>,
                   &CTableHost::Module,
                   &CTableHost::FocusPrevious};
    if (!c.callbacks)
        table.known = {static_cast<uint32_t>(c.size), &host, nullptr, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(c.accepted ? 1 : 0, m_norvik.NorvikInit(c.size ? &table.known : nullptr));
    if (!c.accepted)
    {
        // The editor there was stays, page and all.
        EXPECT_TRUE(IsWindow(before));
        EXPECT_EQ(Table(), m_norvik.GetFirstFormControl());
        return;
    }
    EXPECT_FALSE(IsWindow(before));
    ASSERT_TRUE(ActivatePage());
    EXPECT_EQ(settings ? std::vector<std::wstring>{L"C:\\a"} : std::vector<std::wstring>{}, host.skins);

    std::wstring version;
    std::vector<std::wstring> modules;
    m_boxes.OnOtherDialog([&](HWND dialog) {
        if (const HWND list = GetDlgItem(dialog, IDC_ABOUT_MODULES))
        {
            version.resize(4096);
            version.resize(GetDlgItemTextW(dialog, IDC_ABOUT_VERSION, version.data(), 4096));
            for (int row = 0; row < ListView_GetItemCount(list); ++row)
                for (int column = 0; column < 2; ++column)
                {
                    wchar_t text[512] = {};
                    ListView_GetItemText(list, row, column, text, 512);
                    modules.emplace_back(text);
                }
            PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        }
    });
    ClickButton(m_toolbar, ID_ABOUT);
    m_boxes.OnOtherDialog(nullptr);
    const bool all = c.callbacks && c.size >= kToday;
    EXPECT_EQ(c.callbacks ? host.version : L"", version);
    // In the map's order, whatever order the host gave.
    const std::vector<std::wstring> listed = {L"a.dll", L"", L"b-host.exe" + pad, L"2.0" + pad};
    EXPECT_EQ(all ? listed : std::vector<std::wstring>(), modules);

    ASSERT_TRUE(BringToFront(m_window.Hwnd()));
    SetFocus(Table());
    PressKey(VK_TAB, {VK_SHIFT});
    EXPECT_EQ(all ? 1 : 0, host.focusPrevious);

    // Reset skin writes the settings at the close: into the host's folder, or nowhere (not
    // into the working folder either).
    m_boxes.QueueAnswer(IDOK);
    ClickButton(m_toolbar, ID_RESET_SKIN);
    m_norvik.CloseHostEditor();
    EXPECT_EQ(settings ? std::string(8, '\0') : skin, testfiles::ReadBytes(folder + L"norvikcfg.bin").value_or("gone"));
    EXPECT_EQ(skin, testfiles::ReadBytes(stray + L"\\norvikcfg.bin"));
    // A text longer than the first buffer took a second call.
    EXPECT_EQ(c.callbacks ? (c.padding ? 4 : 2) : 0, host.textCalls);
}

// clang-format off
CASE_TABLE(Sizes, HostTables,
           TableCase{{"Today"}, kToday, true, 0, L"settings", true},
           TableCase{{"Older"}, kOlder, true, 0, L"settings", true},
           TableCase{{"LargerWithUnknownFields"}, sizeof(LargerTable), true, 0, L"settings", true},
           TableCase{{"HeaderOnly"}, NORVIK_HOST_SIZE_MIN, false, 0, L"settings", true},
           TableCase{{"TooSmall"}, NORVIK_HOST_SIZE_MIN - 1, true, 0, L"settings", false},
           TableCase{{"Null"}, 0, true, 0, L"settings", false},
           TableCase{{"EveryCallbackNull"}, kToday, false, 0, L"settings", true},
           TableCase{{"EmptyFolder"}, kToday, true, 0, nullptr, true},
           TableCase{{"TextsBeyondTheFirstBuffer"}, kToday, true, 150, L"settings", true},
           TableCase{{"FolderOutsideAscii"}, kToday, true, 0, L"\x8A2D\x5B9A \x0416", true});
// clang-format on
} // namespace
