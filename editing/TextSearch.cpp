#include "editing/TextSearch.h"

#include <algorithm>

size_t FindInText(std::wstring_view text, std::wstring_view what, size_t selectionStart, size_t selectionEnd, bool down)
{
    if (down)
    {
        // Past a selection's first character, so that the same match is not found again; a
        // bare caret is no match yet, and one right at it counts.
        const size_t from = selectionEnd > selectionStart ? selectionStart + 1 : selectionStart;
        return from <= text.size() ? text.find(what, from) : std::wstring_view::npos;
    }
    // Wholly within the characters before the selection.
    const size_t room = std::min(selectionStart, text.size());
    if (selectionStart == 0 || what.size() > room)
        return std::wstring_view::npos;
    return text.rfind(what, room - what.size());
}
