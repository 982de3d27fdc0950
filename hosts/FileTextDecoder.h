#pragma once

#include <functional>
#include <string>
#include <string_view>

enum class TextEncoding
{
    Ansi,         // the system's ANSI code page
    Utf8,         // UTF-8 without a mark
    Utf8WithMark, // UTF-8 after the byte-order mark EF BB BF
};

// Decodes a file's pieces in order and finds its encoding on the way, in the one pass: a file
// that starts with the mark, or whose bytes above 0x7F all form UTF-8, is UTF-8; every other
// file is decoded in the ANSI code page exactly as if nothing else were tried.
class CFileTextDecoder
{
public:
    // Decodes a piece in the ANSI code page onto the end of the text; false when it cannot.
    using AnsiDecode = std::function<bool(std::string_view piece, std::wstring& text)>;
    enum class Step
    {
        Decoded,
        Failed,  // not in the ANSI code page either
        Restart, // UTF-8 so far but not here: the text goes, and the file is decoded again
                 // from its first piece, in the ANSI code page
    };

    explicit CFileTextDecoder(AnsiDecode ansi) : m_ansi(std::move(ansi)) {}

    // Pieces must end between characters (after a line break).
    Step Decode(std::string_view piece, std::wstring& text);
    TextEncoding Encoding() const;
    // Not decided for the ANSI code page yet: a line that is UTF-8 is no fault of the file.
    bool MayBeUtf8() const { return !m_ansiOnly; }

private:
    AnsiDecode m_ansi;
    bool m_first = true;
    bool m_ansiOnly = false; // decided: the ANSI code page
    bool m_mark = false;
    bool m_beyondAscii = false; // UTF-8 above 0x7F decoded
};
