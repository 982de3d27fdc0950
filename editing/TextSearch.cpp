#include "editing/TextSearch.h"

#include <algorithm>

size_t FindInText(std::wstring_view text, std::wstring_view what, size_t selectionStart, bool down)
{
    if (down)
    {
        // Past the selection's first character, so that the same match is not found again.
        const size_t from = selectionStart + 1;
        return from <= text.size() ? text.find(what, from) : std::wstring_view::npos;
    }
    // Wholly within the characters before the selection.
    const size_t room = std::min(selectionStart, text.size());
    if (selectionStart == 0 || what.size() > room)
        return std::wstring_view::npos;
    return text.rfind(what, room - what.size());
}
