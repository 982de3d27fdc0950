#include "hosts/HostsFilePath.h"

#include "win32/Registry.h"

std::wstring GetHostsFilePath()
{
    std::wstring path = ReadRegistryString(
        HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", L"DataBasePath", 256);
    // An empty value would make "hosts" relative to whatever the host's current folder is.
    if (path.empty())
        return path;
    if (path.back() != L'\\')
        path += L'\\';
    path += L"hosts";
    return path;
}
