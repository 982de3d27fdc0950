#include "hosts/HostsLine.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace
{
struct ParseCase
{
    std::wstring line;
    RecordKind kind;
    std::wstring address;
    std::wstring host;
    std::wstring moreHosts;
    std::wstring comment;
    bool disabled;
    // What FormatLine writes for the parsed record when it is the file's last line.
    std::wstring rewritten;
};

ParseCase Entry(std::wstring line, std::wstring address, std::wstring host, std::wstring moreHosts,
                std::wstring comment, bool disabled, std::wstring rewritten)
{
    return ParseCase{std::move(line),      RECORD_ENTRY,       std::move(address), std::move(host),
                     std::move(moreHosts), std::move(comment), disabled,           std::move(rewritten)};
}

// A line that is no entry must come back exactly as it was read.
ParseCase Verbatim(std::wstring line, bool disabled)
{
    std::wstring rewritten = line;
    return ParseCase{std::move(line), RECORD_VERBATIM, L"", L"", L"", L"", disabled, std::move(rewritten)};
}

std::vector<ParseCase> ParseCases()
{
    return {
        // The plain case.
        Entry(L"127.0.0.1 localhost", L"127.0.0.1", L"localhost", L"", L"", false, L"127.0.0.1 localhost"),
        Entry(L"0.0.0.0 ads.example.com # blocked", L"0.0.0.0", L"ads.example.com", L"", L"blocked", false,
              L"0.0.0.0 ads.example.com # blocked"),

        // '#' before or inside the address disables the entry, wherever it stands.
        Entry(L"#127.0.0.1 localhost", L"127.0.0.1", L"localhost", L"", L"", true, L"# 127.0.0.1 localhost"),
        Entry(L"# 127.0.0.1 localhost", L"127.0.0.1", L"localhost", L"", L"", true, L"# 127.0.0.1 localhost"),
        Entry(L"##127.0.0.1 localhost", L"127.0.0.1", L"localhost", L"", L"", true, L"# 127.0.0.1 localhost"),
        Entry(L"12#7.0.0.1 localhost", L"127.0.0.1", L"localhost", L"", L"", true, L"# 127.0.0.1 localhost"),
        Entry(L"1.2#.3.4 x", L"1.2.3.4", L"x", L"", L"", true, L"# 1.2.3.4 x"),
        Entry(L"127.0.0.1# localhost", L"127.0.0.1", L"localhost", L"", L"", true, L"# 127.0.0.1 localhost"),
        Entry(L"#1#2#7.0.0.1 x", L"127.0.0.1", L"x", L"", L"", true, L"# 127.0.0.1 x"),
        Entry(L"#\t 127.0.0.1 x", L"127.0.0.1", L"x", L"", L"", true, L"# 127.0.0.1 x"),
        Entry(L"  #  10.0.0.1\tbox   #   note", L"10.0.0.1", L"box", L"", L"note", true, L"# 10.0.0.1 box # note"),
        Entry(L"#127.0.0.1 localhost # test", L"127.0.0.1", L"localhost", L"", L"test", true,
              L"# 127.0.0.1 localhost # test"),
        // A skipped '#' glues the digits around it into one group.
        Verbatim(L"127#0.0.1 x", true),

        // Blanks before the address are skipped; a blank after it ends it.
        Entry(L"\t127.0.0.1\tlocalhost", L"127.0.0.1", L"localhost", L"", L"", false, L"127.0.0.1 localhost"),
        Entry(L"  127.0.0.1    localhost", L"127.0.0.1", L"localhost", L"", L"", false, L"127.0.0.1 localhost"),
        Verbatim(L"12 7.0.0.1 x", false),
        Verbatim(L"127. 0.0.1 x", false),
        Verbatim(L"# 1 27.0.0.1 x", true),

        // CR and LF are skipped by the address scan, wherever they stand.
        Entry(L"\r127.0.0.1 x", L"127.0.0.1", L"x", L"", L"", false, L"127.0.0.1 x"),
        Entry(L"127.0\r.0.1 x", L"127.0.0.1", L"x", L"", L"", false, L"127.0.0.1 x"),
        Entry(L"127.0.0.1\r x", L"127.0.0.1", L"x", L"", L"", false, L"127.0.0.1 x"),
        Entry(L"127.0.0.1\n x", L"127.0.0.1", L"x", L"", L"", false, L"127.0.0.1 x"),
        Verbatim(L"127.0.0.1\r", false),
        Verbatim(L"127.0.0.1\r\n", false),

        // Group and dot limits.
        Entry(L"123.123.123.123 x", L"123.123.123.123", L"x", L"", L"", false, L"123.123.123.123 x"),
        Entry(L"999.999.999.999 x", L"999.999.999.999", L"x", L"", L"", false, L"999.999.999.999 x"),
        Entry(L"256.300.0.1 x", L"256.300.0.1", L"x", L"", L"", false, L"256.300.0.1 x"),
        Verbatim(L"1234.0.0.1 x", false),
        Verbatim(L"1.2.3.1234 x", false),
        Verbatim(L"#0000.1.1.1 x", true),
        Verbatim(L"1.2.3.4.5 x", false),
        // Longer than any address: the scan must stop before it stores too much.
        Verbatim(L"123.123.123.123.123 x", false),
        Verbatim(L"999.999.999.999.999.999.999.999 x", false),
        Verbatim(L"1.2.3.4. x", false),
        Verbatim(L"1.2.3 x", false),
        Verbatim(L"1 x", false),
        Verbatim(L". x", false),

        // Empty groups are accepted: only the dots are counted.
        Entry(L"1..2.3 x", L"1..2.3", L"x", L"", L"", false, L"1..2.3 x"),
        Entry(L"1.2.3. x", L"1.2.3.", L"x", L"", L"", false, L"1.2.3. x"),
        Entry(L".1.2.3 x", L".1.2.3", L"x", L"", L"", false, L".1.2.3 x"),
        Entry(L"... x", L"...", L"x", L"", L"", false, L"... x"),

        // Anything else in the address field, IPv6 included.
        Verbatim(L"a.b.c.d x", false),
        Verbatim(L"127.0.0.1x y", false),
        Verbatim(L"127.0.0.1/8 x", false),
        Verbatim(L"127,0,0,1 x", false),
        Verbatim(L"x 127.0.0.1 y", false),
        Verbatim(L"::1 localhost", false),
        Verbatim(L"fe80::1%lo0 localhost", false),
        Verbatim(L"::ffff:1.2.3.4 x", false),
        Verbatim(L"#::1 localhost", true),
        Verbatim(L"\x0661.2.3.4 x", false), // a non-ASCII digit is no digit here

        // The address must be ended by a blank.
        Verbatim(L"127.0.0.1", false),
        Verbatim(L"#127.0.0.1", true),

        // Blank lines and comment lines.
        Verbatim(L"", false),
        Verbatim(L"   ", false),
        Verbatim(L"\t", false),
        Verbatim(L"\r", false),
        Verbatim(L"#", true),
        Verbatim(L"#\r", true),
        Verbatim(L"# plain comment", true),
        Verbatim(L"   # indented comment  ", true),

        // The host name: empty when only blanks follow the address.
        Entry(L"127.0.0.1 ", L"127.0.0.1", L"", L"", L"", false, L"127.0.0.1 "),
        Entry(L"127.0.0.1\t", L"127.0.0.1", L"", L"", L"", false, L"127.0.0.1 "),
        Entry(L"127.0.0.1 \t ", L"127.0.0.1", L"", L"", L"", false, L"127.0.0.1 "),
        Entry(L"127.0.0.1 \r", L"127.0.0.1", L"", L"", L"", false, L"127.0.0.1 "),
        Entry(L"#127.0.0.1 ", L"127.0.0.1", L"", L"", L"", true, L"# 127.0.0.1 "),
        // Blanks, CR and LF before the name are skipped; any of them ends it.
        Entry(L"127.0.0.1 \r\n a", L"127.0.0.1", L"a", L"", L"", false, L"127.0.0.1 a"),
        Entry(L"127.0.0.1 localhost\r", L"127.0.0.1", L"localhost", L"", L"", false, L"127.0.0.1 localhost"),
        Entry(L"127.0.0.1 a\rb", L"127.0.0.1", L"a", L"b", L"", false, L"127.0.0.1 a b"),
        // '#' inside or at the start of a name belongs to the name.
        Entry(L"127.0.0.1 #x", L"127.0.0.1", L"#x", L"", L"", false, L"127.0.0.1 #x"),
        Entry(L"127.0.0.1 #", L"127.0.0.1", L"#", L"", L"", false, L"127.0.0.1 #"),
        Entry(L"127.0.0.1 a#b", L"127.0.0.1", L"a#b", L"", L"", false, L"127.0.0.1 a#b"),
        Entry(L"127.0.0.1 a#", L"127.0.0.1", L"a#", L"", L"", false, L"127.0.0.1 a#"),
        Entry(L"127.0.0.1 #x # y", L"127.0.0.1", L"#x", L"", L"y", false, L"127.0.0.1 #x # y"),
        // The comment is searched only after the name, so this "c" is a further name.
        Entry(L"127.0.0.1 # c", L"127.0.0.1", L"#", L"c", L"", false, L"127.0.0.1 # c"),
        Entry(L"127.0.0.1 a# b # c", L"127.0.0.1", L"a#", L"b", L"c", false, L"127.0.0.1 a# b # c"),

        // Comments.
        Entry(L"127.0.0.1 a # c", L"127.0.0.1", L"a", L"", L"c", false, L"127.0.0.1 a # c"),
        Entry(L"127.0.0.1 a #c", L"127.0.0.1", L"a", L"", L"c", false, L"127.0.0.1 a # c"),
        Entry(L"127.0.0.1 a\t#\tc", L"127.0.0.1", L"a", L"", L"c", false, L"127.0.0.1 a # c"),
        Entry(L"127.0.0.1 a #\t \tc", L"127.0.0.1", L"a", L"", L"c", false, L"127.0.0.1 a # c"),
        Entry(L"127.0.0.1 a #", L"127.0.0.1", L"a", L"", L"", false, L"127.0.0.1 a"),
        Entry(L"127.0.0.1 a #   ", L"127.0.0.1", L"a", L"", L"", false, L"127.0.0.1 a"),
        Entry(L"127.0.0.1 a #\t", L"127.0.0.1", L"a", L"", L"", false, L"127.0.0.1 a"),
        Entry(L"127.0.0.1 a # c  ", L"127.0.0.1", L"a", L"", L"c  ", false, L"127.0.0.1 a # c  "),
        Entry(L"127.0.0.1 a # c\t", L"127.0.0.1", L"a", L"", L"c\t", false, L"127.0.0.1 a # c\t"),
        Entry(L"127.0.0.1 a # c # d", L"127.0.0.1", L"a", L"", L"c # d", false, L"127.0.0.1 a # c # d"),
        Entry(L"127.0.0.1 a ## c", L"127.0.0.1", L"a", L"", L"# c", false, L"127.0.0.1 a # # c"),
        Entry(L"127.0.0.1 a # two  words", L"127.0.0.1", L"a", L"", L"two  words", false, L"127.0.0.1 a # two  words"),
        // A comment keeps a lone CR; only spaces and tabs after '#' are skipped.
        Entry(L"127.0.0.1 a # c\r", L"127.0.0.1", L"a", L"", L"c\r", false, L"127.0.0.1 a # c\r"),
        Entry(L"127.0.0.1 a #\rc", L"127.0.0.1", L"a", L"", L"\rc", false, L"127.0.0.1 a # \rc"),

        // Further host names, kept joined by single blanks.
        Entry(L"127.0.0.1 a b", L"127.0.0.1", L"a", L"b", L"", false, L"127.0.0.1 a b"),
        Entry(L"127.0.0.1 a\tb", L"127.0.0.1", L"a", L"b", L"", false, L"127.0.0.1 a b"),
        Entry(L"127.0.0.1 a b # c", L"127.0.0.1", L"a", L"b", L"c", false, L"127.0.0.1 a b # c"),
        Entry(L"127.0.0.1 a b#c", L"127.0.0.1", L"a", L"b", L"c", false, L"127.0.0.1 a b # c"),
        Entry(L"127.0.0.1 a b#", L"127.0.0.1", L"a", L"b", L"", false, L"127.0.0.1 a b"),
        Entry(L"127.0.0.1 a  b\t c   # d", L"127.0.0.1", L"a", L"b c", L"d", false, L"127.0.0.1 a b c # d"),
        Entry(L"127.0.0.1 a   ", L"127.0.0.1", L"a", L"", L"", false, L"127.0.0.1 a"),
        Entry(L"127.0.0.1 a b   ", L"127.0.0.1", L"a", L"b", L"", false, L"127.0.0.1 a b"),
        Entry(L"# 1.2.3.4 is my ip", L"1.2.3.4", L"is", L"my ip", L"", true, L"# 1.2.3.4 is my ip"),
    };
}
} // namespace

