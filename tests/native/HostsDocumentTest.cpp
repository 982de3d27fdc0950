#include "hosts/HostsDocument.h"
#include "hosts/LineSplitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace
{
// Lets the tests look at the verbatim lines, which the document keeps to itself.
class InspectedDocument : public CHostsDocument
{
public:
    CHostsRecord OtherLine(size_t index) const
    {
        CHostsRecord record(L"", false);
        EXPECT_TRUE(ReadOtherLine(index, record));
        return record;
    }

    // Every record of both lists, in file order.
    std::vector<CHostsRecord> AllRecords() const
    {
        std::vector<CHostsRecord> all;
        for (int i = 0; i < GetEntryCount(); ++i)
            ReadEntry(i, all.emplace_back(L"", false));
        for (size_t i = 0; i < GetOtherLineCount(); ++i)
            ReadOtherLine(i, all.emplace_back(L"", false));
        std::sort(all.begin(), all.end(),
                  [](const CHostsRecord& a, const CHostsRecord& b) { return a.m_nSequence < b.m_nSequence; });
        return all;
    }
};

// What the reader does with a file's content.
void Load(CHostsDocument& doc, std::wstring_view fileText)
{
    for (std::wstring_view line : CLineSplitter::Split(fileText))
        doc.AppendLine(line);
    doc.FinishLoad();
}

// The reader's way: the whole text at once, parsed a few lines at a time.
void LoadWhole(CHostsDocument& doc, std::wstring_view fileText)
{
    const int count = doc.BeginLoad(std::wstring(fileText));
    EXPECT_EQ(static_cast<int>(CLineSplitter::Split(fileText).size()), count);
    while (doc.ParseLines(2))
    {
    }
    doc.FinishLoad();
}

void Reload(CHostsDocument& doc, std::wstring_view fileText)
{
    doc.Clear();
    Load(doc, fileText);
}

const wchar_t kMixedFile[] = L"# Copyright\r\n"
                             L"\r\n"
                             L"127.0.0.1\tlocalhost\r\n"
                             L"::1 localhost\r\n"
                             L"#10.0.0.1  box  #  note\r\n"
                             L"  # indented comment  \r\n"
                             L"127.0.0.1 a b # c\r\n"
                             L"# tail\r\n";

const wchar_t kMixedRewritten[] = L"# Copyright\r\n"
                                  L"\r\n"
                                  L"127.0.0.1 localhost\r\n"
                                  L"::1 localhost\r\n"
                                  L"# 10.0.0.1 box # note\r\n"
                                  L"  # indented comment  \r\n"
                                  L"127.0.0.1 a b # c\r\n"
                                  L"# tail";
} // namespace

