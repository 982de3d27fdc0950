#include "hosts/FileTextDecoder.h"
#include "hosts/Utf8Text.h"

#include "tests/wine/common/CaseTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// A code page of single bytes, each its own character, that lacks 0x81 (as 1252 does).
bool Latin1(std::string_view piece, std::wstring& text)
{
    for (const char byte : piece)
    {
        if (static_cast<unsigned char>(byte) == 0x81)
            return false;
        text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    }
    return true;
}

struct DecodeCase : NamedCase
{
    std::vector<std::string> pieces; // as the reader hands them over
    TextEncoding encoding;
    const wchar_t* text; // null: the file fails in the code page
    bool restarted = false;
};
using FileTexts = CaseTest<DecodeCase>;

// The decoder as the reader drives it: pieces in order, from the first again after a restart.
TEST_P(FileTexts, DecodeInTheirEncodingAndWriteBackTheSameBytes)
{
    const DecodeCase& c = GetParam();
    CFileTextDecoder decoder(&Latin1);
    std::wstring text;
    bool restarted = false;
    bool failed = false;
    for (size_t i = 0; i < c.pieces.size() && !failed; ++i)
    {
        const CFileTextDecoder::Step step = decoder.Decode(c.pieces[i], text);
        failed = step == CFileTextDecoder::Step::Failed;
        if (step == CFileTextDecoder::Step::Restart)
        {
            ASSERT_FALSE(restarted);
            restarted = true;
            text.clear();
            i = size_t(-1);
        }
    }
    EXPECT_EQ(!c.text, failed);
    EXPECT_EQ(c.restarted, restarted);
    if (failed)
        return;
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.encoding, decoder.Encoding());
    if (c.encoding == TextEncoding::Ansi)
        return;
    std::string bytes(c.encoding == TextEncoding::Utf8WithMark ? CUtf8Text::kMark : "");
    ASSERT_TRUE(CUtf8Text::EncodeAppend(text, bytes));
    std::string file;
    for (const std::string& piece : c.pieces)
        file += piece;
    EXPECT_EQ(file, bytes);
}

const auto kAnsi = TextEncoding::Ansi;
const auto kUtf8 = TextEncoding::Utf8;
const auto kMarked = TextEncoding::Utf8WithMark;

// clang-format off
CASE_TABLE(Files, FileTexts,
    DecodeCase{{"AsciiOnly"}, {"127.0.0.1 a\r\n", "# b"}, kAnsi, L"127.0.0.1 a\r\n# b"},
    DecodeCase{{"Empty"}, {}, kAnsi, L""},
    DecodeCase{{"NoMark"}, {"# \xD0\x96 \xE3\x81\x82\r\n", "10.0.0.1 a"}, kUtf8, L"# \x416 \x3042\r\n10.0.0.1 a"},
    DecodeCase{{"Mark"}, {"\xEF\xBB\xBF" "127.0.0.1 a"}, kMarked, L"127.0.0.1 a"},
    DecodeCase{{"MarkOnly"}, {"\xEF\xBB\xBF"}, kMarked, L""},
    DecodeCase{{"MarkInTheSecondPiece"}, {"a\n", "\xEF\xBB\xBF"}, kUtf8, L"a\n\xFEFF"},
    DecodeCase{{"FourBytes"}, {"# \xF0\x9F\x98\x80"}, kUtf8, L"# \xD83D\xDE00"},
    DecodeCase{{"Latin1NotUtf8"}, {"# caf\xE9\r\n"}, kAnsi, L"# caf\xE9\r\n"},
    DecodeCase{{"Latin1AfterAsciiPieces"}, {"a\n", "b\n", "\xE9"}, kAnsi, L"a\nb\n\xE9"},
    DecodeCase{{"Utf8ThenLatin1"}, {"\xC3\xA9\n", "\xE9"}, kAnsi, L"\xC3\xA9\n\xE9", true},
    DecodeCase{{"MarkThenLatin1"}, {"\xEF\xBB\xBF" "a\n", "\xE9"}, kAnsi, L"\xEF\xBB\xBF" L"a\n\xE9", true},
    DecodeCase{{"Overlong"}, {"\xC0\xAF"}, kAnsi, L"\xC0\xAF"},
    DecodeCase{{"OverlongThreeBytes"}, {"\xE0\x80\xAF"}, kAnsi, L"\xE0\x80\xAF"},
    DecodeCase{{"Surrogate"}, {"\xED\xA0\x80"}, kAnsi, L"\xED\xA0\x80"},
    DecodeCase{{"BeyondU10FFFF"}, {"\xF4\x90\x80\x80"}, kAnsi, L"\xF4\x90\x80\x80"},
    DecodeCase{{"CutAtTheEnd"}, {"a\xE3\x82"}, kAnsi, L"a\xE3\x82"},
    DecodeCase{{"NeitherUtf8NorTheCodePage"}, {"\xC3\xA9\n", "\x81"}, kAnsi, nullptr, true});
// clang-format on

TEST(Utf8Text, AnUnpairedSurrogateIsNoUtf8)
{
    for (const std::wstring& text : {std::wstring(L"a\xD800"), std::wstring(L"\xDC00z"), std::wstring(L"\xDE00\xD83D")})
    {
        std::string bytes = "kept";
        EXPECT_FALSE(CUtf8Text::EncodeAppend(text, bytes));
        EXPECT_EQ("kept", bytes);
    }
}
} // namespace
