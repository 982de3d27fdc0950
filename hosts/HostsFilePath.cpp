#include "hosts/HostsFilePath.h"

#include "ui/UniqueHandle.h"

namespace
{
const wchar_t kParametersKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const wchar_t kDataBasePath[] = L"DataBasePath";
const DWORD kMaxChars = 256;
} // namespace

std::wstring GetHostsFilePath()
{
    CRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParametersKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return std::wstring();

    wchar_t buffer[kMaxChars] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(key.Get(), kDataBasePath, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::wstring();
    if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0 || buffer[size / sizeof(wchar_t) - 1] != L'\0')
        return std::wstring();

    std::wstring path(buffer);
    // An empty value would make "hosts" relative to whatever the host's current folder is.
    if (path.empty())
        return path;
    if (path.back() != L'\\')
        path += L'\\';
    path += L"hosts";
    return path;
}
