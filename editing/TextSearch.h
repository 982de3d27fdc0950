#pragma once

#include <cstddef>
#include <string_view>

// The text view's search from its selection: down, the first occurrence of `what` starting at
// the caret when nothing is selected, or after the selection's first character (so that a
// repeated search moves on); up, the last one ending at or before the selection's start.
// npos when there is none.
size_t FindInText(std::wstring_view text, std::wstring_view what, size_t selectionStart, size_t selectionEnd,
                  bool down);
