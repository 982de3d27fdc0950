#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// A blocklist-style hosts file as the big public lists look: section headers, blank lines,
// disabled entries, lines with several names, inline comments and IPv6 lines. CR LF breaks.
inline std::string MakeSampleHostsFile(int lineCount)
{
    std::string text;
    text.reserve(static_cast<size_t>(lineCount) * 32);
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    char line[160];
    for (int i = 0; i < lineCount; ++i)
    {
        const unsigned pick = next() % 100;
        const unsigned id = next() % 1000000;
        if (i % 1000 == 0)
            std::snprintf(line, sizeof(line), "# ---- section %d: advertising and tracking servers ----", i / 1000);
        else if (i % 1000 == 1)
            std::snprintf(line, sizeof(line), "%s", "");
        else if (pick < 2)
            std::snprintf(line, sizeof(line), "::1 ad%u.example.net", id);
        else if (pick < 7)
            std::snprintf(line, sizeof(line), "# 0.0.0.0 track%u.example.org", id);
        else if (pick < 10)
            std::snprintf(line, sizeof(line), "0.0.0.0 a%u.example.com www.a%u.example.com", id, id);
        else if (pick < 13)
            std::snprintf(line, sizeof(line), "0.0.0.0 s%u.example.com # reported", id);
        else if (pick < 15)
            std::snprintf(line, sizeof(line), "%s", "");
        else
            std::snprintf(line, sizeof(line), "0.0.0.0 ad%u.example.com", id);
        text += line;
        text += "\r\n";
    }
    return text;
}
