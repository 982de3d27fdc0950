#include "EditorHarness.h"
#include "SavedRegistryValue.h"
#include "TestFiles.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace
{
const wchar_t kParametersKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// The slot a virtual member function occupies, read from its pointer-to-member: under the
// ABI g++ uses on Windows, that holds 1 + the slot's byte offset in the virtual table.
template <class Member>
long SlotOf(Member member)
{
    struct Representation
    {
        std::uintptr_t ptr;
        std::ptrdiff_t adjustment;
    };
    static_assert(sizeof(Member) == sizeof(Representation), "unexpected member pointer size");
    Representation raw;
    std::memcpy(&raw, &member, sizeof(raw));
    if ((raw.ptr & 1) == 0)
        return -1; // not virtual
    return static_cast<long>((raw.ptr - 1) / sizeof(void*));
}

// A host that counts what the module calls on it.
class CCountingHost : public CTestEditorHost
{
public:
    void Reserved0() override { ++reservedCalls; }
    void Reserved1() override { ++reservedCalls; }
    std::wstring GetSettingsFolder() override
    {
        ++settingsFolderCalls;
        return CTestEditorHost::GetSettingsFolder();
    }

    int reservedCalls = 0;
    int settingsFolderCalls = 0;
};
} // namespace

TEST(HostInterface, SlotsKeepTheirPositions)
{
    EXPECT_EQ(0, SlotOf(&IEditorHost::Reserved0));
    EXPECT_EQ(1, SlotOf(&IEditorHost::Reserved1));
    EXPECT_EQ(2, SlotOf(&IEditorHost::ApplySkin));
    EXPECT_EQ(3, SlotOf(&IEditorHost::GetSettingsFolder));
    EXPECT_EQ(4, SlotOf(&IEditorHost::GetVersionText));
    EXPECT_EQ(5, SlotOf(&IEditorHost::GetModuleVersions));
    EXPECT_EQ(0, SlotOf(&IEditorFocusHandler::FocusPrevious));
}

TEST(HostInterface, TheModuleAsksForTheSettingsFolderOnceAndNeverCallsTheReservedSlots)
{
    const CNorvikModule& norvik = NorvikExports();
    ASSERT_TRUE(norvik.dll);
    testfiles::CTempFolder folder;
    CSavedRegistryValue dataBasePath{HKEY_LOCAL_MACHINE, kParametersKey, L"DataBasePath"};
    ASSERT_TRUE(dataBasePath.Set(REG_SZ, folder.Path()));
    ASSERT_TRUE(testfiles::WriteBytes(folder / L"hosts", "127.0.0.1 localhost\r\n"));
    CHostWindow& window = CHostWindow::Get();
    CCountingHost host;
    host.settingsFolder = folder.Path() + L"\\";

    ASSERT_TRUE(norvik.Init(&host, &host));
    EXPECT_EQ(1, host.settingsFolderCalls);
    const RECT page = window.PageRect();
    const HWND form = norvik.Activate(window.Hwnd(), page.left, page.top, page.right, page.bottom);
    ASSERT_TRUE(form);
    EXPECT_TRUE(PumpUntil([&] { return IsButtonEnabled(FindToolbar(form), ID_REFRESH); }));
    norvik.Deactivate();
    EXPECT_EQ(form, norvik.Activate(window.Hwnd(), page.left, page.top, page.right, page.bottom));
    EXPECT_EQ(0, norvik.IsHostsChanged());
    norvik.CloseHostEditor();
    norvik.Init(nullptr, nullptr);
    PumpPending();

    EXPECT_EQ(1, host.settingsFolderCalls);
    EXPECT_EQ(0, host.reservedCalls);
}
