#include "hosts/AnsiCodec.h"

#include <climits>

namespace
{
UINT UserAnsiCodePage()
{
    DWORD codePage = 0;
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(wchar_t)) == 0 ||
        codePage == 0)
        return GetACP();
    return codePage;
}
} // namespace

CAnsiCodec::CAnsiCodec() : m_codePage(UserAnsiCodePage()) {}

bool CAnsiCodec::Decode(std::string_view bytes, std::wstring& text) const
{
    text.clear();
    return DecodeAppend(bytes, text);
}

bool CAnsiCodec::DecodeAppend(std::string_view bytes, std::wstring& text) const
{
    if (bytes.empty())
        return true;
    if (bytes.size() > INT_MAX)
        return false;
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(m_codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0)
        return false;
    const size_t start = text.size();
    text.resize(start + static_cast<size_t>(needed));
    if (MultiByteToWideChar(m_codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data() + start, needed) ==
        needed)
        return true;
    text.resize(start);
    return false;
}

bool CAnsiCodec::Encode(std::wstring_view text, std::string& bytes) const
{
    bytes.clear();
    if (text.empty())
        return true;
    if (text.size() > INT_MAX)
        return false;
    const int length = static_cast<int>(text.size());
    // UTF-8 reports unpaired surrogates through the flag; the others through the default-char flag.
    const bool utf8 = m_codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int needed = WideCharToMultiByte(m_codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (needed <= 0 || usedDefault)
        return false;
    bytes.resize(needed);
    const int written =
        WideCharToMultiByte(m_codePage, flags, text.data(), length, bytes.data(), needed, nullptr, usedDefaultOut);
    return written == needed && !usedDefault;
}