TEST(HostsDocument, LoadAndRewrite)
{
    struct Case
    {
        std::wstring file;
        std::wstring text;      // GetText after the load
        std::wstring rewritten; // FormatRecords right after the load
        int entries;
        size_t otherLines;
    };
    const Case cases[] = {
        {L"", L"", L"", 0, 0},
        // One blank line is one record; its break is lost like any final break.
        {L"\r\n", L"", L"", 0, 1},
        {L"\n", L"", L"", 0, 1},
        {L"\r\n\r\n", L"\r\n", L"\r\n", 0, 2},
        {L"a\r\n\r\n", L"a\r\n", L"a\r\n", 0, 2},
        {L"a\r\nb\r\n", L"a\r\nb", L"a\r\nb", 0, 2},
        {L"a\r\nb", L"a\r\nb", L"a\r\nb", 0, 2},
        {L"a\nb\n", L"a\r\nb", L"a\r\nb", 0, 2},
        {L"\r\na", L"\r\na", L"\r\na", 0, 2},
        // Verbatim lines come back byte for byte, lone CRs included.
        {L"# plain comment\r\n", L"# plain comment", L"# plain comment", 0, 1},
        {L" \t# x\t \r\n", L" \t# x\t ", L" \t# x\t ", 0, 1},
        {L"a\rb\r\n", L"a\rb", L"a\rb", 0, 1},
        {L"# c\r\r\n", L"# c\r", L"# c\r", 0, 1},
        {L"\r\r\n\r", L"\r\r\n\r", L"\r\r\n\r", 0, 2},
        {L"::1 localhost\r\n127.0.0.1\r\n", L"::1 localhost\r\n127.0.0.1", L"::1 localhost\r\n127.0.0.1", 0, 2},
        // Entries come back in their canonical form.
        {L"127.0.0.1 localhost\r\n", L"127.0.0.1 localhost", L"127.0.0.1 localhost", 1, 0},
        {L"127.0.0.1 localhost", L"127.0.0.1 localhost", L"127.0.0.1 localhost", 1, 0},
        {L"#127.0.0.1   localhost\r\n", L"#127.0.0.1   localhost", L"# 127.0.0.1 localhost", 1, 0},
        {L"127.0.0.1 a # c\r\r\n", L"127.0.0.1 a # c\r", L"127.0.0.1 a # c\r", 1, 0},
        {L"127.0.0.1 a\r\r\n", L"127.0.0.1 a\r", L"127.0.0.1 a", 1, 0},
        {L"127.0.0.1 a\r\n127.0.0.1 b\r\n", L"127.0.0.1 a\r\n127.0.0.1 b", L"127.0.0.1 a\r\n127.0.0.1 b", 2, 0},
        {L"# 1.2.3.4 is my ip\r\n", L"# 1.2.3.4 is my ip", L"# 1.2.3.4 is my ip", 1, 0},
        {kMixedFile, std::wstring(kMixedFile, std::size(kMixedFile) - 3), kMixedRewritten, 3, 5},
    };
    for (const Case& c : cases)
        for (const bool whole : {false, true})
        {
            SCOPED_TRACE(::testing::PrintToString(c.file) + (whole ? " as one text" : " line by line"));
            CHostsDocument doc;
            if (whole)
                LoadWhole(doc, c.file);
            else
                Load(doc, c.file);
            EXPECT_EQ(doc.GetText(), c.text);
            EXPECT_EQ(doc.FormatRecords(), c.rewritten);
            EXPECT_EQ(doc.GetEntryCount(), c.entries);
            EXPECT_EQ(doc.GetOtherLineCount(), c.otherLines);
            EXPECT_FALSE(doc.IsModified());
        }
}

TEST(HostsDocument, LoadNumbersLinesAndMarksOnlyTheLastOne)
{
    const std::wstring files[] = {
        kMixedFile,      L"127.0.0.1 a\r\n# b\r\n",     L"# a\r\n127.0.0.1 b\r\n",
        L"\r\n\r\n\r\n", L"127.0.0.1 a\r\n127.0.0.1 b",
    };
    for (const std::wstring& file : files)
    {
        SCOPED_TRACE(::testing::PrintToString(file));
        InspectedDocument doc;
        Load(doc, file);
        const std::vector<CHostsRecord> all = doc.AllRecords();
        ASSERT_EQ(all.size(), CLineSplitter::Split(std::wstring_view(file)).size());
        for (size_t i = 0; i < all.size(); ++i)
        {
            EXPECT_EQ(all[i].m_nSequence, static_cast<int>(i));
            EXPECT_EQ(all[i].m_bLastLine, i + 1 == all.size() ? 1 : 0) << "line " << i;
        }
    }
}

TEST(HostsDocument, LoadKeepsWhatTheAddressScanSaysOfVerbatimLines)
{
    InspectedDocument doc;
    Load(doc, L"# comment\r\n::1 localhost\r\n#::1 localhost\r\n");
    ASSERT_EQ(doc.GetOtherLineCount(), 3u);
    EXPECT_EQ(doc.OtherLine(0).m_bDisabled, 1);
    EXPECT_EQ(doc.OtherLine(1).m_bDisabled, 0);
    EXPECT_EQ(doc.OtherLine(2).m_bDisabled, 1);
    EXPECT_EQ(doc.OtherLine(1).m_strLine, L"::1 localhost");
}

TEST(HostsDocument, EntriesAreInFileOrder)
{
    CHostsDocument doc;
    Load(doc, kMixedFile);
    ASSERT_EQ(doc.GetEntryCount(), 3);
    EXPECT_EQ(doc.GetEntry(0)->m_strHost, L"localhost");
    EXPECT_EQ(doc.GetEntry(0)->m_bDisabled, 0);
    EXPECT_EQ(doc.GetEntry(1)->m_strHost, L"box");
    EXPECT_EQ(doc.GetEntry(1)->m_strComment, L"note");
    EXPECT_EQ(doc.GetEntry(1)->m_bDisabled, 1);
    EXPECT_EQ(doc.GetEntry(2)->m_strHost, L"a");
    EXPECT_EQ(doc.GetEntry(2)->m_strMoreHosts, L"b");
    EXPECT_EQ(doc.GetEntry(2)->m_strComment, L"c");
}

