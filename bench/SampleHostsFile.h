#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// A blocklist-style hosts file as the big public lists look: section headers, blank lines,
// disabled entries, lines with several names, inline comments and IPv6 lines. CR LF breaks.
// The lines come a block at a time, so that a big file can be written without holding it
// whole in the process whose memory is measured.
class CSampleHostsLines
{
public:
    // `utf8`: the comments in Russian and Japanese, as a list saved by Notepad in UTF-8 has them.
    explicit CSampleHostsLines(int lineCount, bool utf8 = false) : m_lineCount(lineCount), m_utf8(utf8) {}

    bool Done() const { return m_index >= m_lineCount; }

    // Appends whole lines until `text` holds at least `size` bytes or the file is complete.
    void AppendTo(std::string& text, size_t size)
    {
        char line[160];
        for (; m_index < m_lineCount && text.size() < size; ++m_index)
        {
            const int i = m_index;
            const unsigned pick = Next() % 100;
            const unsigned id = Next() % 1000000;
            if (i % 1000 == 0)
                std::snprintf(line, sizeof(line), "# ---- section %d: %s ----", i / 1000,
                              m_utf8 ? "\xD1\x80\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0 "
                                       "\xE5\xBA\x83\xE5\x91\x8A"
                                     : "advertising and tracking servers");
            else if (i % 1000 == 1 || (pick >= 13 && pick < 15))
                std::snprintf(line, sizeof(line), "%s", "");
            else if (pick < 2)
                std::snprintf(line, sizeof(line), "::1 ad%u.example.net", id);
            else if (pick < 7)
                std::snprintf(line, sizeof(line), "# 0.0.0.0 track%u.example.org", id);
            else if (pick < 10)
                std::snprintf(line, sizeof(line), "0.0.0.0 a%u.example.com www.a%u.example.com", id, id);
            else if (pick < 13)
                std::snprintf(line, sizeof(line), "0.0.0.0 s%u.example.com # %s", id,
                              m_utf8 ? "\xE5\xA0\xB1\xE5\x91\x8A\xE6\xB8\x88\xE3\x81\xBF" : "reported");
            else
                std::snprintf(line, sizeof(line), "0.0.0.0 ad%u.example.com", id);
            text += line;
            text += "\r\n";
        }
    }

private:
    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

    int m_lineCount;
    bool m_utf8;
    int m_index = 0;
    uint32_t m_state = 12345;
};

inline std::string MakeSampleHostsFile(int lineCount, bool utf8 = false)
{
    std::string text;
    text.reserve(static_cast<size_t>(lineCount) * 32);
    CSampleHostsLines(lineCount, utf8).AppendTo(text, SIZE_MAX);
    return text;
}