TEST(HostsLine, ParseFollowsTheLineGrammar)
{
    for (const ParseCase& c : ParseCases())
    {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        CHostsRecord record = CHostsLine::Parse(c.line);

        EXPECT_EQ(record.m_nKind, c.kind);
        EXPECT_EQ(record.m_strAddress, c.address);
        EXPECT_EQ(record.m_strHost, c.host);
        EXPECT_EQ(record.m_strMoreHosts, c.moreHosts);
        EXPECT_EQ(record.m_strComment, c.comment);
        EXPECT_EQ(record.m_bDisabled, c.disabled ? 1 : 0);
        EXPECT_EQ(record.m_strLine, c.kind == RECORD_VERBATIM ? c.line : std::wstring());
        // Parsing alone neither numbers the record nor marks it as the last line.
        EXPECT_EQ(record.m_nSequence, -1);
        EXPECT_EQ(record.m_bLastLine, 0);

        EXPECT_EQ(CHostsLine::FormatLine(record), c.rewritten + L"\n");
        record.m_bLastLine = 1;
        EXPECT_EQ(CHostsLine::FormatLine(record), c.rewritten);

        // A save copies a line it finds canonical: only one it would write the same.
        CLineFields fields;
        CHostsLine::ParseFields(c.line, fields);
        EXPECT_EQ(CHostsLine::IsCanonical(c.line, fields), c.rewritten == c.line);

        // Saving twice must not drift: the rewritten line reads back as the same record.
        CHostsRecord reread = CHostsLine::Parse(c.rewritten);
        reread.m_bLastLine = 1;
        EXPECT_EQ(reread, record) << "rewritten as " << ::testing::PrintToString(c.rewritten);
    }
}

