#include "hosts/Utf8Text.h"

namespace
{
// The length of the sequence a lead byte begins, and the bits it carries; 0 for a byte that
// begins none (a continuation byte, C0 and C1 which only overlong forms use, F5 and above).
int SequenceLength(unsigned char lead, char32_t& point)
{
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        point = lead & 0x1Fu;
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF)
    {
        point = lead & 0x0Fu;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4)
    {
        point = lead & 0x07u;
        return 4;
    }
    return 0;
}

// The least code point each length may carry: below it the form is overlong.
constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
} // namespace

bool CUtf8Text::DecodeAppend(std::string_view bytes, std::wstring& text, bool& beyondAscii)
{
    const size_t start = text.size();
    // A byte gives at most one UTF-16 unit (four bytes give two): sized once, cut at the end.
    text.resize(start + bytes.size());
    wchar_t* out = text.data() + start;
    for (size_t i = 0; i < bytes.size();)
    {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80)
        {
            *out++ = static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        char32_t point = 0;
        const int length = SequenceLength(lead, point);
        bool valid = length > 0 && bytes.size() - i >= static_cast<size_t>(length);
        for (int k = 1; valid && k < length; ++k)
        {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0u) == 0x80u;
            point = (point << 6) | (next & 0x3Fu);
        }
        if (!valid || point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        {
            text.resize(start);
            return false;
        }
        beyondAscii = true;
        if (point >= 0x10000)
        {
            *out++ = static_cast<wchar_t>(0xD800 + ((point - 0x10000) >> 10));
            *out++ = static_cast<wchar_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
        else
        {
            *out++ = static_cast<wchar_t>(point);
        }
        i += static_cast<size_t>(length);
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return true;
}

bool CUtf8Text::EncodeAppend(std::wstring_view text, std::string& bytes)
{
    const size_t start = bytes.size();
    // Three bytes at most for each UTF-16 unit (a pair's four for its two).
    bytes.resize(start + text.size() * 3);
    char* out = bytes.data() + start;
    for (size_t i = 0; i < text.size(); ++i)
    {
        char32_t point = static_cast<char32_t>(text[i]) & 0xFFFFu;
        if (point < 0x80)
        {
            *out++ = static_cast<char>(point);
            continue;
        }
        if (point >= 0xD800 && point <= 0xDFFF)
        {
            const char32_t low = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) & 0xFFFFu : 0;
            if (point > 0xDBFF || low < 0xDC00 || low > 0xDFFF)
            {
                bytes.resize(start);
                return false;
            }
            point = 0x10000 + ((point - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        if (point < 0x800)
        {
            *out++ = static_cast<char>(0xC0 | (point >> 6));
        }
        else if (point < 0x10000)
        {
            *out++ = static_cast<char>(0xE0 | (point >> 12));
            *out++ = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        }
        else
        {
            *out++ = static_cast<char>(0xF0 | (point >> 18));
            *out++ = static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        }
        *out++ = static_cast<char>(0x80 | (point & 0x3F));
    }
    bytes.resize(static_cast<size_t>(out - bytes.data()));
    return true;
}