TEST(HostsDocument, EditedEntriesAreWrittenInPlace)
{
    CHostsDocument doc;
    Load(doc, kMixedFile);
    doc.GetEntry(0)->m_bDisabled = 1;
    doc.GetEntry(1)->m_bDisabled = 0;
    doc.GetEntry(1)->m_strComment.clear();
    doc.GetEntry(2)->m_strMoreHosts.clear();
    doc.GetEntry(2)->m_strHost = L"z";
    EXPECT_EQ(doc.FormatRecords(), L"# Copyright\r\n"
                                   L"\r\n"
                                   L"# 127.0.0.1 localhost\r\n"
                                   L"::1 localhost\r\n"
                                   L"10.0.0.1 box\r\n"
                                   L"  # indented comment  \r\n"
                                   L"127.0.0.1 z # c\r\n"
                                   L"# tail");
    // The text is the other representation; record edits leave it alone.
    EXPECT_EQ(doc.GetText(), std::wstring(kMixedFile, std::size(kMixedFile) - 3));
}

TEST(HostsDocument, GetEntryBounds)
{
    CHostsDocument doc;
    EXPECT_EQ(doc.GetEntry(0), nullptr);
    EXPECT_EQ(doc.GetEntry(-1), nullptr);

    Load(doc, L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b\r\n");
    ASSERT_EQ(doc.GetEntryCount(), 2);
    const int invalid[] = {-1, -2, INT_MIN, 2, 3, INT_MAX};
    for (int index : invalid)
    {
        SCOPED_TRACE(index);
        EXPECT_EQ(doc.GetEntry(index), nullptr);
    }
    ASSERT_NE(doc.GetEntry(0), nullptr);
    ASSERT_NE(doc.GetEntry(1), nullptr);
    EXPECT_EQ(doc.GetEntry(0)->m_strHost, L"a");
    EXPECT_EQ(doc.GetEntry(1)->m_strHost, L"b");
}

TEST(HostsDocument, AddEntryAppendsTheNewLastLine)
{
    const CHostsRecord added(L"10.0.0.1", L"new", L"", false);
    struct Case
    {
        std::wstring file;
        std::wstring rewritten;
    };
    const Case cases[] = {
        {L"", L"10.0.0.1 new"},
        {L"127.0.0.1 a\r\n", L"127.0.0.1 a\r\n10.0.0.1 new"},
        {L"127.0.0.1 a", L"127.0.0.1 a\r\n10.0.0.1 new"},
        {L"# only a comment", L"# only a comment\r\n10.0.0.1 new"},
        // Written after trailing verbatim lines, not after the last entry.
        {L"127.0.0.1 a\r\n# end\r\n", L"127.0.0.1 a\r\n# end\r\n10.0.0.1 new"},
        {L"127.0.0.1 a\r\n\r\n", L"127.0.0.1 a\r\n\r\n10.0.0.1 new"},
        {L"# head\r\n127.0.0.1 a\r\n", L"# head\r\n127.0.0.1 a\r\n10.0.0.1 new"},
        {kMixedFile, std::wstring(kMixedRewritten) + L"\r\n10.0.0.1 new"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.file));
        CHostsDocument doc;
        Load(doc, c.file);
        const int before = doc.GetEntryCount();
        const std::wstring text = doc.GetText();

        EXPECT_EQ(doc.AddEntry(added), before);
        EXPECT_EQ(doc.GetEntryCount(), before + 1);
        EXPECT_EQ(doc.FormatRecords(), c.rewritten);
        EXPECT_EQ(doc.GetText(), text);
        EXPECT_TRUE(doc.IsModified());

        const CHostsRecord* entry = doc.GetEntry(before);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->m_strHost, L"new");
        EXPECT_EQ(entry->m_bLastLine, 1);
    }
}

