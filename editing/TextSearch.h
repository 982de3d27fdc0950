#pragma once

#include <cstddef>
#include <string_view>

// The text view's search from a selection that starts at `selectionStart`: down, the first
// occurrence of `what` starting after that point; up, the last one ending at or before it.
// npos when there is none.
size_t FindInText(std::wstring_view text, std::wstring_view what, size_t selectionStart, bool down);
