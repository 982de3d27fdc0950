#include "EditorPage.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <optional>
#include <string>
#include <vector>

namespace
{
const wchar_t kSettingsName[] = L"norvikcfg.bin";
const wchar_t kOldVersion[] =
    L"Can't get some of settings: old version of configuration file!\n\n"
    L"Convertation at this moment is not supported.\nAll settings will be set to default values.";
const wchar_t kBadFile[] = L"Bad settings file!\nAll settings will be set to default values.";
const std::string kDefaults(8, '\0');

std::string SettingsBytes(char flag0, char flag1, const std::wstring& path, const std::string& extra = "")
{
    std::string bytes = {flag0, flag1, 0, 0};
    const uint32_t units = static_cast<uint32_t>(path.size());
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>(units >> shift));
    for (wchar_t unit : path)
    {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes + extra;
}

// The header of a file whose path has `units` UTF-16 units.
std::string Header(uint32_t units)
{
    std::string bytes = {1, 0, 0, 0};
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>(units >> shift));
    return bytes;
}

// The editor over a hosts file of its own, with a settings folder the test chooses.
class Settings : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 localhost\r\n"));
    }

    std::wstring SettingsPath() const { return m_host.settingsFolder + kSettingsName; }

    // Clicks Select skin and answers the open-file dialog with `path` (empty: Cancel);
    // returns the file name the dialog offered when it was answered.
    std::wstring ChooseSkin(const std::wstring& path)
    {
        std::wstring answered;
        bool done = false;
        m_boxes.OnOtherDialog([&](HWND dialog) {
            if (done)
                return;
            done = true;
            // The file name field of the explorer-style dialog, or of the old one.
            const int field = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
            SetDlgItemTextW(dialog, field, path.c_str());
            wchar_t text[MAX_PATH] = {};
            GetDlgItemTextW(dialog, field, text, MAX_PATH);
            answered = text;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(path.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
        });
        // The dialog is modal: it has come and gone when the click returns.
        ClickButton(m_toolbar, ID_SELECT_SKIN);
        m_boxes.OnOtherDialog(nullptr);
        EXPECT_TRUE(done) << "no file dialog";
        return answered;
    }
};

struct FileCase
{
    const char* name;
    std::optional<std::string> before; // none: no settings file
    const wchar_t* message;            // the warning shown while Init runs, or null
    std::vector<std::wstring> applied; // skins handed to the host at start
    bool resetEnabled;
    std::optional<std::string> after; // the file once Init has run
    uint64_t length = 0;              // the file made this long with zeros after `before`
};
} // namespace