TEST(HostsDocument, TwoAdditionsGiveTwoLines)
{
    CHostsDocument doc;
    Load(doc, L"127.0.0.1 a\r\n# end\r\n");
    EXPECT_EQ(doc.AddEntry(CHostsRecord(L"10.0.0.1", L"one", L"", false)), 1);
    EXPECT_EQ(doc.AddEntry(CHostsRecord(L"10.0.0.2", L"two", L"why", true, L"second")), 2);
    EXPECT_EQ(doc.FormatRecords(), L"127.0.0.1 a\r\n# end\r\n10.0.0.1 one\r\n# 10.0.0.2 two second # why");
    EXPECT_EQ(doc.GetEntry(1)->m_bLastLine, 0);
    EXPECT_EQ(doc.GetEntry(2)->m_bLastLine, 1);

    CHostsDocument empty;
    empty.AddEntry(CHostsRecord(L"10.0.0.1", L"one", L"", false));
    empty.AddEntry(CHostsRecord(L"10.0.0.2", L"two", L"", false));
    EXPECT_EQ(empty.FormatRecords(), L"10.0.0.1 one\r\n10.0.0.2 two");
}

TEST(HostsDocument, AddEntryStoresACopy)
{
    CHostsDocument doc;
    Load(doc, L"# a\r\n# b\r\n");
    CHostsRecord record(L"10.0.0.1", L"new", L"c", true, L"more");
    doc.AddEntry(record);

    // The caller's record stays as it was: unnumbered and not the last line.
    EXPECT_EQ(record.m_nSequence, -1);
    EXPECT_EQ(record.m_bLastLine, 0);

    CHostsRecord* stored = doc.GetEntry(0);
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, &record);
    EXPECT_EQ(stored->m_nSequence, 2);
    CHostsRecord expected = record;
    expected.m_nSequence = 2;
    expected.m_bLastLine = 1;
    EXPECT_EQ(*stored, expected);

    record.m_strHost = L"changed later";
    EXPECT_EQ(doc.GetEntry(0)->m_strHost, L"new");
}

