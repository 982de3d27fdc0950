#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Converts between the hosts file's 8-bit text and UTF-16. Both directions refuse what the
// code page cannot carry, so nothing is silently replaced by '?'. CP_UTF8 is UTF-8 as
// CUtf8Text reads and writes it.
class CAnsiCodec
{
public:
    // The user default locale's ANSI code page.
    CAnsiCodec();
    explicit CAnsiCodec(UINT codePage);

    UINT GetCodePage() const { return m_codePage; }
    bool Decode(std::string_view bytes, std::wstring& text) const;
    // Decodes onto the end of `text`; on failure `text` is as it was.
    bool DecodeAppend(std::string_view bytes, std::wstring& text) const;
    bool Encode(std::wstring_view text, std::string& bytes) const;

private:
    UINT m_codePage;
    // Bytes of one UTF-16 unit at most, which bounds an encoding without measuring it first.
    int m_maxCharSize = 4;
    // Bytes and characters below 0x80 are the same (every ANSI code page): runs of them are
    // copied instead of converted.
    bool m_asciiSame = false;
};
