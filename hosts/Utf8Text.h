#pragma once

#include <string>
#include <string_view>

// UTF-8 as a hosts file may hold it, to and from UTF-16 (in wchar_t units on every platform):
// strictly, so that what decodes encodes back to the same bytes. Overlong forms, surrogates,
// code points above U+10FFFF and cut sequences are not UTF-8.
class CUtf8Text
{
public:
    static constexpr std::string_view kMark = "\xEF\xBB\xBF";

    static bool StartsWithMark(std::string_view bytes) { return bytes.substr(0, kMark.size()) == kMark; }
    // Decodes onto the end of `text`; false, with `text` as it was, when `bytes` are not UTF-8.
    // `beyondAscii` is set when a byte of 0x80 or more was decoded.
    static bool DecodeAppend(std::string_view bytes, std::wstring& text, bool& beyondAscii);
    // False, with `bytes` as they were, for an unpaired surrogate.
    static bool EncodeAppend(std::wstring_view text, std::string& bytes);
};