TEST(HostsLine, FormatLineOfBuiltRecords)
{
    auto last = [](CHostsRecord record) {
        record.m_bLastLine = 1;
        return record;
    };
    struct Case
    {
        const char* what;
        CHostsRecord record;
        std::wstring expected;
    };
    const Case cases[] = {
        {"enabled entry", last(CHostsRecord(L"127.0.0.1", L"localhost", L"", false)), L"127.0.0.1 localhost"},
        {"disabled entry with comment", last(CHostsRecord(L"127.0.0.1", L"localhost", L"test", true)),
         L"# 127.0.0.1 localhost # test"},
        {"disabled entry without comment", last(CHostsRecord(L"10.0.0.1", L"box", L"", true)), L"# 10.0.0.1 box"},
        {"entry followed by a line", CHostsRecord(L"127.0.0.1", L"localhost", L"", false), L"127.0.0.1 localhost\n"},
        {"disabled entry followed by a line", CHostsRecord(L"127.0.0.1", L"localhost", L"test", true),
         L"# 127.0.0.1 localhost # test\n"},
        {"empty host name", last(CHostsRecord(L"127.0.0.1", L"", L"", false)), L"127.0.0.1 "},
        {"empty host name followed by a line", CHostsRecord(L"127.0.0.1", L"", L"", false), L"127.0.0.1 \n"},
        {"further host names", last(CHostsRecord(L"127.0.0.1", L"a", L"", false, L"b c")), L"127.0.0.1 a b c"},
        {"further host names and comment", last(CHostsRecord(L"127.0.0.1", L"a", L"x y", true, L"b")),
         L"# 127.0.0.1 a b # x y"},
        {"comment with trailing blanks", last(CHostsRecord(L"1.2.3.4", L"h", L"c \t", false)), L"1.2.3.4 h # c \t"},
        {"verbatim comment", last(CHostsRecord(L"# plain comment", true)), L"# plain comment"},
        {"verbatim comment followed by a line", CHostsRecord(L"# plain comment", true), L"# plain comment\n"},
        {"verbatim ignores disabled", last(CHostsRecord(L"::1 localhost", true)), L"::1 localhost"},
        {"empty verbatim line", last(CHostsRecord(L"", false)), L""},
        {"empty verbatim line followed by a line", CHostsRecord(L"", false), L"\n"},
        {"verbatim keeps blanks and CR", last(CHostsRecord(L" \t# x \r", false)), L" \t# x \r"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CHostsLine::FormatLine(c.record), c.expected);
        std::wstring appended = L"prefix";
        CHostsLine::AppendFormatted(c.record, appended);
        EXPECT_EQ(appended, L"prefix" + c.expected);
    }
}

