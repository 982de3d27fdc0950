#include "editing/EntrySearch.h"

#include "hosts/HostsDocument.h"
#include "hosts/LineSplitter.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace
{
void Load(CHostsDocument& doc, std::wstring_view fileText)
{
    for (std::wstring_view line : CLineSplitter::Split(fileText))
        doc.AppendLine(line);
    doc.FinishLoad();
}

// Restores LC_CTYPE, which case folding reads, when a test is done with it.
class CtypeLocale
{
public:
    CtypeLocale() : m_saved(std::setlocale(LC_CTYPE, nullptr)) {}
    ~CtypeLocale() { std::setlocale(LC_CTYPE, m_saved.c_str()); }
    CtypeLocale(const CtypeLocale&) = delete;
    CtypeLocale& operator=(const CtypeLocale&) = delete;

    bool Set(const char* name) { return std::setlocale(LC_CTYPE, name) != nullptr; }

private:
    std::string m_saved;
};

struct MatchCase
{
    const wchar_t* pattern;
    const wchar_t* subject;
    bool match;
};

void ExpectMatches(const MatchCase* begin, const MatchCase* end)
{
    for (const MatchCase* c = begin; c != end; ++c)
    {
        EXPECT_EQ(WildcardMatch(c->pattern, c->subject), c->match)
            << "pattern \"" << ::testing::PrintToString(std::wstring(c->pattern)) << "\" subject "
            << ::testing::PrintToString(std::wstring(c->subject));
    }
}

// Plain recursion straight from the definition; small inputs only.
bool ReferenceMatch(std::wstring_view p, std::wstring_view s)
{
    auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    if (p.empty())
        return s.empty();
    if (p[0] == L'*')
        return ReferenceMatch(p.substr(1), s) || (!s.empty() && ReferenceMatch(p, s.substr(1)));
    if (s.empty())
        return false;
    if (p[0] != L'?' && upper(p[0]) != upper(s[0]))
        return false;
    return ReferenceMatch(p.substr(1), s.substr(1));
}
} // namespace

TEST(WildcardMatch, Table)
{
    const MatchCase cases[] = {
        // Whole-subject literal matches.
        {L"127.0.0.1", L"127.0.0.1", true},
        {L"127.0.0", L"127.0.0.1", false},
        {L"127.0.0.1", L"127.0.0.10", false},
        {L"127.0.0.1", L"127.0.0", false},
        {L"10.0.0.1", L"10-0-0-1", false},
        // `*` at the end, any run including none.
        {L"127.*", L"127.0.0.1", true},
        {L"127.*", L"127.", true},
        {L"127.*", L"127", false},
        {L"127.*", L"10.127.0.1", false},
        // `?` is exactly one character.
        {L"10.0.?.1", L"10.0.5.1", true},
        {L"10.0.?.1", L"10.0.55.1", false},
        {L"10.0.?.1", L"10.0..1", false},
        {L"?", L"a", true},
        {L"?", L"ab", false},
        {L"??", L"ab", true},
        {L"a?", L"a", false},
        // Leading `*`: the pattern may be used up with subject left and must retry the star.
        {L"*.1", L"10.0.0.1", true},
        {L"*.1", L"10.0.0.10", false},
        {L"*1", L"10.0.0.1", true},
        {L"*1", L"10.0.0.11", true},
        {L"*1", L"1", true},
        {L"*1", L"10.0.0.10", false},
        {L"*1*", L"10.0.0.1", true},
        {L"*1*", L"0.0.0.0", false},
        {L"*.*.*.1", L"10.0.0.1", true},
        // Backtracking past a partial match.
        {L"*ab", L"aab", true},
        {L"*aab", L"aaab", true},
        {L"*a*b", L"xaxbxb", true},
        {L"*a*b", L"xaxbxc", false},
        {L"a*b*c", L"abcbc", true},
        {L"a*b*c", L"abcbd", false},
        {L"a*a", L"a", false},
        {L"a*a", L"aa", true},
        {L"*?b", L"b", false},
        {L"*?b", L"ab", true},
        // Case is ignored on both sides.
        {L"LOCAL", L"local", true},
        {L"local", L"LoCaL", true},
        {L"*LOCAL*", L"mylocalhost", true},
        {L"*local*", L"MYLOCALHOST", true},
        {L"Local", L"locale", false},
        // Empty pattern or subject.
        {L"", L"", true},
        {L"", L"a", false},
        {L"a", L"", false},
        {L"?", L"", false},
        {L"*?", L"", false},
        {L"*", L"", true},
        {L"**", L"", true},
        {L"***", L"", true},
        {L"*", L"abc", true},
        {L"**", L"abc", true},
        {L"a**", L"a", true},
        {L"**a**", L"a", true},
        // Wildcard characters in the subject are ordinary characters.
        {L"*", L"*", true},
        {L"?", L"?", true},
        {L"a", L"*", false},
        {L"\\*", L"*", false},
    };
    ExpectMatches(std::begin(cases), std::end(cases));
}