TEST(HostsDocument, RemoveEntryRejectsInvalidIndexes)
{
    CHostsDocument doc;
    EXPECT_FALSE(doc.RemoveEntry(0));
    EXPECT_FALSE(doc.RemoveEntry(-1));

    Load(doc, L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b\r\n");
    const int invalid[] = {-1, -2, INT_MIN, 2, 3, INT_MAX};
    for (int index : invalid)
    {
        SCOPED_TRACE(index);
        EXPECT_FALSE(doc.RemoveEntry(index));
        EXPECT_EQ(doc.GetEntryCount(), 2);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.FormatRecords(), L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b");
    }
}

TEST(HostsDocument, RemoveEntryDropsOneLine)
{
    struct Case
    {
        int index;
        std::wstring rewritten;
        std::vector<std::wstring> hosts; // the entries left, in order
    };
    const Case cases[] = {
        {0, L"# x\r\n127.0.0.1 b\r\n# y\r\n127.0.0.1 c", {L"b", L"c"}},
        {1, L"127.0.0.1 a\r\n# x\r\n# y\r\n127.0.0.1 c", {L"a", L"c"}},
        // The line before becomes the last: a rewrite never ends in a line break.
        {2, L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b\r\n# y", {L"a", L"b"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.index);
        CHostsDocument doc;
        Load(doc, L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b\r\n# y\r\n127.0.0.1 c\r\n");
        EXPECT_TRUE(doc.RemoveEntry(c.index));
        EXPECT_TRUE(doc.IsModified());
        ASSERT_EQ(doc.GetEntryCount(), static_cast<int>(c.hosts.size()));
        for (size_t i = 0; i < c.hosts.size(); ++i)
            EXPECT_EQ(doc.GetEntry(static_cast<int>(i))->m_strHost, c.hosts[i]);
        EXPECT_EQ(doc.GetEntry(static_cast<int>(c.hosts.size())), nullptr);
        EXPECT_EQ(doc.FormatRecords(), c.rewritten);
        EXPECT_EQ(doc.GetOtherLineCount(), 2u);
    }
}

// Many entries at once leave the document exactly as removing each alone does, in one pass.
TEST(HostsDocument, RemoveEntriesIsEachRemovedAlone)
{
    std::wstring file;
    for (int i = 0; i < 10; ++i)
        file +=
            L"127.0.0.1 h" + std::to_wstring(i) + (i % 3 ? L"\r\n" : L"\r\n# after " + std::to_wstring(i) + L"\r\n");
    struct Case
    {
        const char* name;
        std::vector<int> indices; // of the 10 loaded entries, and an added 11th
    };
    const Case cases[] = {
        {"none", {}},
        {"one", {4}},
        {"all", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"first half", {0, 1, 2, 3, 4}},
        {"every other", {0, 2, 4, 6, 8, 10}},
        {"the last", {10}},
        {"the added one among loaded ones", {3, 10, 9}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CHostsDocument many;
        CHostsDocument alone;
        for (CHostsDocument* doc : {&many, &alone})
        {
            LoadWhole(*doc, file);
            doc->GetEntry(1)->m_strComment = L"edited";
            doc->AddEntry(CHostsRecord(L"10.0.0.9", L"added", L"", false));
        }
        std::vector<int> sorted = c.indices;
        std::sort(sorted.begin(), sorted.end());
        many.RemoveEntries(sorted);
        for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
            alone.RemoveEntry(*it);
        EXPECT_EQ(alone.FormatRecords(), many.FormatRecords());
        ASSERT_EQ(alone.GetEntryCount(), many.GetEntryCount());
        for (int i = 0; i < many.GetEntryCount(); ++i)
            EXPECT_EQ(*alone.GetEntry(i), *many.GetEntry(i));
        EXPECT_TRUE(many.IsModified());
        many.RevertEntries();
        EXPECT_FALSE(many.IsModified());
        EXPECT_EQ(file.substr(0, file.size() - 2), many.FormatRecords());
    }
}

TEST(HostsDocument, RemovingEveryEntryLeavesTheOtherLines)
{
    CHostsDocument doc;
    Load(doc, L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b\r\n# y");
    EXPECT_TRUE(doc.RemoveEntry(0));
    EXPECT_TRUE(doc.RemoveEntry(0));
    EXPECT_FALSE(doc.RemoveEntry(0));
    EXPECT_EQ(doc.GetEntryCount(), 0);
    EXPECT_EQ(doc.FormatRecords(), L"# x\r\n# y");
}

TEST(HostsDocument, IsModifiedFollowsEveryEntryField)
{
    struct Change
    {
        const char* what;
        std::function<void(CHostsRecord&)> apply;
    };
    const Change changes[] = {
        {"disable", [](CHostsRecord& r) { r.m_bDisabled = 1; }},
        {"address", [](CHostsRecord& r) { r.m_strAddress = L"10.0.0.9"; }},
        {"host", [](CHostsRecord& r) { r.m_strHost = L"other"; }},
        {"host case only", [](CHostsRecord& r) { r.m_strHost = L"Box"; }},
        {"comment added", [](CHostsRecord& r) { r.m_strComment = L"new"; }},
        {"more hosts changed", [](CHostsRecord& r) { r.m_strMoreHosts = L"c"; }},
        {"more hosts added", [](CHostsRecord& r) { r.m_strMoreHosts += L" d"; }},
        {"more hosts removed", [](CHostsRecord& r) { r.m_strMoreHosts.clear(); }},
    };
    const wchar_t file[] = L"# head\r\n10.0.0.1 box b\r\n127.0.0.1 tail\r\n";
    for (const Change& change : changes)
    {
        SCOPED_TRACE(change.what);
        CHostsDocument doc;
        Load(doc, file);
        const std::wstring original = doc.FormatRecords();
        EXPECT_FALSE(doc.IsModified());

        const CHostsRecord loaded = *doc.GetEntry(0);
        change.apply(*doc.GetEntry(0));
        EXPECT_TRUE(doc.IsModified());
        EXPECT_NE(doc.FormatRecords(), original);
        // Edited back to its loaded value, the entry is unchanged.
        *doc.GetEntry(0) = loaded;
        EXPECT_FALSE(doc.IsModified());
        change.apply(*doc.GetEntry(0));

        doc.RevertEntries();
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.FormatRecords(), original);
        EXPECT_EQ(doc.GetEntry(0)->m_strHost, L"box");
        EXPECT_EQ(doc.GetEntry(0)->m_strMoreHosts, L"b");

        // A saved change is the new reference.
        change.apply(*doc.GetEntry(0));
        doc.TakeSnapshot();
        EXPECT_FALSE(doc.IsModified());
        const std::wstring saved = doc.FormatRecords();
        doc.RevertEntries();
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.FormatRecords(), saved);
    }
}

TEST(HostsDocument, IsModifiedAfterEnableAndDisable)
{
    CHostsDocument doc;
    Load(doc, L"#127.0.0.1 a\r\n127.0.0.1 b\r\n");
    doc.GetEntry(0)->m_bDisabled = 0;
    EXPECT_TRUE(doc.IsModified());
    doc.GetEntry(0)->m_bDisabled = 1;
    EXPECT_FALSE(doc.IsModified());
    doc.GetEntry(1)->m_bDisabled = 1;
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.FormatRecords(), L"# 127.0.0.1 a\r\n# 127.0.0.1 b");
    doc.RevertEntries();
    EXPECT_EQ(doc.FormatRecords(), L"# 127.0.0.1 a\r\n127.0.0.1 b");
}

TEST(HostsDocument, IsModifiedAfterAddAndRemove)
{
    // The file's last line an entry, and a line of text.
    const std::pair<const wchar_t*, const wchar_t*> files[] = {
        {L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b\r\n", L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b"},
        {L"127.0.0.1 a\r\n127.0.0.1 b\r\n# x\r\n", L"127.0.0.1 a\r\n127.0.0.1 b\r\n# x"},
    };
    for (const auto& [file, rewritten] : files)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(file)));
        CHostsDocument doc;
        Load(doc, file);
        doc.GetEntry(1);
        doc.AddEntry(CHostsRecord(L"10.0.0.1", L"new", L"", false));
        EXPECT_TRUE(doc.IsModified());
        doc.RevertEntries();
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.GetEntryCount(), 2);
        EXPECT_EQ(doc.FormatRecords(), rewritten);

        ASSERT_TRUE(doc.RemoveEntry(0));
        EXPECT_TRUE(doc.IsModified());
        doc.RevertEntries();
        EXPECT_FALSE(doc.IsModified());
        ASSERT_EQ(doc.GetEntryCount(), 2);
        EXPECT_EQ(doc.GetEntry(0)->m_strHost, L"a");
        EXPECT_EQ(doc.FormatRecords(), rewritten);

        // Removing the added entry again gives back the file as loaded, last line included.
        doc.AddEntry(CHostsRecord(L"10.0.0.1", L"new", L"", false));
        ASSERT_TRUE(doc.RemoveEntry(2));
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.FormatRecords(), rewritten);
    }
}

