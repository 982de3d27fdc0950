#include "hosts/HostsRecord.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

TEST(HostsRecord, EntryConstructorGivesAnUnnumberedEntry)
{
    const CHostsRecord record(L"10.0.0.1", L"box", L"note", true, L"b c");
    EXPECT_EQ(record.m_nSequence, -1);
    EXPECT_EQ(record.m_nKind, RECORD_ENTRY);
    EXPECT_TRUE(record.IsEntry());
    EXPECT_EQ(record.m_strLine, L"");
    EXPECT_EQ(record.m_strAddress, L"10.0.0.1");
    EXPECT_EQ(record.m_strHost, L"box");
    EXPECT_EQ(record.m_strComment, L"note");
    EXPECT_EQ(record.m_strMoreHosts, L"b c");
    EXPECT_EQ(record.m_bDisabled, 1);
    EXPECT_EQ(record.m_bLastLine, 0);

    EXPECT_EQ(CHostsRecord(L"10.0.0.1", L"box", L"", false).m_bDisabled, 0);
    EXPECT_EQ(CHostsRecord(L"10.0.0.1", L"box", L"", false).m_strMoreHosts, L"");
}

TEST(HostsRecord, VerbatimConstructorGivesAnUnnumberedLine)
{
    const CHostsRecord record(L"# comment", true);
    EXPECT_EQ(record.m_nSequence, -1);
    EXPECT_EQ(record.m_nKind, RECORD_VERBATIM);
    EXPECT_FALSE(record.IsEntry());
    EXPECT_EQ(record.m_strLine, L"# comment");
    EXPECT_EQ(record.m_strAddress, L"");
    EXPECT_EQ(record.m_strHost, L"");
    EXPECT_EQ(record.m_strComment, L"");
    EXPECT_EQ(record.m_strMoreHosts, L"");
    EXPECT_EQ(record.m_bDisabled, 1);
    EXPECT_EQ(record.m_bLastLine, 0);
}

TEST(HostsRecord, EveryFieldTakesPartInEquality)
{
    CHostsRecord base(L"127.0.0.1", L"Host", L"Comment", false, L"more");
    base.m_nSequence = 4;
    base.m_strLine = L"line";
    const CHostsRecord copy = base;
    EXPECT_TRUE(copy == base);
    EXPECT_FALSE(copy != base);

    struct Change
    {
        const char* field;
        std::function<void(CHostsRecord&)> apply;
    };
    const Change changes[] = {
        {"sequence", [](CHostsRecord& r) { r.m_nSequence = 5; }},
        {"kind", [](CHostsRecord& r) { r.m_nKind = RECORD_VERBATIM; }},
        {"line", [](CHostsRecord& r) { r.m_strLine = L"Line"; }},
        {"address", [](CHostsRecord& r) { r.m_strAddress = L"127.0.0.2"; }},
        {"host case", [](CHostsRecord& r) { r.m_strHost = L"host"; }},
        {"comment case", [](CHostsRecord& r) { r.m_strComment = L"comment"; }},
        {"disabled", [](CHostsRecord& r) { r.m_bDisabled = 1; }},
        {"last line", [](CHostsRecord& r) { r.m_bLastLine = 1; }},
        {"more hosts", [](CHostsRecord& r) { r.m_strMoreHosts = L"more x"; }},
        {"more hosts emptied", [](CHostsRecord& r) { r.m_strMoreHosts.clear(); }},
    };
    for (const Change& change : changes)
    {
        SCOPED_TRACE(change.field);
        CHostsRecord changed = base;
        change.apply(changed);
        EXPECT_FALSE(changed == base);
        EXPECT_TRUE(changed != base);
        EXPECT_FALSE(base == changed);
    }
}

// The record dialog's host field holds every name; what comes back is split, trimmed and freed
// of repeats, and a field of blanks changes nothing.
TEST(HostsRecord, NamesAsTypedBecomeTheHostAndTheFurtherNames)
{
    struct Case
    {
        const wchar_t* typed;
        bool named;
        const wchar_t* host;
        const wchar_t* more;
        const wchar_t* all;
    };
    const Case cases[] = {
        {L"a", true, L"a", L"", L"a"},
        {L"a b c", true, L"a", L"b c", L"a b c"},
        {L"  a \t b  ", true, L"a", L"b", L"a b"},
        {L"a A b a", true, L"a", L"b", L"a b"},
        {L"", false, L"old", L"x y", L"old x y"},
        {L" \t ", false, L"old", L"x y", L"old x y"},
    };
    for (const Case& c : cases)
    {
        CHostsRecord record(L"10.0.0.1", L"old", L"", false, L"x y");
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.typed)));
        EXPECT_EQ(c.named, record.SetNames(c.typed));
        EXPECT_EQ(c.host, record.m_strHost);
        EXPECT_EQ(c.more, record.m_strMoreHosts);
        EXPECT_EQ(c.all, record.AllNames());
    }
}
