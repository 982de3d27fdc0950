#include "paths/PathResolver.h"

#include "SavedRegistryValue.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const wchar_t kWinlogon[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::wstring kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

std::wstring WindowsFolder()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length);
}

std::wstring CurrentUser()
{
    wchar_t name[256];
    DWORD size = 256;
    return GetUserNameW(name, &size) ? name : L"";
}

struct UserNameCase
{
    const char* what;
    DWORD type;
    std::wstring text;
    DWORD byteCount; // 0: the text and its terminator
    std::wstring expected;
};

TEST(PathResolver, DefaultUserNameAcceptsOnlyTerminatedStringsThatFit)
{
    const std::wstring longest(511, L'u');
    const std::wstring tooLong(512, L'u');
    const std::vector<UserNameCase> cases = {
        {"plain", REG_SZ, L"alice", 0, L"alice"},
        {"not expanded", REG_EXPAND_SZ, L"%USERNAME%", 0, L"%USERNAME%"},
        {"511 units and terminator", REG_SZ, longest, 0, longest},
        {"512 units and terminator", REG_SZ, tooLong, 0, L""},
        {"no terminator", REG_SZ, L"alice", 10, L""},
        {"odd size", REG_SZ, L"alice", 11, L""},
        {"binary", REG_BINARY, L"alice", 0, L""},
        {"multi string", REG_MULTI_SZ, L"alice", 0, L""},
    };
    CSavedRegistryValue saved(HKEY_LOCAL_MACHINE, kWinlogon, L"DefaultUserName");
    for (const auto& c : cases)
    {
        ASSERT_TRUE(c.byteCount ? saved.Set(c.type, c.text, c.byteCount) : saved.Set(c.type, c.text)) << c.what;
        EXPECT_EQ(c.expected, CPathResolver::GetDefaultUserName()) << c.what;
    }
    saved.Delete();
    EXPECT_EQ(L"", CPathResolver::GetDefaultUserName());
}

TEST(PathResolver, NormalizesTheFormsTheRegistryStoresForTheHostsFolder)
{
    const std::wstring windows = WindowsFolder();
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"%SystemRoot%\\System32\\drivers\\etc\\hosts", windows + L"\\System32\\drivers\\etc\\hosts"},
        {L"\\SystemRoot\\System32\\drivers\\etc\\hosts", windows + L"\\System32\\drivers\\etc\\hosts"},
        {L"%SystemRoot%;%SystemRoot%", windows + L";" + windows},
        // The prefix test passes, the exact-case replacement does not, nothing expands it.
        {L"\\systemroot\\System32\\hosts", L"\\systemroot\\System32\\hosts"},
        {L"D:\\etc\\hosts", L"D:\\etc\\hosts"},
        {L"%NORVIK_NO_SUCH_VARIABLE%\\hosts", L"%NORVIK_NO_SUCH_VARIABLE%\\hosts"},
        {L"", L""},
    };
    CPathResolver resolver;
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(expected, resolver.NormalizePath(path)) << path.c_str();
    resolver.Initialize(CurrentUser());
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(expected, resolver.NormalizePath(path)) << path.c_str();
}