TEST(HostsDocument, IsModifiedWithoutEntries)
{
    CHostsDocument doc;
    EXPECT_FALSE(doc.IsModified());
    Load(doc, L"# only\r\n\r\n::1 localhost\r\n");
    EXPECT_FALSE(doc.IsModified());
    doc.AddEntry(CHostsRecord(L"10.0.0.1", L"new", L"", false));
    EXPECT_TRUE(doc.IsModified());
    doc.Clear();
    EXPECT_FALSE(doc.IsModified());
}

TEST(HostsDocument, RevertRestoresSequenceNumbersAndOrder)
{
    CHostsDocument doc;
    Load(doc, kMixedFile);
    std::vector<CHostsRecord> before;
    before.reserve(doc.GetEntryCount());
    for (int i = 0; i < doc.GetEntryCount(); ++i)
        before.push_back(*doc.GetEntry(i));

    ASSERT_TRUE(doc.RemoveEntry(1));
    doc.GetEntry(0)->m_strHost = L"x";
    doc.AddEntry(CHostsRecord(L"10.0.0.1", L"new", L"", false));
    doc.RevertEntries();

    ASSERT_EQ(doc.GetEntryCount(), static_cast<int>(before.size()));
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(*doc.GetEntry(static_cast<int>(i)), before[i]) << "entry " << i;
}