TEST_F(Settings, StartReadsTheFileAndReplacesABadOneWithDefaults)
{
    const std::wstring skin = L"C:\\skins\\Blue.msstyles";
    // clang-format off
    const std::vector<FileCase> cases = {
        {"no file: defaults, nothing written", std::nullopt, nullptr, {}, false, std::nullopt},
        {"file of defaults", kDefaults, nullptr, {}, false, kDefaults},
        {"0 bytes", std::string(), kOldVersion, {}, false, kDefaults},
        {"4 bytes", std::string("\1\0\0\0", 4), kOldVersion, {}, false, kDefaults},
        {"path shorter than its count", SettingsBytes(1, 0, skin).substr(0, 12), kOldVersion, {}, false, kDefaults},
        {"count that cannot be allocated", std::string("\1\0\0\0\xff\xff\xff\xff", 8), kBadFile, {}, false,
         kDefaults},
        // A path of 2 GiB and more fits no 32-bit process, however long the file.
        {"smallest count of 2 GiB, file that long", Header(0x3FFFFFFC), kBadFile, {}, false, kDefaults,
         8 + 2 * uint64_t(0x3FFFFFFC)},
        {"largest count below 4 GiB, file that long", Header(0x7FFFFFFE), kBadFile, {}, false, kDefaults,
         8 + 2 * uint64_t(0x7FFFFFFE)},
        {"count of 2 GiB, file short", Header(0x3FFFFFFC) + "ab", kOldVersion, {}, false, kDefaults},
        {"skin on", SettingsBytes(1, 0, skin), nullptr, {skin}, true, SettingsBytes(1, 0, skin)},
        {"on with an empty path: the default look", SettingsBytes(1, 0, L""), nullptr, {L""}, false,
         SettingsBytes(1, 0, L"")},
        {"byte 1 set, byte 0 clear: off", SettingsBytes(0, 1, skin), nullptr, {}, true, SettingsBytes(0, 1, skin)},
        {"embedded zero cuts the path", SettingsBytes(1, 0, std::wstring(L"C:\\a\0b", 6)), nullptr, {L"C:\\a"}, true,
         SettingsBytes(1, 0, std::wstring(L"C:\\a\0b", 6))},
    };
    // clang-format on
    for (const FileCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        DeleteFileW(SettingsPath().c_str());
        if (c.before)
        {
            ASSERT_TRUE(testfiles::WriteBytes(SettingsPath(), *c.before));
        }
        if (c.length)
        {
            ASSERT_TRUE(testfiles::SetLength(SettingsPath(), c.length));
        }
        m_boxes.Reset();
        m_boxes.QueueAnswer(IDOK);
        m_host.appliedSkins.clear();
        ASSERT_TRUE(m_norvik.Init(&m_host, &m_host));
        const std::vector<SeenMessageBox> seen = m_boxes.Seen();
        if (c.message)
        {
            ASSERT_EQ(1u, seen.size());
            EXPECT_EQ(c.message, seen[0].text);
            EXPECT_EQ(L"Warning", seen[0].caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONWARNING), seen[0].flags);
        }
        else
        {
            EXPECT_TRUE(seen.empty());
        }
        EXPECT_EQ(c.applied, m_host.appliedSkins);
        EXPECT_EQ(c.after, testfiles::ReadBytes(SettingsPath()));

        ASSERT_TRUE(ActivatePage());
        EXPECT_EQ(c.resetEnabled, IsButtonEnabled(m_toolbar, ID_RESET_SKIN));
        EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_SELECT_SKIN));
        m_norvik.CloseHostEditor();
        m_norvik.Init(nullptr, nullptr);
        EXPECT_EQ(c.after, testfiles::ReadBytes(SettingsPath()));
    }
}

TEST_F(Settings, AResetIsWrittenAtCloseAndDropsExtraBytes)
{
    const std::wstring skin = L"C:\\skins\\Blue.msstyles";
    ASSERT_TRUE(testfiles::WriteBytes(SettingsPath(), SettingsBytes(1, 0, skin, "tail")));
    ASSERT_TRUE(OpenFor(&m_host));
    EXPECT_EQ(std::vector<std::wstring>{skin}, m_host.appliedSkins);

    m_boxes.QueueAnswer(IDOK);
    ClickButton(m_toolbar, ID_RESET_SKIN);
    const std::vector<SeenMessageBox> seen = m_boxes.Seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"Skin will be reset to default after application restart", seen[0].text);
    EXPECT_EQ(L"Information", seen[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), seen[0].flags);
    // Nothing changes until the editor closes, and no new skin can be chosen meanwhile.
    EXPECT_TRUE(PumpUntil([this] { return !IsButtonEnabled(m_toolbar, ID_SELECT_SKIN); }, 2000));
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_RESET_SKIN));
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_SELECT_SKIN));
    EXPECT_EQ(SettingsBytes(1, 0, skin, "tail"), testfiles::ReadBytes(SettingsPath()));
    EXPECT_EQ(1u, m_host.appliedSkins.size());

    m_norvik.CloseHostEditor();
    EXPECT_EQ(kDefaults, testfiles::ReadBytes(SettingsPath()));
    EXPECT_EQ(1u, m_host.appliedSkins.size());
}

TEST_F(Settings, TheFileNameIsGluedToAFolderWithoutABackslash)
{
    m_host.settingsFolder = m_folder / L"cfg";
    const std::wstring glued = m_folder / (std::wstring(L"cfg") + kSettingsName);
    ASSERT_TRUE(testfiles::WriteBytes(glued, std::string("\0\0\0\0", 4)));
    m_boxes.QueueAnswer(IDOK);
    ASSERT_TRUE(OpenFor(&m_host));
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(kOldVersion, m_boxes.Seen()[0].text);
    EXPECT_EQ(kDefaults, testfiles::ReadBytes(glued));
    EXPECT_FALSE(testfiles::Exists(m_folder / L"cfg"));
}

