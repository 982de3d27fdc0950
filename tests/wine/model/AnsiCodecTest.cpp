#include "hosts/AnsiCodec.h"

#include "CaseTable.h"

#include <string>

namespace
{
struct EncodeCase : NamedCase
{
    UINT codePage;
    std::wstring text;
    bool ok;
    std::string bytes;
};

using AnsiEncode = CaseTest<EncodeCase>;

TEST_P(AnsiEncode, WritesExactBytesOrRefuses)
{
    const EncodeCase& c = GetParam();
    std::string bytes = "left over";
    EXPECT_EQ(c.ok, CAnsiCodec(c.codePage).Encode(c.text, bytes));
    if (c.ok)
    {
        EXPECT_EQ(c.bytes, bytes);
    }
}

// A character the code page lacks must stop the save, not turn into '?' or a look-alike.
CASE_TABLE(Texts, AnsiEncode, EncodeCase{{"Empty"}, 1252, L"", true, ""},
           EncodeCase{{"AsciiWithLineBreaks"}, 1252, L"127.0.0.1 a\r\n# b\r\n", true, "127.0.0.1 a\r\n# b\r\n"},
           EncodeCase{{"QuestionMarkItself"}, 1252, L"# why?", true, "# why?"},
           EncodeCase{{"EuroAndAccent"}, 1252, L"# \x20AC\xE9", true, "# \x80\xE9"},
           EncodeCase{{"CyrillicIn1252"}, 1252, L"# \x0416", false, ""},
           EncodeCase{{"BestFitLetterIn1252"}, 1252, L"# \x0100", false, ""},   // would become 'A'
           EncodeCase{{"BestFitInfinityIn1252"}, 1252, L"# \x221E", false, ""}, // would become '8'
           EncodeCase{{"CyrillicIn1251"}, 1251, L"# \x0416", true, "# \xC6"},
           EncodeCase{{"ShiftJis"}, 932, L"# \x3042", true, "# \x82\xA0"},
           EncodeCase{{"HangulInShiftJis"}, 932, L"# \xAC00", false, ""},
           EncodeCase{{"NulInside"}, 1252, std::wstring(L"a\0b", 3), true, std::string("a\0b", 3)},
           EncodeCase{{"EbcdicCopiesNoAscii"}, 37, L"A1", true, "\xC1\xF1"},
           // No byte order mark is ever added.
           EncodeCase{{"Utf8NoMark"}, CP_UTF8, L"a\x00E9", true, "a\xC3\xA9"},
           EncodeCase{{"Utf8MarkOnlyWhenInText"}, CP_UTF8, L"\xFEFFx", true, "\xEF\xBB\xBFx"},
           EncodeCase{{"Utf8SurrogatePair"}, CP_UTF8, L"\xD83D\xDE00", true, "\xF0\x9F\x98\x80"},
           EncodeCase{{"Utf8LoneHighSurrogate"}, CP_UTF8, L"a\xD800z", false, ""},
           EncodeCase{{"Utf8LoneLowSurrogate"}, CP_UTF8, L"a\xDC00z", false, ""},
           EncodeCase{{"Utf8HighSurrogateAtEnd"}, CP_UTF8, L"a\xD83D", false, ""},
           EncodeCase{{"Utf8SwappedPair"}, CP_UTF8, L"\xDE00\xD83D", false, ""});

struct DecodeCase : NamedCase
{
    UINT codePage;
    std::string bytes;
    bool ok;
    std::wstring text;
};

using AnsiDecode = CaseTest<DecodeCase>;

TEST_P(AnsiDecode, ReadsExactTextOrRefuses)
{
    const DecodeCase& c = GetParam();
    std::wstring text = L"left over";
    EXPECT_EQ(c.ok, CAnsiCodec(c.codePage).Decode(c.bytes, text));
    if (c.ok)
    {
        EXPECT_EQ(c.text, text);
    }
}

CASE_TABLE(Texts, AnsiDecode, DecodeCase{{"Empty"}, 1252, "", true, L""},
           DecodeCase{{"NulInside"}, 1252, std::string("a\0b", 3), true, std::wstring(L"a\0b", 3)},
           DecodeCase{{"Cyrillic1251"}, 1251, "# \xC6", true, L"# \x0416"},
           DecodeCase{{"Utf8NoMarkAdded"}, CP_UTF8, "a\xC3\xA9", true, L"a\x00E9"},
           DecodeCase{{"Utf8MarkKept"}, CP_UTF8, "\xEF\xBB\xBF#", true, L"\xFEFF#"},
           DecodeCase{{"Utf8Truncated"}, CP_UTF8, "a\xC3", false, L""},
           DecodeCase{{"ShiftJisBadTrail"}, 932, "\x81\x20", false, L""},
           DecodeCase{{"ShiftJisAfterAscii"},
                      932,
                      "ab\x82\xA0"
                      "c",
                      true,
                      L"ab\x3042"
                      L"c"},
           DecodeCase{{"EbcdicCopiesNoAscii"}, 37, "\xC1\xF1", true, L"A1"});

// Every byte of 1252 comes back as itself, including the five the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D map to the C1 controls), so a file in 1252 survives a load and
// a save unchanged.
TEST(AnsiCodec, AllBytesOf1252RoundTrip)
{
    const CAnsiCodec codec(1252);
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);

    std::wstring text;
    ASSERT_TRUE(codec.Decode(all, text));
    ASSERT_EQ(256u, text.size());
    std::string back;
    ASSERT_TRUE(codec.Encode(text, back));
    EXPECT_EQ(all, back);

    for (int b = 0; b < 256; ++b)
    {
        const std::string one(1, static_cast<char>(b));
        std::wstring single;
        std::string again;
        EXPECT_TRUE(codec.Decode(one, single) && single.size() == 1 && codec.Encode(single, again) && again == one)
            << "byte 0x" << std::hex << b;
    }
}

// Whatever the user's code page, a plain ASCII hosts file reads and writes unchanged.
TEST(AnsiCodec, DefaultCodePageCarriesAscii)
{
    const CAnsiCodec codec;
    const std::string bytes = "# hosts\r\n127.0.0.1 localhost\r\n::1 localhost";
    std::wstring text;
    ASSERT_TRUE(codec.Decode(bytes, text)) << codec.GetCodePage();
    EXPECT_EQ(L"# hosts\r\n127.0.0.1 localhost\r\n::1 localhost", text);
    std::string back;
    ASSERT_TRUE(codec.Encode(text, back));
    EXPECT_EQ(bytes, back);
}
} // namespace
