#include "EditorPage.h"

#include <cstdint>
#include <cstring>

namespace
{
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

class HostInterface : public EditorPage
{
protected:
    // A member, so that it outlives the form until the fixture drops it.
    CCountingHost m_counting;
};
} // namespace

TEST_F(HostInterface, SlotsKeepTheirPositions)
{
    EXPECT_EQ(0, SlotOf(&IEditorHost::Reserved0));
    EXPECT_EQ(1, SlotOf(&IEditorHost::Reserved1));
    EXPECT_EQ(2, SlotOf(&IEditorHost::ApplySkin));
    EXPECT_EQ(3, SlotOf(&IEditorHost::GetSettingsFolder));
    EXPECT_EQ(4, SlotOf(&IEditorHost::GetVersionText));
    EXPECT_EQ(5, SlotOf(&IEditorHost::GetModuleVersions));
    EXPECT_EQ(0, SlotOf(&IEditorFocusHandler::FocusPrevious));
}

TEST_F(HostInterface, TheModuleAsksForTheSettingsFolderOnceAndNeverCallsTheReservedSlots)
{
    ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 localhost\r\n"));
    m_counting.settingsFolder = m_host.settingsFolder;
    ASSERT_TRUE(m_norvik.Init(&m_counting, &m_counting));
    EXPECT_EQ(1, m_counting.settingsFolderCalls);
    const HWND form = ActivatePage();
    ASSERT_TRUE(form);
    m_norvik.Deactivate();
    EXPECT_EQ(form, ActivatePage());
    EXPECT_EQ(0, m_norvik.IsHostsChanged());
    m_norvik.CloseHostEditor();
    m_norvik.Init(nullptr, nullptr);

    EXPECT_EQ(1, m_counting.settingsFolderCalls);
    EXPECT_EQ(0, m_counting.reservedCalls);
}
