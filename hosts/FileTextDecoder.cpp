#include "hosts/FileTextDecoder.h"

#include "hosts/Utf8Text.h"

#include <utility>

CFileTextDecoder::Step CFileTextDecoder::Decode(std::string_view piece, std::wstring& text)
{
    // The mark is no part of the first line: the system skips it too.
    if (std::exchange(m_first, false) && CUtf8Text::StartsWithMark(piece))
    {
        m_mark = true;
        piece.remove_prefix(CUtf8Text::kMark.size());
    }
    if (!m_ansiOnly)
    {
        bool beyondAscii = false;
        if (CUtf8Text::DecodeAppend(piece, text, beyondAscii))
        {
            m_beyondAscii = m_beyondAscii || beyondAscii;
            return Step::Decoded;
        }
        m_ansiOnly = true;
        // Only ASCII so far reads the same in the ANSI code page; anything else does not.
        if (m_mark || m_beyondAscii)
            return Step::Restart;
    }
    return m_ansi(piece, text) ? Step::Decoded : Step::Failed;
}

TextEncoding CFileTextDecoder::Encoding() const
{
    if (m_ansiOnly)
        return TextEncoding::Ansi;
    if (m_mark)
        return TextEncoding::Utf8WithMark;
    return m_beyondAscii ? TextEncoding::Utf8 : TextEncoding::Ansi;
}
