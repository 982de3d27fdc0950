#pragma once

#include <windows.h>

#include <string>

// A string value (REG_SZ or REG_EXPAND_SZ, not expanded) that fits in maxChars units with its
// terminator and really ends in one; empty when the key or value is missing or unusable.
std::wstring ReadRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD maxChars);

// Any value's data taken as UTF-16 text up to its first zero unit, whatever its type and size.
bool ReadRegistryText(HKEY root, const std::wstring& subkey, const wchar_t* name, std::wstring& text);
