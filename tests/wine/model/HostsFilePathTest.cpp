#include "hosts/HostsFilePath.h"

#include "CaseTable.h"
#include "SavedRegistryValue.h"
#include "TestFiles.h"

#include <vector>

namespace
{
const wchar_t kParametersKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const wchar_t kValueName[] = L"DataBasePath";
const wchar_t kBackupKey[] = L"Software\\NorvikTests\\ParametersBackup";

CRegKey OpenParameters(REGSAM access)
{
    CRegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParametersKey, 0, access, key.Put());
    return key;
}

CSavedRegistryValue SavedDataBasePath()
{
    return CSavedRegistryValue(HKEY_LOCAL_MACHINE, kParametersKey, kValueName);
}

// Keeps a copy of the whole Parameters key, so a test may delete it, and puts it back.
class CSavedParametersKey
{
public:
    CSavedParametersKey()
    {
        CRegKey source = OpenParameters(KEY_READ);
        RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
        CRegKey backup;
        m_saved = source &&
                  RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, backup.Put(),
                                  nullptr) == ERROR_SUCCESS &&
                  RegCopyTreeW(source.Get(), nullptr, backup.Get()) == ERROR_SUCCESS;
    }
    ~CSavedParametersKey()
    {
        if (!m_saved)
            return;
        CRegKey backup;
        CRegKey target;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, KEY_READ, backup.Put()) == ERROR_SUCCESS &&
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, kParametersKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.Put(),
                            nullptr) == ERROR_SUCCESS &&
            RegCopyTreeW(backup.Get(), nullptr, target.Get()) == ERROR_SUCCESS)
        {
            backup.Reset();
            RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\NorvikTests");
        }
    }
    CSavedParametersKey(const CSavedParametersKey&) = delete;
    CSavedParametersKey& operator=(const CSavedParametersKey&) = delete;

    bool Saved() const { return m_saved; }

private:
    bool m_saved = false;
};

struct RegistryCase : NamedCase
{
    DWORD type;
    std::wstring text; // stored without a NUL of its own; `byteCount` says how much of it is written
    size_t byteCount;
    std::wstring expected;
};

size_t WithNul(const std::wstring& text)
{
    return (text.size() + 1) * sizeof(wchar_t);
}

std::wstring Terminated(std::wstring text)
{
    text += L'\0';
    return text;
}

std::wstring LongFolder(size_t length, wchar_t last)
{
    std::wstring folder = L"C:\\";
    folder.append(length - folder.size() - 1, L'a');
    folder += last;
    return folder;
}

std::vector<RegistryCase> RegistryCases()
{
    const std::wstring etc = L"C:\\windows\\system32\\drivers\\etc";
    const std::wstring expandable = L"%SystemRoot%\\System32\\drivers\\etc";
    const std::wstring longest = LongFolder(255, L'b');
    const std::wstring longestSlash = LongFolder(255, L'\\');
    const std::wstring tooLong = LongFolder(256, L'b');
    return {
        {{"PlainFolder"}, REG_SZ, Terminated(etc), WithNul(etc), etc + L"\\hosts"},
        {{"TrailingBackslashNotDoubled"}, REG_SZ, Terminated(etc + L"\\"), WithNul(etc + L"\\"), etc + L"\\hosts"},
        {{"DriveRoot"}, REG_SZ, Terminated(L"D:\\"), WithNul(L"D:\\"), L"D:\\hosts"},
        {{"ExpandableKeptUnexpanded"},
         REG_EXPAND_SZ,
         Terminated(expandable),
         WithNul(expandable),
         expandable + L"\\hosts"},
        {{"LongestFolder255"}, REG_SZ, Terminated(longest), WithNul(longest), longest + L"\\hosts"},
        {{"LongestFolder255WithBackslash"},
         REG_SZ,
         Terminated(longestSlash),
         WithNul(longestSlash),
         longestSlash + L"hosts"},
        {{"FolderOf256TooLong"}, REG_SZ, Terminated(tooLong), WithNul(tooLong), L""},
        {{"FolderOf256FillingBufferWithoutNul"}, REG_SZ, tooLong, tooLong.size() * sizeof(wchar_t), L""},
        // Not the relative "hosts": that would name a file in whatever folder the host is in.
        {{"EmptyText"}, REG_SZ, Terminated(L""), sizeof(wchar_t), L""},
        {{"NoBytes"}, REG_SZ, L"", 0, L""},
        {{"NotTerminated"}, REG_SZ, etc, etc.size() * sizeof(wchar_t), L""},
        {{"OddByteCount"}, REG_SZ, Terminated(etc) + L"x", WithNul(etc) + 1, L""},
        {{"MultiString"}, REG_MULTI_SZ, Terminated(Terminated(etc)), WithNul(etc) + sizeof(wchar_t), L""},
        {{"Binary"}, REG_BINARY, Terminated(etc), WithNul(etc), L""},
        {{"Dword"}, REG_DWORD, L"C", 4, L""},
    };
}

using HostsFilePathRegistry = CaseTest<RegistryCase>;

TEST_P(HostsFilePathRegistry, BuildsPathFromDataBasePath)
{
    const RegistryCase& c = GetParam();
    const CSavedRegistryValue saved = SavedDataBasePath();
    ASSERT_TRUE(saved.Set(c.type, c.text, static_cast<DWORD>(c.byteCount)));
    EXPECT_EQ(c.expected, GetHostsFilePath());
}

CASE_TABLE_IN(Values, HostsFilePathRegistry, RegistryCases());

TEST(HostsFilePath, MissingValueGivesEmptyPath)
{
    const CSavedRegistryValue saved = SavedDataBasePath();
    ASSERT_TRUE(saved.Delete());
    EXPECT_EQ(L"", GetHostsFilePath());
}

TEST(HostsFilePath, MissingKeyGivesEmptyPath)
{
    CSavedParametersKey saved;
    ASSERT_TRUE(saved.Saved());
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_LOCAL_MACHINE, kParametersKey));
    EXPECT_EQ(L"", GetHostsFilePath());
}

// The value the prefix came with leads to its real hosts file (only looked at, never opened).
TEST(HostsFilePath, PrefixValueNamesExistingHostsFile)
{
    const CSavedRegistryValue saved = SavedDataBasePath();
    ASSERT_TRUE(saved.Present());
    const std::wstring path = GetHostsFilePath();
    std::wstring folder = saved.Text();
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    EXPECT_EQ(folder + L"\\hosts", path);
    wchar_t expanded[1024];
    ASSERT_GT(ExpandEnvironmentStringsW(path.c_str(), expanded, 1024), 0u);
    const DWORD attributes = GetFileAttributesW(expanded);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << testfiles::Narrow(expanded);
    EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace
