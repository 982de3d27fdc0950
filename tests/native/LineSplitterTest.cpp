#include "hosts/LineSplitter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace
{
struct SplitCase
{
    std::wstring text;
    std::vector<std::wstring> lines;
};

const std::vector<SplitCase>& SplitCases()
{
    static const std::vector<SplitCase> cases = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a\r\n", {L"a"}},
        {L"a\n", {L"a"}},
        {L"a\r\nb", {L"a", L"b"}},
        {L"a\r\nb\r\n", {L"a", L"b"}},
        {L"a\nb\r\nc\n", {L"a", L"b", L"c"}},
        // Empty lines count, but only a break that has text after it makes one.
        {L"\r\n", {L""}},
        {L"\n", {L""}},
        {L"\n\n", {L"", L""}},
        {L"\r\n\r\n", {L"", L""}},
        {L"a\r\n\r\n", {L"a", L""}},
        {L"a\r\n\nb", {L"a", L"", L"b"}},
        {L"\r\na", {L"", L"a"}},
        // A lone CR is text, not a break.
        {L"\r", {L"\r"}},
        {L"a\rb", {L"a\rb"}},
        {L"a\r", {L"a\r"}},
        {L"a\r\r\n", {L"a\r"}},
        {L"\r\r\n", {L"\r"}},
        {L"a\r\rb\r\n", {L"a\r\rb"}},
        {L"a\n\rb", {L"a", L"\rb"}},
        {L"\n\r", {L"", L"\r"}},
        // Blanks are kept as they are.
        {L" a \r\n\t", {L" a ", L"\t"}},
        {L"127.0.0.1 localhost\r\n# c\r\n", {L"127.0.0.1 localhost", L"# c"}},
    };
    return cases;
}

template <class Char>
std::vector<std::basic_string<Char>> SplitToStrings(const std::basic_string<Char>& text)
{
    std::vector<std::basic_string<Char>> lines;
    for (std::basic_string_view<Char> line : CLineSplitter::Split(std::basic_string_view<Char>(text)))
        lines.emplace_back(line);
    return lines;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end()); // the cases are plain ASCII
}
} // namespace

TEST(LineSplitter, SplitsWideTextLikeATextModeRead)
{
    for (const SplitCase& c : SplitCases())
    {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        EXPECT_EQ(SplitToStrings(c.text), c.lines);
    }
}

TEST(LineSplitter, SplitsBytesLikeATextModeRead)
{
    for (const SplitCase& c : SplitCases())
    {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        std::vector<std::string> expected;
        for (const std::wstring& line : c.lines)
            expected.push_back(Narrow(line));
        EXPECT_EQ(SplitToStrings(Narrow(c.text)), expected);
    }
}

TEST(LineSplitter, KeepsNonAsciiBytes)
{
    // 8-bit code page text: bytes above 0x7F are never breaks.
    const std::string text = "\xE9\xE8\r\n\x85\xA0\n";
    EXPECT_EQ(SplitToStrings(text), (std::vector<std::string>{"\xE9\xE8", "\x85\xA0"}));
}
