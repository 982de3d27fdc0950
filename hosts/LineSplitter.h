#pragma once

#include <string_view>
#include <vector>

// Splits file bytes the way a text-mode read does: CR LF and a lone LF end a line and are
// not part of it; a lone CR stays in the line; a final line break adds no empty line.
class CLineSplitter
{
public:
    template <class Char>
    static std::vector<std::basic_string_view<Char>> Split(std::basic_string_view<Char> text)
    {
        std::vector<std::basic_string_view<Char>> lines;
        size_t start = 0;
        while (start < text.size())
        {
            size_t end = text.find(Char('\n'), start);
            if (end == std::basic_string_view<Char>::npos)
            {
                lines.push_back(text.substr(start));
                break;
            }
            size_t length = end - start;
            if (length > 0 && text[end - 1] == Char('\r'))
                --length;
            lines.push_back(text.substr(start, length));
            start = end + 1;
        }
        return lines;
    }
};