// Numbers go on across edits, and start again only with an empty model: however often a file
// is reloaded, they never run out.
TEST(HostsDocument, SequenceNumbersRestartOnlyWhenEmptied)
{
    InspectedDocument doc;
    Load(doc, L"127.0.0.1 a\r\n# x\r\n127.0.0.1 b\r\n");
    EXPECT_EQ(doc.GetEntry(0)->m_nSequence, 0);
    EXPECT_EQ(doc.OtherLine(0).m_nSequence, 1);
    EXPECT_EQ(doc.GetEntry(1)->m_nSequence, 2);

    doc.AddEntry(CHostsRecord(L"10.0.0.1", L"new", L"", false));
    EXPECT_EQ(doc.GetEntry(2)->m_nSequence, 3);
    ASSERT_TRUE(doc.RemoveEntry(2));
    doc.AddEntry(CHostsRecord(L"10.0.0.2", L"newer", L"", false));
    EXPECT_EQ(doc.GetEntry(2)->m_nSequence, 4);

    doc.Clear();
    doc.AddEntry(CHostsRecord(L"10.0.0.3", L"after clear", L"", false));
    EXPECT_EQ(doc.GetEntry(0)->m_nSequence, 0);

    Reload(doc, L"# y\r\n127.0.0.1 c\r\n");
    EXPECT_EQ(doc.OtherLine(0).m_nSequence, 0);
    EXPECT_EQ(doc.GetEntry(0)->m_nSequence, 1);
    EXPECT_EQ(doc.FormatRecords(), L"# y\r\n127.0.0.1 c");
}

TEST(HostsDocument, ClearEmptiesTextAndLists)
{
    CHostsDocument doc;
    Load(doc, kMixedFile);
    doc.GetEntry(0)->m_strHost = L"changed";
    doc.Clear();
    EXPECT_EQ(doc.GetText(), L"");
    EXPECT_EQ(doc.GetEntryCount(), 0);
    EXPECT_EQ(doc.GetEntry(0), nullptr);
    EXPECT_EQ(doc.GetOtherLineCount(), 0u);
    EXPECT_EQ(doc.FormatRecords(), L"");
    EXPECT_FALSE(doc.IsModified());
    // The snapshot went too: nothing comes back.
    doc.RevertEntries();
    EXPECT_EQ(doc.GetEntryCount(), 0);
}

TEST(HostsDocument, ReloadReplacesEverything)
{
    CHostsDocument doc;
    Load(doc, kMixedFile);
    doc.AddEntry(CHostsRecord(L"10.0.0.1", L"new", L"", false));
    Reload(doc, L"# other\r\n127.0.0.1 z\r\n");
    EXPECT_EQ(doc.GetText(), L"# other\r\n127.0.0.1 z");
    EXPECT_EQ(doc.FormatRecords(), L"# other\r\n127.0.0.1 z");
    EXPECT_EQ(doc.GetEntryCount(), 1);
    EXPECT_EQ(doc.GetOtherLineCount(), 1u);
    EXPECT_FALSE(doc.IsModified());

    Reload(doc, L"");
    EXPECT_EQ(doc.GetText(), L"");
    EXPECT_EQ(doc.FormatRecords(), L"");
    EXPECT_EQ(doc.GetEntryCount(), 0);
    EXPECT_FALSE(doc.IsModified());
}

TEST(HostsDocument, RewriteReadsBackTheSame)
{
    // A record save followed by a load must give the same lines again.
    const std::wstring files[] = {
        kMixedFile,
        L"  #  10.0.0.1\tbox   #   note\r\n# 1.2.3.4 is my ip\r\n127.0.0.1 # c\r\n",
        L"\r\n\r\n127.0.0.1 \r\n",
        L"127.0.0.1 a #\rc\r\n::1\tlocalhost\r\n",
    };
    for (const std::wstring& file : files)
    {
        SCOPED_TRACE(::testing::PrintToString(file));
        CHostsDocument first;
        Load(first, file);
        const std::wstring saved = first.FormatRecords();
        CHostsDocument second;
        Load(second, saved);
        EXPECT_EQ(second.GetText(), saved);
        EXPECT_EQ(second.FormatRecords(), saved);
        ASSERT_EQ(second.GetEntryCount(), first.GetEntryCount());
        for (int i = 0; i < first.GetEntryCount(); ++i)
            EXPECT_EQ(*second.GetEntry(i), *first.GetEntry(i)) << "entry " << i;
    }
}
