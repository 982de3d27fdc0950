#pragma once

// Puts one registry value back as it was, byte for byte, when a test ends: the other tests of
// the run share the prefix's registry.

#include "win32/UniqueHandle.h"

#include <windows.h>

#include <string>
#include <vector>

class CSavedRegistryValue
{
public:
    CSavedRegistryValue(HKEY root, std::wstring subkey, std::wstring name)
        : m_root(root), m_subkey(std::move(subkey)), m_name(std::move(name))
    {
        CRegKey key;
        DWORD size = 0;
        if (RegOpenKeyExW(m_root, m_subkey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS ||
            RegQueryValueExW(key.Get(), m_name.c_str(), nullptr, &m_type, nullptr, &size) != ERROR_SUCCESS)
            return;
        m_bytes.resize(size);
        m_present =
            RegQueryValueExW(key.Get(), m_name.c_str(), nullptr, &m_type, m_bytes.data(), &size) == ERROR_SUCCESS;
        m_bytes.resize(size);
    }
    ~CSavedRegistryValue()
    {
        CRegKey key;
        if (RegCreateKeyExW(m_root, m_subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr) !=
            ERROR_SUCCESS)
            return;
        if (m_present)
            RegSetValueExW(key.Get(), m_name.c_str(), 0, m_type, m_bytes.data(), static_cast<DWORD>(m_bytes.size()));
        else
            RegDeleteValueW(key.Get(), m_name.c_str());
    }
    CSavedRegistryValue(const CSavedRegistryValue&) = delete;
    CSavedRegistryValue& operator=(const CSavedRegistryValue&) = delete;

    // Writes `byteCount` bytes of `text` (a terminator included only when the count covers it).
    bool Set(DWORD type, const std::wstring& text, DWORD byteCount) const
    {
        CRegKey key;
        if (RegCreateKeyExW(m_root, m_subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr) !=
            ERROR_SUCCESS)
            return false;
        // A non-NUL guard right after the data keeps RegSetValueExW from adding a terminator itself.
        std::wstring data = text;
        data.push_back(L'\0');
        const size_t next = byteCount / sizeof(wchar_t);
        if (next >= data.size())
            data.resize(next + 1, L'#');
        else
            data[next] = L'#';
        return RegSetValueExW(key.Get(), m_name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                              byteCount) == ERROR_SUCCESS;
    }
    bool Set(DWORD type, const std::wstring& text) const
    {
        return Set(type, text, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    bool Delete() const
    {
        CRegKey key;
        return RegOpenKeyExW(m_root, m_subkey.c_str(), 0, KEY_SET_VALUE, key.Put()) == ERROR_SUCCESS &&
               RegDeleteValueW(key.Get(), m_name.c_str()) == ERROR_SUCCESS;
    }

    bool Present() const { return m_present; }
    // The saved data as text, up to its first NUL.
    std::wstring Text() const
    {
        std::wstring text(reinterpret_cast<const wchar_t*>(m_bytes.data()), m_bytes.size() / sizeof(wchar_t));
        return text.substr(0, text.find(L'\0'));
    }

private:
    HKEY m_root;
    std::wstring m_subkey;
    std::wstring m_name;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_bytes;
    bool m_present = false;
};
