#include "hosts/HostsFilePath.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <ostream>
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

// Puts "DataBasePath" back as it was, byte for byte, when the test ends: the other tests
// of the run read the same value.
class CSavedDataBasePath
{
public:
    CSavedDataBasePath()
    {
        CRegKey key = OpenParameters(KEY_READ);
        DWORD size = 0;
        if (!key || RegQueryValueExW(key.Get(), kValueName, nullptr, &m_type, nullptr, &size) != ERROR_SUCCESS)
            return;
        m_bytes.resize(size);
        m_present = RegQueryValueExW(key.Get(), kValueName, nullptr, &m_type, m_bytes.data(), &size) == ERROR_SUCCESS;
        m_bytes.resize(size);
    }
    ~CSavedDataBasePath()
    {
        CRegKey key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kParametersKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                            nullptr) != ERROR_SUCCESS)
            return;
        if (m_present)
            RegSetValueExW(key.Get(), kValueName, 0, m_type, m_bytes.data(), static_cast<DWORD>(m_bytes.size()));
        else
            RegDeleteValueW(key.Get(), kValueName);
    }
    CSavedDataBasePath(const CSavedDataBasePath&) = delete;
    CSavedDataBasePath& operator=(const CSavedDataBasePath&) = delete;

    bool Present() const { return m_present; }
    DWORD Type() const { return m_type; }
    std::wstring Text() const
    {
        std::wstring text(reinterpret_cast<const wchar_t*>(m_bytes.data()), m_bytes.size() / sizeof(wchar_t));
        return text.substr(0, text.find(L'\0'));
    }

private:
    bool m_present = false;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_bytes;
};

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

struct RegistryCase
{
    const char* name;
    DWORD type;
    std::wstring text; // stored without a NUL of its own; `byteCount` says how much of it is written
    size_t byteCount;
    std::wstring expected;
};

void PrintTo(const RegistryCase& c, std::ostream* os)
{
    *os << c.name;
}

// Registry data of `text`, written with exactly `byteCount` bytes. A non-NUL guard follows the
// data so that RegSetValueExW does not add a missing terminator on its own (NT does that when
// the character after the data is NUL).
LONG SetDataBasePath(DWORD type, const std::wstring& text, size_t byteCount)
{
    CRegKey key = OpenParameters(KEY_SET_VALUE);
    if (!key)
        return ERROR_FILE_NOT_FOUND;
    std::wstring data = text + L"ZZZZ";
    return RegSetValueExW(key.Get(), kValueName, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(byteCount));
}

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
        {"PlainFolder", REG_SZ, Terminated(etc), WithNul(etc), etc + L"\\hosts"},
        {"TrailingBackslashNotDoubled", REG_SZ, Terminated(etc + L"\\"), WithNul(etc + L"\\"), etc + L"\\hosts"},
        {"DriveRoot", REG_SZ, Terminated(L"D:\\"), WithNul(L"D:\\"), L"D:\\hosts"},
        {"ExpandableKeptUnexpanded", REG_EXPAND_SZ, Terminated(expandable), WithNul(expandable),
         expandable + L"\\hosts"},
        {"LongestFolder255", REG_SZ, Terminated(longest), WithNul(longest), longest + L"\\hosts"},
        {"LongestFolder255WithBackslash", REG_SZ, Terminated(longestSlash), WithNul(longestSlash),
         longestSlash + L"hosts"},
        {"FolderOf256TooLong", REG_SZ, Terminated(tooLong), WithNul(tooLong), L""},
        {"FolderOf256FillingBufferWithoutNul", REG_SZ, tooLong, tooLong.size() * sizeof(wchar_t), L""},
        // Not the relative "hosts": that would name a file in whatever folder the host is in.
        {"EmptyText", REG_SZ, Terminated(L""), sizeof(wchar_t), L""},
        {"NoBytes", REG_SZ, L"", 0, L""},
        {"NotTerminated", REG_SZ, etc, etc.size() * sizeof(wchar_t), L""},
        {"OddByteCount", REG_SZ, Terminated(etc) + L"x", WithNul(etc) + 1, L""},
        {"MultiString", REG_MULTI_SZ, Terminated(Terminated(etc)), WithNul(etc) + sizeof(wchar_t), L""},
        {"Binary", REG_BINARY, Terminated(etc), WithNul(etc), L""},
        {"Dword", REG_DWORD, L"C", 4, L""},
    };
}

class HostsFilePathRegistry : public ::testing::TestWithParam<RegistryCase>
{
};

TEST_P(HostsFilePathRegistry, BuildsPathFromDataBasePath)
{
    const RegistryCase& c = GetParam();
    CSavedDataBasePath saved;
    ASSERT_EQ(ERROR_SUCCESS, SetDataBasePath(c.type, c.text, c.byteCount));
    EXPECT_EQ(c.expected, GetHostsFilePath());
}

INSTANTIATE_TEST_SUITE_P(Values, HostsFilePathRegistry, ::testing::ValuesIn(RegistryCases()),
                         [](const ::testing::TestParamInfo<RegistryCase>& info) { return info.param.name; });

TEST(HostsFilePath, MissingValueGivesEmptyPath)
{
    CSavedDataBasePath saved;
    CRegKey key = OpenParameters(KEY_SET_VALUE);
    ASSERT_TRUE(key);
    RegDeleteValueW(key.Get(), kValueName);
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
    CSavedDataBasePath saved;
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
