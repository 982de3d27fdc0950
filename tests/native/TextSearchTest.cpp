#include "editing/TextSearch.h"
#include "tests/wine/common/CaseTable.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const size_t kNone = std::wstring::npos;

struct TextSearchCase : NamedCase
{
    const wchar_t* text;
    const wchar_t* what;
    size_t selectionStart;
    size_t selectionEnd;
    bool down;
    size_t found;
};
using TextSearchTable = CaseTest<TextSearchCase>;
} // namespace

TEST_P(TextSearchTable, FindsFromTheSelection)
{
    const TextSearchCase& c = GetParam();
    EXPECT_EQ(c.found, FindInText(c.text, c.what, c.selectionStart, c.selectionEnd, c.down));
}

CASE_TABLE(Texts, TextSearchTable,
           // Down starts after the selection's first character: a selected match is passed over.
           TextSearchCase{{"DownSkipsTheSelectedMatch"}, L"ab ab ab", L"ab", 0, 2, true, 3},
           TextSearchCase{{"DownFromInsideAMatch"}, L"aaa", L"aa", 0, 2, true, 1},
           TextSearchCase{{"DownToTheLastMatch"}, L"ab ab", L"ab", 3, 5, true, kNone},
           // With nothing selected, down starts at the caret itself: a match there is found.
           TextSearchCase{{"DownFromTheCaretAtTheStart"}, L"ab ab", L"ab", 0, 0, true, 0},
           TextSearchCase{{"DownFromACaretInsideTheText"}, L"x ab ab", L"ab", 2, 2, true, 2},
           TextSearchCase{{"DownFromTheEnd"}, L"ab", L"b", 2, 2, true, kNone},
           TextSearchCase{{"DownPastTheEnd"}, L"ab", L"b", 7, 7, true, kNone},
           // Up: the last match that ends at or before the selection's start.
           TextSearchCase{{"UpFindsTheMatchBefore"}, L"ab ab ab", L"ab", 6, 8, false, 3},
           TextSearchCase{{"UpNotTheMatchReachingIntoTheSelection"}, L"ab ab", L"ab", 4, 4, false, 0},
           TextSearchCase{{"UpFromTheStart"}, L"ab", L"ab", 0, 0, false, kNone},
           TextSearchCase{{"UpFromPastTheEnd"}, L"x ab", L"ab", 99, 99, false, 2},
           TextSearchCase{{"LongerThanTheText"}, L"ab", L"abc", 2, 2, false, kNone},
           TextSearchCase{{"CaseCounts"}, L"AB ab", L"ab", 0, 2, true, 3});