TEST(WildcardMatch, CaseFoldingFollowsCurrentLocale)
{
    CtypeLocale locale;
    ASSERT_TRUE(locale.Set("C"));
    // The C locale folds only ASCII letters.
    const MatchCase inC[] = {
        {L"\u00e9", L"\u00e9", true},       {L"\u00c9", L"\u00c9", true}, {L"\u00e9", L"\u00c9", false},
        {L"caf\u00e9", L"CAF\u00e9", true}, {L"?", L"\u00e9", true},
    };
    ExpectMatches(std::begin(inC), std::end(inC));

    if (!locale.Set("C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale";
    const MatchCase inUtf8[] = {
        {L"\u00e9", L"\u00c9", true},
        {L"\u00c9", L"\u00e9", true},
        {L"*CAF\u00c9*", L"mycaf\u00e9.lan", true},
        {L"\u00e9", L"e", false},
    };
    ExpectMatches(std::begin(inUtf8), std::end(inUtf8));
}

TEST(WildcardMatch, AgreesWithReferenceOnRandomInput)
{
    const wchar_t alphabet[] = L"abA*?";
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> letter(0, 4);
    std::uniform_int_distribution<int> patternLength(0, 7);
    std::uniform_int_distribution<int> subjectLength(0, 9);
    auto make = [&](int length) {
        std::wstring text;
        for (int k = 0; k < length; ++k)
            text += alphabet[letter(random)];
        return text;
    };
    int matches = 0;
    const int rounds = 50000;
    for (int round = 0; round < rounds; ++round)
    {
        const std::wstring pattern = make(patternLength(random));
        const std::wstring subject = make(subjectLength(random));
        const bool expected = ReferenceMatch(pattern, subject);
        ASSERT_EQ(WildcardMatch(pattern, subject), expected)
            << "pattern " << ::testing::PrintToString(pattern) << " subject " << ::testing::PrintToString(subject);
        matches += expected ? 1 : 0;
    }
    // Both outcomes must be well represented for the comparison to mean anything.
    EXPECT_GT(matches, rounds / 20);
    EXPECT_LT(matches, rounds - rounds / 20);
}

namespace
{
// Entries, by index: the comment is after the '#'.
//   0 127.0.0.1   LOCALHOST                  ""
//   1 127.0.0.1   localhost.localdomain      "loopback"
//   2 10.0.0.1    mylocal                    "office printer"
//   3 10.0.5.1    alpha                      "beta"
//   4 10.0.55.1   alpha                      "gamma"
//   5 10.0.0.10   beta                       "alpha"
//   6 192.168.1.1 ab                         "ab"   (disabled)
//   7 0.0.0.0     nothing (ads.example tracker) ""
const wchar_t kSearchFile[] = L"# comment line local\r\n"
                              L"127.0.0.1 LOCALHOST\r\n"
                              L"127.0.0.1 localhost.localdomain # loopback\r\n"
                              L"::1 localhost\r\n"
                              L"10.0.0.1 mylocal # office printer\r\n"
                              L"\r\n"
                              L"10.0.5.1 alpha # beta\r\n"
                              L"10.0.55.1 alpha # gamma\r\n"
                              L"10.0.0.10 beta # alpha\r\n"
                              L"# 192.168.1.1 ab # ab\r\n"
                              L"0.0.0.0 nothing ads.example tracker\r\n";
} // namespace

TEST(EntrySearch, FindEntryTable)
{
    CHostsDocument doc;
    Load(doc, kSearchFile);
    ASSERT_EQ(doc.GetEntryCount(), 8);
    ASSERT_EQ(doc.GetEntry(0)->m_strComment, L"");
    ASSERT_EQ(doc.GetEntry(6)->m_strComment, L"ab");

    const int up = 0;
    const int down = 1;
    struct Case
    {
        int start;
        int direction;
        const wchar_t* address;
        const wchar_t* host;
        const wchar_t* comment;
        int expected;
    };
    const Case cases[] = {
        // The host pattern matches anywhere, ignoring case; the start itself is a candidate.
        {0, down, L"", L"local", L"", 0},
        {1, down, L"", L"local", L"", 1},
        {2, down, L"", L"local", L"", 2},
        {3, down, L"", L"local", L"", -1},
        {7, up, L"", L"local", L"", 2},
        {2, up, L"", L"local", L"", 2},
        {1, up, L"", L"local", L"", 1},
        {0, up, L"", L"LOCAL", L"", 0},
        {0, down, L"", L"host.local", L"", 1},
        {0, down, L"", L"my?ocal", L"", 2},
        {0, down, L"", L"l*domain", L"", 1},
        {0, down, L"", L"NOTHING", L"", 7},
        // Further names count as the first one does; a pattern spanning two names matches none.
        {0, down, L"", L"ads", L"", 7},
        {7, up, L"", L"TRACK*", L"", 7},
        {0, down, L"", L"nothing ads", L"", -1},
        // Any direction other than 1 goes up.
        {7, -1, L"", L"local", L"", 2},
        {7, 5, L"", L"local", L"", 2},
        // The address pattern must match the whole address.
        {0, down, L"127.0.0.1", L"", L"", 0},
        {2, down, L"127.0.0.1", L"", L"", -1},
        {0, down, L"127.0.0", L"", L"", -1},
        {1, down, L"127.*", L"", L"", 1},
        {2, down, L"127.*", L"", L"", -1},
        {0, down, L"10.0.?.1", L"", L"", 2},
        {3, down, L"10.0.?.1", L"", L"", 3},
        {4, down, L"10.0.?.1", L"", L"", -1},
        {3, down, L"10.0.0.1", L"", L"", -1},
        {5, down, L"*1", L"", L"", 6},
        {5, down, L"*.1", L"", L"", 6},
        {7, up, L"*0", L"", L"", 7},
        {6, up, L"*0", L"", L"", 5},
        {0, down, L"1", L"", L"", -1},
        // Every non-empty pattern must match: host contains a and comment contains b.
        {0, down, L"", L"a", L"b", 1},
        {2, down, L"", L"a", L"b", 3},
        {4, down, L"", L"a", L"b", 6},
        {7, up, L"", L"a", L"b", 6},
        {5, up, L"", L"a", L"b", 3},
        {0, down, L"10.*", L"alpha", L"gamma", 4},
        {4, down, L"10.*", L"alpha", L"beta", -1},
        {0, down, L"", L"", L"OFFICE", 2},
        // An empty comment matches only patterns of stars.
        {0, down, L"", L"", L"*", 0},
        {0, down, L"", L"", L"**", 0},
        {0, down, L"", L"", L"?", 1},
        {7, up, L"", L"", L"*", 7},
        {7, up, L"", L"", L"?", 6},
        {7, up, L"", L"nothing", L"?", -1},
        // Out of range starts find nothing, whatever the direction.
        {8, up, L"", L"local", L"", -1},
        {8, down, L"", L"local", L"", -1},
        {100, up, L"", L"local", L"", -1},
        {INT_MAX, up, L"*", L"", L"", -1},
        {-1, down, L"", L"local", L"", -1},
        {-1, up, L"", L"local", L"", -1},
        {INT_MIN, down, L"*", L"", L"", -1},
        // No pattern, no hit.
        {0, down, L"", L"", L"", -1},
        {7, up, L"", L"", L"", -1},
        // Verbatim lines are not searched.
        {0, down, L"", L"", L"comment line", -1},
        {0, down, L"::1", L"", L"", -1},
        {0, down, L"", L"", L"1 localhost", -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "start " << c.start << " direction " << c.direction << " address "
                                          << ::testing::PrintToString(std::wstring(c.address)) << " host "
                                          << ::testing::PrintToString(std::wstring(c.host)) << " comment "
                                          << ::testing::PrintToString(std::wstring(c.comment)));
        EXPECT_EQ(FindEntry(doc, c.start, c.direction, c.address, c.host, c.comment), c.expected);
    }
}

TEST(EntrySearch, FindEntryInEmptyModel)
{
    CHostsDocument doc;
    EXPECT_EQ(FindEntry(doc, 0, 1, L"*", L"*", L"*"), -1);
    EXPECT_EQ(FindEntry(doc, -1, 0, L"*", L"*", L"*"), -1);
}

TEST(EntrySearch, FindEntrySkipsARecordInTheEntryListThatIsNotAnEntry)
{
    CHostsDocument doc;
    Load(doc, L"127.0.0.1 a\r\n127.0.0.1 b\r\n");
    auto odd = std::make_unique<CHostsRecord>(L"127.0.0.1 local", false);
    odd->m_strAddress = L"127.0.0.1";
    odd->m_strHost = L"local";
    const int oddIndex = doc.AppendEntry(std::move(odd));
    doc.AddEntry(CHostsRecord(L"127.0.0.1", L"local", L"", false));
    ASSERT_EQ(oddIndex, 2);
    ASSERT_EQ(doc.GetEntryCount(), 4);

    EXPECT_EQ(FindEntry(doc, 0, 1, L"", L"local", L""), 3);
    EXPECT_EQ(FindEntry(doc, 2, 0, L"", L"local", L""), -1);
    EXPECT_EQ(FindEntry(doc, 3, 0, L"127.0.0.1", L"", L""), 3);
    EXPECT_EQ(FindEntry(doc, 2, 0, L"127.0.0.1", L"", L""), 1);
}

TEST(EntrySearch, FindEntryFoldsCaseByCurrentLocale)
{
    CHostsDocument doc;
    doc.AddEntry(CHostsRecord(L"10.0.0.1", L"caf\u00e9.lan", L"\u00e9t\u00e9", false));
    struct Case
    {
        const char* locale;
        const wchar_t* host;
        const wchar_t* comment;
        int expected;
    };
    const Case cases[] = {
        {"C", L"CAF\u00e9", L"", 0},       {"C", L"CAF\u00c9", L"", -1},          {"C", L"", L"\u00c9T\u00c9", -1},
        {"C.UTF-8", L"CAF\u00c9", L"", 0}, {"C.UTF-8", L"", L"\u00c9T\u00c9", 0}, {"C.UTF-8", L"CAFE", L"", -1},
    };
    CtypeLocale locale;
    if (!locale.Set("C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.locale << " host " << ::testing::PrintToString(std::wstring(c.host))
                                          << " comment " << ::testing::PrintToString(std::wstring(c.comment)));
        ASSERT_TRUE(locale.Set(c.locale));
        EXPECT_EQ(FindEntry(doc, 0, 1, L"", c.host, c.comment), c.expected);
    }
}