TEST(PathResolver, StartupMacrosComeFromTheMachineAndTheUsersHive)
{
    CPathResolver probe;
    probe.Initialize(CurrentUser());
    const std::wstring sid = probe.GetUserSid();
    ASSERT_EQ(0u, sid.rfind(L"S-1-", 0)) << "no identifier for the Wine user";

    const std::wstring windows = WindowsFolder();
    CSavedRegistryValue common(HKEY_LOCAL_MACHINE, kExplorer + L"Shell Folders", L"Common Startup");
    CSavedRegistryValue userCommon(HKEY_LOCAL_MACHINE, kExplorer + L"user Shell Folders", L"Common Startup");
    CSavedRegistryValue commonAlt(HKEY_LOCAL_MACHINE, kExplorer + L"Shell Folders", L"Common AltStartup");
    CSavedRegistryValue user(HKEY_USERS, sid + L"\\" + kExplorer + L"user Shell Folders", L"Startup");
    CSavedRegistryValue shell(HKEY_USERS, sid + L"\\" + kExplorer + L"Shell Folders", L"Startup");
    ASSERT_TRUE(common.Set(REG_SZ, L"C:\\All\\Startup"));
    // The same folder again: the later macro stands for nothing.
    ASSERT_TRUE(userCommon.Set(REG_EXPAND_SZ, L"C:\\All\\Startup"));
    // Read as text whatever its type, and normalized with the macros read before it.
    ASSERT_TRUE(commonAlt.Set(REG_BINARY, L"?commonstartup?\\Alt"));
    ASSERT_TRUE(user.Set(REG_EXPAND_SZ, L"%SystemRoot%\\Profiles\\Startup"));
    shell.Delete();

    CPathResolver resolver;
    resolver.Initialize(CurrentUser());
    const auto& folders = resolver.GetMacroFolders();
    ASSERT_EQ(8u, folders.size());
    EXPECT_EQ(L"C:\\All\\Startup", folders.at(L"?commonstartup?"));
    EXPECT_EQ(L"", folders.at(L"?usercommonstartup?"));
    EXPECT_EQ(L"C:\\All\\Startup\\Alt", folders.at(L"?commonaltstartup?"));
    EXPECT_EQ(windows + L"\\Profiles\\Startup", folders.at(L"?userstartup?"));
    EXPECT_EQ(L"", folders.at(L"?shellstartup?"));

    EXPECT_EQ(windows + L"\\Profiles\\Startup\\run.lnk", resolver.NormalizePath(L"?userstartup?\\run.lnk"));
    EXPECT_EQ(L"\\run.lnk", resolver.NormalizePath(L"?usercommonstartup?\\run.lnk"));
    EXPECT_EQ(L"\\run.lnk", resolver.NormalizePath(L"?shellstartup?\\run.lnk"));
}

TEST(PathResolver, AnUnknownAccountLeavesTheUserMacrosEmpty)
{
    CPathResolver resolver;
    resolver.Initialize(L"norvik-no-such-account");
    EXPECT_EQ(L"", resolver.GetUserSid());
    EXPECT_EQ(L"", resolver.GetMacroFolders().at(L"?userstartup?"));
    EXPECT_EQ(L"\\x", resolver.NormalizePath(L"?userstartup?\\x"));
}

TEST(PathResolver, TasksFolderIsReadAsStoredOrDefaultsToTheWindowsTasksFolder)
{
    CSavedRegistryValue tasks(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\SchedulingAgent", L"TasksFolder");
    tasks.Delete();
    CPathResolver fallback;
    fallback.Initialize(CurrentUser());
    EXPECT_EQ(WindowsFolder() + L"\\Tasks", fallback.GetTasksFolder());
    EXPECT_EQ(WindowsFolder() + L"\\Tasks\\job", fallback.NormalizePath(L"?tasks?\\job"));

    ASSERT_TRUE(tasks.Set(REG_EXPAND_SZ, L"%SystemRoot%\\Jobs"));
    CPathResolver stored;
    stored.Initialize(CurrentUser());
    EXPECT_EQ(L"%SystemRoot%\\Jobs", stored.GetTasksFolder());
    // Still expanded on the way out, as every path is.
    EXPECT_EQ(WindowsFolder() + L"\\Jobs\\job", stored.NormalizePath(L"?tasks?\\job"));
}

TEST(PathResolver, FileExistsNeedsAFileThatCanBeOpenedForReading)
{
    testfiles::CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    EXPECT_FALSE(CPathResolver::FileExists(path));
    EXPECT_FALSE(CPathResolver::FileExists(L""));
    ASSERT_TRUE(testfiles::WriteBytes(path, "127.0.0.1 localhost"));
    EXPECT_TRUE(CPathResolver::FileExists(path));
    EXPECT_FALSE(CPathResolver::FileExists(folder.Path()));
    {
        CFileHandle shared(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(shared);
        EXPECT_TRUE(CPathResolver::FileExists(path));
    }
    {
        // Held without read sharing: counts as missing.
        CFileHandle exclusive(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(exclusive);
        EXPECT_FALSE(CPathResolver::FileExists(path));
    }
}
} // namespace