TEST(HostsLine, ParseStepsReportWhereTheNextStepStarts)
{
    struct AddressCase
    {
        std::wstring line;
        bool ok;
        std::wstring address;
        bool disabled;
        size_t next;
    };
    const AddressCase addressCases[] = {
        {L"127.0.0.1 x", true, L"127.0.0.1", false, 10},
        {L"  #127.0.0.1\t\tx", true, L"127.0.0.1", true, 13},
        {L"127.0.0.1 ", true, L"127.0.0.1", false, 10},
        {L"::1 x", false, L"", false, 0},
        {L"# c", false, L"", true, 0},
    };
    for (const AddressCase& c : addressCases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        std::wstring address;
        bool disabled = !c.disabled; // a flag left from an earlier line must not leak in
        size_t next = 0;
        ASSERT_EQ(CHostsLine::ParseAddress(c.line, address, disabled, next), c.ok);
        EXPECT_EQ(disabled, c.disabled);
        if (c.ok)
        {
            EXPECT_EQ(address, c.address);
            EXPECT_EQ(next, c.next);
        }
    }

    struct HostCase
    {
        std::wstring line;
        size_t from;
        std::wstring host;
        size_t end;
    };
    const HostCase hostCases[] = {
        {L"127.0.0.1 a b", 10, L"a", 12}, {L"127.0.0.1 a", 10, L"a", 11}, {L"127.0.0.1 \t a\t# c", 10, L"a", 14},
        {L"127.0.0.1 ", 10, L"", 10},     {L"127.0.0.1  ", 10, L"", 11},
    };
    for (const HostCase& c : hostCases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        std::wstring host = L"stale";
        EXPECT_EQ(CHostsLine::ParseHostName(c.line, c.from, host), c.end);
        EXPECT_EQ(host, c.host);
    }

    struct CommentCase
    {
        std::wstring line;
        size_t from;
        std::wstring comment;
        size_t hash;
    };
    const size_t none = std::wstring_view::npos;
    const CommentCase commentCases[] = {
        {L"127.0.0.1 a # c", 12, L"c", 12}, {L"127.0.0.1 a b#c", 12, L"c", 13},
        {L"127.0.0.1 #a", 12, L"", none}, // a '#' before the start does not count
        {L"127.0.0.1 a", 11, L"", none},    {L"127.0.0.1 a", 20, L"", none},
    };
    for (const CommentCase& c : commentCases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        std::wstring comment = L"stale";
        EXPECT_EQ(CHostsLine::ParseComment(c.line, c.from, comment), c.hash);
        EXPECT_EQ(comment, c.comment);
    }
}
