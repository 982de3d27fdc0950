#include "paths/PathResolver.h"

#include "win32/Registry.h"
#include "win32/UniqueHandle.h"

#include <sddl.h>

#include <memory>
#include <vector>

namespace
{
const wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

struct StartupMacro
{
    const wchar_t* macro;
    bool userHive;
    const wchar_t* subkey;
    const wchar_t* value;
};

// Read in this order: a folder already taken by an earlier macro is not taken again.
const StartupMacro kStartupMacros[] = {
    {L"?commonstartup?", false, L"Shell Folders", L"Common Startup"},
    {L"?userstartup?", true, L"user Shell Folders", L"Startup"},
    {L"?commonaltstartup?", false, L"Shell Folders", L"Common AltStartup"},
    {L"?usercommonstartup?", false, L"user Shell Folders", L"Common Startup"},
    {L"?usercommonaltstartup?", false, L"user Shell Folders", L"Common AltStartup"},
    {L"?shellstartup?", true, L"Shell Folders", L"Startup"},
    {L"?shellaltstartup?", true, L"Shell Folders", L"AltStartup"},
    {L"?useraltstartup?", true, L"user Shell Folders", L"AltStartup"},
};

struct LocalFreeDeleter
{
    void operator()(wchar_t* text) const { LocalFree(text); }
};

std::wstring ExpandEnvironment(const std::wstring& text)
{
    DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    while (size != 0)
    {
        std::vector<wchar_t> buffer(size);
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), size);
        if (needed == 0)
            break;
        // The environment may have grown between the two calls.
        if (needed > size)
        {
            size = needed;
            continue;
        }
        return std::wstring(buffer.data());
    }
    return text;
}
} // namespace

std::wstring CPathResolver::GetDefaultUserName()
{
    return ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
                              L"DefaultUserName", 512);
}

bool CPathResolver::FileExists(const std::wstring& path)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr));
    return file.IsValid();
}

void CPathResolver::LookUpUserSid()
{
    m_strUserSid.clear();
    if (m_strUserName.empty())
        return;
    DWORD sidSize = SECURITY_MAX_SID_SIZE;
    DWORD domainSize = 128;
    std::vector<BYTE> sid(sidSize);
    std::vector<wchar_t> domain(domainSize);
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, m_strUserName.c_str(), sid.data(), &sidSize, domain.data(), &domainSize, &use))
    {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return;
        sid.resize(sidSize > sid.size() ? sidSize : sid.size());
        domain.resize(domainSize > domain.size() ? domainSize : domain.size());
        sidSize = static_cast<DWORD>(sid.size());
        domainSize = static_cast<DWORD>(domain.size());
        if (!LookupAccountNameW(nullptr, m_strUserName.c_str(), sid.data(), &sidSize, domain.data(), &domainSize, &use))
            return;
    }
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid.data(), &text))
        return;
    std::unique_ptr<wchar_t, LocalFreeDeleter> owned(text);
    m_strUserSid = owned.get();
}

void CPathResolver::Initialize(const std::wstring& userName)
{
    m_strUserName = userName;
    LookUpUserSid();

    for (const StartupMacro& row : kStartupMacros)
    {
        std::wstring folder;
        bool read = false;
        // Without the account's identifier its hive cannot be named.
        if (!row.userHive)
            read = ReadRegistryText(HKEY_LOCAL_MACHINE, std::wstring(kExplorerKey) + row.subkey, row.value, folder);
        else if (!m_strUserSid.empty())
            read = ReadRegistryText(HKEY_USERS, m_strUserSid + L"\\" + kExplorerKey + row.subkey, row.value, folder);
        // Normalized with the macros read so far.
        m_rewriter.SetMacroFolder(row.macro, read ? NormalizePath(folder) : std::wstring());
    }

    std::wstring tasks;
    if (!ReadRegistryText(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\SchedulingAgent", L"TasksFolder", tasks) ||
        tasks.empty())
        tasks = NormalizePath(L"%windir%\\Tasks");
    m_rewriter.SetTasksFolder(tasks);
}

std::wstring CPathResolver::NormalizePath(const std::wstring& path) const
{
    return ExpandEnvironment(m_rewriter.Rewrite(path));
}
