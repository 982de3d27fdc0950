#include "win32/Registry.h"

#include "win32/UniqueHandle.h"

#include <vector>

std::wstring ReadRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD maxChars)
{
    CRegKey key;
    if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return std::wstring();
    std::vector<wchar_t> buffer(maxChars, L'\0');
    DWORD type = 0;
    DWORD size = maxChars * sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::wstring();
    if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0 || buffer[size / sizeof(wchar_t) - 1] != L'\0')
        return std::wstring();
    return std::wstring(buffer.data());
}

bool ReadRegistryText(HKEY root, const std::wstring& subkey, const wchar_t* name, std::wstring& text)
{
    CRegKey key;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return false;
    std::vector<BYTE> data(256);
    for (;;)
    {
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status = RegQueryValueExW(key.Get(), name, nullptr, nullptr, data.data(), &size);
        if (status == ERROR_MORE_DATA && size > data.size())
        {
            data.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return false;
        const wchar_t* units = reinterpret_cast<const wchar_t*>(data.data());
        size_t length = 0;
        while (length < size / sizeof(wchar_t) && units[length] != L'\0')
            ++length;
        text.assign(units, length);
        return true;
    }
}