TEST_F(Settings, ASkinChosenInTheFileDialogIsStoredAndApplied)
{
    const std::wstring blue = m_folder / L"Blue.msstyles";
    ASSERT_TRUE(testfiles::WriteBytes(blue, "skin"));
    ASSERT_TRUE(OpenFor(&m_host));
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_RESET_SKIN));

    ASSERT_EQ(blue, ChooseSkin(blue));
    EXPECT_EQ(SettingsBytes(1, 0, blue), testfiles::ReadBytes(SettingsPath()));
    EXPECT_EQ(std::vector<std::wstring>{blue}, m_host.appliedSkins);
    EXPECT_TRUE(PumpUntil([this] { return IsButtonEnabled(m_toolbar, ID_RESET_SKIN); }, 2000));

    // The same path again changes nothing and calls nobody.
    ASSERT_TRUE(testfiles::WriteBytes(SettingsPath(), "marker"));
    ASSERT_EQ(blue, ChooseSkin(blue));
    EXPECT_EQ("marker", testfiles::ReadBytes(SettingsPath()));
    EXPECT_EQ(1u, m_host.appliedSkins.size());

    // Another letter case is another choice.
    std::wstring upper = blue;
    upper.replace(upper.size() - 13, 4, L"BLUE");
    ASSERT_EQ(upper, ChooseSkin(upper));
    EXPECT_EQ(SettingsBytes(1, 0, upper), testfiles::ReadBytes(SettingsPath()));
    EXPECT_EQ((std::vector<std::wstring>{blue, upper}), m_host.appliedSkins);

    // Cancel keeps everything.
    ChooseSkin(std::wstring());
    EXPECT_EQ(2u, m_host.appliedSkins.size());
}

TEST_F(Settings, OneMissingFolderLevelIsMadeTwoAreNot)
{
    const std::wstring skin = m_folder / L"x.cjstyles";
    ASSERT_TRUE(testfiles::WriteBytes(skin, "skin"));
    struct FolderCase
    {
        const wchar_t* folder;
        bool written;
    };
    // A path longer than the system takes fails like any other write: silently, and nowhere else.
    const std::wstring longName(300, L'n');
    for (const FolderCase& c :
         {FolderCase{L"one", true}, FolderCase{L"two\\levels", false}, FolderCase{longName.c_str(), false}})
    {
        SCOPED_TRACE(testfiles::Narrow(c.folder).substr(0, 20));
        m_host.settingsFolder = m_folder / c.folder + L"\\";
        m_host.appliedSkins.clear();
        ASSERT_TRUE(OpenFor(&m_host));
        ASSERT_EQ(skin, ChooseSkin(skin));
        // A write that fails is silent: the skin is applied all the same.
        EXPECT_EQ(std::vector<std::wstring>{skin}, m_host.appliedSkins);
        EXPECT_EQ(0u, m_boxes.Count());
        EXPECT_EQ(c.written, testfiles::Exists(SettingsPath()));
        m_norvik.CloseHostEditor();
        m_norvik.Init(nullptr, nullptr);
    }
    EXPECT_FALSE(testfiles::Exists(m_folder / L"two"));
    EXPECT_EQ((std::vector<std::wstring>{L"hosts", L"one", L"x.cjstyles"}), testfiles::ListNames(m_folder.Path()));
}

TEST_F(Settings, WithoutAHostNothingIsReadOrWritten)
{
    ASSERT_TRUE(testfiles::WriteBytes(SettingsPath(), SettingsBytes(1, 0, L"C:\\x.cjstyles")));
    ASSERT_TRUE(OpenFor(nullptr));
    EXPECT_FALSE(IsButtonEnabled(m_toolbar, ID_RESET_SKIN));
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_SELECT_SKIN));
    EXPECT_EQ(0u, m_boxes.Count());
    m_norvik.CloseHostEditor();
    EXPECT_EQ(SettingsBytes(1, 0, L"C:\\x.cjstyles"), testfiles::ReadBytes(SettingsPath()));
    EXPECT_TRUE(m_host.appliedSkins.empty());
}
