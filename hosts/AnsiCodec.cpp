#include "hosts/AnsiCodec.h"

#include "hosts/Utf8Text.h"

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

CAnsiCodec::CAnsiCodec() : CAnsiCodec(UserAnsiCodePage()) {}

CAnsiCodec::CAnsiCodec(UINT codePage) : m_codePage(codePage)
{
    CPINFO info = {};
    if (GetCPInfo(codePage, &info) && info.MaxCharSize > 0)
        m_maxCharSize = static_cast<int>(info.MaxCharSize);
    char bytes[128];
    wchar_t units[128];
    for (int i = 0; i < 128; ++i)
        bytes[i] = static_cast<char>(i);
    m_asciiSame = MultiByteToWideChar(codePage, 0, bytes, 128, units, 128) == 128;
    for (int i = 0; i < 128 && m_asciiSame; ++i)
        m_asciiSame = units[i] == static_cast<wchar_t>(i);
}

bool CAnsiCodec::Decode(std::string_view bytes, std::wstring& text) const
{
    text.clear();
    return DecodeAppend(bytes, text);
}

bool CAnsiCodec::DecodeAppend(std::string_view bytes, std::wstring& text) const
{
    if (bytes.empty())
        return true;
    // Strictly, the same on every Windows: what decodes encodes back to the same bytes.
    if (m_codePage == CP_UTF8)
    {
        bool beyondAscii = false;
        return CUtf8Text::DecodeAppend(bytes, text, beyondAscii);
    }
    if (bytes.size() > INT_MAX)
        return false;
    // A byte gives at most one UTF-16 unit: the text is sized once, without a measuring pass.
    const size_t start = text.size();
    text.resize(start + bytes.size());
    wchar_t* out = text.data() + start;
    size_t ascii = 0;
    if (m_asciiSame)
    {
        while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80)
        {
            out[ascii] = static_cast<wchar_t>(bytes[ascii]);
            ++ascii;
        }
        if (ascii == bytes.size())
            return true;
    }
    // The run ends before a byte of 0x80 or more, which begins a character.
    const int rest = static_cast<int>(bytes.size() - ascii);
    const int converted =
        MultiByteToWideChar(m_codePage, MB_ERR_INVALID_CHARS, bytes.data() + ascii, rest, out + ascii, rest);
    if (converted <= 0)
    {
        text.resize(start);
        return false;
    }
    text.resize(start + ascii + static_cast<size_t>(converted));
    return true;
}

bool CAnsiCodec::Encode(std::wstring_view text, std::string& bytes) const
{
    bytes.clear();
    if (text.empty())
        return true;
    if (m_codePage == CP_UTF8)
        return CUtf8Text::EncodeAppend(text, bytes);
    size_t ascii = 0;
    if (m_asciiSame)
    {
        bytes.resize(text.size());
        while (ascii < text.size() && text[ascii] < 0x80)
        {
            bytes[ascii] = static_cast<char>(text[ascii]);
            ++ascii;
        }
        if (ascii == text.size())
            return true;
    }
    // The run ends before a unit of 0x80 or more, never inside a surrogate pair.
    const size_t rest = text.size() - ascii;
    if (rest > static_cast<size_t>(INT_MAX / m_maxCharSize))
        return false;
    const int length = static_cast<int>(rest);
    const int room = length * m_maxCharSize;
    bytes.resize(ascii + static_cast<size_t>(room));
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, text.data() + ascii, length,
                                            bytes.data() + ascii, room, nullptr, &usedDefault);
    if (written <= 0 || usedDefault)
        return false;
    bytes.resize(ascii + static_cast<size_t>(written));
    return true;
}
