#include "hosts/HostsFileAccess.h"
#include "HostsFileHarness.h"

#include "CaseTable.h"

#include <optional>
#include <string>
#include <vector>

using namespace hostsfile;

namespace
{
// After a failed load nothing of it is left, not even the stamp of the file it tried.
void ExpectEmpty(const CHostsFile& model)
{
    EXPECT_EQ(0, model.GetEntryCount());
    EXPECT_EQ(0u, model.GetOtherLineCount());
    EXPECT_EQ(L"", model.GetText());
    EXPECT_FALSE(model.IsModified());
    EXPECT_EQ(CFileStamp(), model.GetStamp());
}

std::string Utf16(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : text)
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// Two bytes the user's code page does not define, when it has any: a byte above 0x7F on its
// own, or a lead byte with a trail it does not take.
std::optional<std::string> UndefinedBytes()
{
    const CAnsiCodec codec;
    std::wstring text;
    for (int b = 0x80; b < 0x100; ++b)
    {
        for (const char trail : {' ', 'x'})
        {
            const std::string bytes = {static_cast<char>(b), trail};
            if (!codec.Decode(bytes, text))
                return bytes;
        }
    }
    return std::nullopt;
}

// --- a load of bytes that are not the code page's text ---

struct RefusedLoadCase : NamedCase
{
    std::string before, after; // the offending bytes go between
    bool nul;                  // a NUL, or bytes the code page does not define
    int line;
};
using HostsFileRefusedLoad = CaseTest<RefusedLoadCase>;

TEST_P(HostsFileRefusedLoad, FailsNamingTheLine)
{
    const RefusedLoadCase& c = GetParam();
    std::string offending(1, '\0');
    if (!c.nul)
    {
        const std::optional<std::string> undefined = UndefinedBytes();
        if (!undefined)
            GTEST_SKIP() << "code page " << CAnsiCodec().GetCodePage()
                         << " defines every byte here; ReadTextFailure covers other code pages";
        offending = *undefined;
    }
    const std::string bytes = c.before + offending + c.after;
    const CHostsOnDisk file(bytes);
    const CHostsOnDisk good("# good\r\n127.0.0.1 good.example");

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    ASSERT_EQ(LoadFinished(true), watched.Load(good.path).back());
    EXPECT_EQ(std::vector<Event>{LoadFinished(false)}, watched.Load(file.path));
    EXPECT_EQ(c.nul ? FileFailureKind::NulByte : FileFailureKind::UndefinedByte, model.GetFailure().kind);
    EXPECT_EQ(c.line, model.GetFailure().line);
    ExpectEmpty(model);
    EXPECT_EQ(bytes, testfiles::ReadBytes(file.path));

    // The reader goes on, and a good load says nothing went wrong.
    EXPECT_EQ(LoadFinished(true), watched.Load(good.path).back());
    EXPECT_EQ(FileFailureKind::None, model.GetFailure().kind);
    EXPECT_EQ(2, model.GetEntryCount() + static_cast<int>(model.GetOtherLineCount()));
}

// Lines end at CR LF and at a lone LF; a lone CR is part of the line.
CASE_TABLE(Files, HostsFileRefusedLoad,
           RefusedLoadCase{{"Utf16File"}, Utf16(L"127.0.0.1 a").substr(0, 3), Utf16(L"127.0.0.1 a").substr(4), true, 1},
           RefusedLoadCase{{"NulOnThirdLine"}, "# a\r\n127.0.0.1 b\r\nx", "y\r\n# d", true, 3},
           RefusedLoadCase{{"NulAfterLoneCr"}, "a\rb", "", true, 1},
           RefusedLoadCase{{"NulAfterLoneLfs"}, "a\n\nb", "\n", true, 3},
           RefusedLoadCase{{"NulAfterFinalBreak"}, "a\r\n", "", true, 2},
           RefusedLoadCase{{"UndefinedOnSecondLine"}, "# a\r\n127.0.0.1 b ", "\r\n# c", false, 2});

// --- a save of characters the code page cannot hold ---

struct UnrepresentableCase : NamedCase
{
    bool text; // a text save of `content`; else a record save with `content` as host 1
    std::wstring content;
    int line;
    std::wstring character;
};
using HostsFileUnrepresentable = CaseTest<UnrepresentableCase>;

// Comment lines enough for a text save to write several pieces before the last line.
std::wstring ManyComments(int count)
{
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += L"# line\r\n";
    return text;
}

TEST_P(HostsFileUnrepresentable, FailsNamingCharacterAndLineAndChangesNothing)
{
    const UnrepresentableCase& c = GetParam();
    if (CAnsiCodec().GetCodePage() != 1252)
        GTEST_SKIP() << "the characters below are chosen for code page 1252";
    const std::string old = "# c\r\n127.0.0.1 a\r\n\r\n127.0.0.1 b";
    const CHostsOnDisk file(old);

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    ASSERT_EQ(LoadFinished(true), watched.Load(file.path).back());
    const CFileStamp loaded = model.GetStamp();
    if (c.text)
        model.SetTextToSave(c.content);
    else
        model.GetEntry(1)->m_strHost = c.content;

    EXPECT_EQ(std::vector<Event>{SaveFinished(false)}, watched.Save(c.text));
    EXPECT_EQ(FileFailureKind::Unrepresentable, model.GetFailure().kind);
    EXPECT_EQ(c.line, model.GetFailure().line);
    EXPECT_EQ(c.character, model.GetFailure().character);
    EXPECT_EQ(old, testfiles::ReadBytes(file.path));
    EXPECT_TRUE(testfiles::LeftoverTempFiles(file.folder.Path()).empty());
    EXPECT_EQ(loaded, model.GetStamp());
    EXPECT_EQ(TextOf(old), model.GetText());
    if (c.text)
    {
        EXPECT_EQ(model.GetText(), model.GetTextToSave());
    }
    EXPECT_EQ(!c.text, model.IsModified());
    model.RevertEntries();
    EXPECT_EQ(L"b", model.GetEntry(1)->m_strHost);
}

CASE_TABLE(Texts, HostsFileUnrepresentable, UnrepresentableCase{{"TextFirstLine"}, true, L"# \x0416", 1, L"\x0416"},
           UnrepresentableCase{{"TextFirstOfTwo"}, true, L"# \x20AC ok\r\n\x0417\x0416", 2, L"\x0417"},
           UnrepresentableCase{{"TextAfterLoneLf"}, true, L"a\nb\r\nc \x0416", 3, L"\x0416"},
           UnrepresentableCase{{"TextLoneCrIsNoBreak"}, true, L"a\rb\x0416", 1, L"\x0416"},
           UnrepresentableCase{{"TextSurrogatePair"}, true, L"a\r\n# \xD83D\xDE00", 2, L"\xD83D\xDE00"},
           UnrepresentableCase{{"TextLoneSurrogate"}, true, L"\r\n\r\n# \xD800", 3, L"\xD800"},
           UnrepresentableCase{{"TextPastTwoPieces"}, true, ManyComments(20000) + L"\x0416", 20001, L"\x0416"},
           UnrepresentableCase{{"RecordsLastLine"}, false, L"b\x0416", 4, L"\x0416"},
           UnrepresentableCase{{"RecordsBestFitRefused"}, false, L"\x0100x", 4, L"\x0100"});

// --- out of memory ---

struct OutOfMemoryLoadCase : NamedCase
{
    int lines;         // a file of that many lines...
    uint64_t longFile; // ...or one this long, holding zeros
    bool hog;          // the address space runs out while the lines are parsed
};
using HostsFileLoadOutOfMemory = CaseTest<OutOfMemoryLoadCase>;

TEST_P(HostsFileLoadOutOfMemory, FailsOnceLeavesModelEmptyReaderGoesOn)
{
    const OutOfMemoryLoadCase& c = GetParam();
    if (c.hog && !CAddressSpaceHog::kPossible)
        GTEST_SKIP() << NoHogReason();
    const CHostsOnDisk file(c.longFile ? std::optional<std::string>() : Lines(c.lines));
    if (c.longFile)
    {
        ASSERT_TRUE(WriteLongFile(file.path, "127.0.0.1 a\r\n", c.longFile));
    }
    const uint64_t size = ReadFileStamp(file.path).size;
    const CHostsOnDisk good("127.0.0.1 good.example");

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    ASSERT_EQ(LoadFinished(true), watched.Load(good.path).back());
    watched.sink.Reserve(c.lines / 100 + 16);
    std::vector<Event> events;
    if (c.hog)
    {
        watched.sink.HoldAt(Kind::Progress, 100);
        model.RequestLoad(file.path);
        ASSERT_TRUE(watched.sink.WaitHeld());
        CAddressSpaceHog hog;
        ASSERT_TRUE(CAddressSpaceHog::Exhausted());
        watched.sink.Release();
        ASSERT_TRUE(watched.sink.WaitLoadEnd());
        events = watched.TakeFromWorkers();
    }
    else
    {
        events = watched.Load(file.path);
    }
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(1, CountLoadEnds(events));
    EXPECT_EQ(LoadFinished(false), events.back());
    if (c.hog)
    {
        EXPECT_EQ(LineCount(c.lines), events.front());
    }
    EXPECT_EQ(FileFailureKind::OutOfMemory, model.GetFailure().kind);
    EXPECT_EQ(size, model.GetFailure().bytes);
    ExpectEmpty(model);

    EXPECT_EQ(LoadFinished(true), watched.Load(good.path).back());
    EXPECT_EQ(FileFailureKind::None, model.GetFailure().kind);
    EXPECT_EQ(1, model.GetEntryCount());
}

// Larger than the conversion takes at once, as no 32-bit process could hold it anyway.
CASE_TABLE(Causes, HostsFileLoadOutOfMemory, OutOfMemoryLoadCase{{"FileAbove2GiB"}, 0, (uint64_t(1) << 31) + 1, false},
           OutOfMemoryLoadCase{{"AddressSpaceRunsOutWhileParsing"}, 500000, 0, true});

struct OutOfMemorySaveCase : NamedCase
{
    bool text;
};
using HostsFileSaveOutOfMemory = CaseTest<OutOfMemorySaveCase>;

TEST_P(HostsFileSaveOutOfMemory, FailsOnceChangesNothingWriterGoesOn)
{
    if (!CAddressSpaceHog::kPossible)
        GTEST_SKIP() << NoHogReason();
    const bool text = GetParam().text;
    // A record save formats the whole model at once, a text save converts the whole text.
    const std::string old = text ? "# old\r\n127.0.0.1 old.example\r\n" : Lines(100000);
    const CHostsOnDisk file(old);

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    ASSERT_EQ(LoadFinished(true), watched.Load(file.path).back());
    const CFileStamp loaded = model.GetStamp();
    const std::wstring bigText = L"# " + std::wstring(3 << 20, L'x');
    if (text)
        model.SetTextToSave(bigText);
    else
        model.GetEntry(0)->m_strHost += L"x";
    watched.sink.Reserve(4);
    {
        CAddressSpaceHog hog;
        ASSERT_TRUE(CAddressSpaceHog::Exhausted());
        EXPECT_EQ(std::vector<Event>{SaveFinished(false)}, watched.Save(text));
    }
    EXPECT_EQ(FileFailureKind::OutOfMemory, model.GetFailure().kind);
    // One byte a character, as the file would hold it.
    EXPECT_EQ(text ? bigText.size() : TextOf(old).size() + 1, model.GetFailure().bytes);
    EXPECT_EQ(old, testfiles::ReadBytes(file.path));
    EXPECT_TRUE(testfiles::LeftoverTempFiles(file.folder.Path()).empty());
    EXPECT_EQ(loaded, model.GetStamp());
    EXPECT_EQ(TextOf(old), model.GetText());
    if (text)
    {
        EXPECT_EQ(model.GetText(), model.GetTextToSave());
    }
    else
    {
        EXPECT_TRUE(model.IsModified());
    }

    if (text)
        model.SetTextToSave(bigText);
    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, watched.Save(text));
    EXPECT_EQ(FileFailureKind::None, model.GetFailure().kind);
    EXPECT_FALSE(model.IsModified());
    const std::optional<std::string> saved = testfiles::ReadBytes(file.path);
    ASSERT_TRUE(saved);
    EXPECT_EQ(text ? bigText.size() : TextOf(old).size() + 1, saved->size());
}

CASE_TABLE(Saves, HostsFileSaveOutOfMemory, OutOfMemorySaveCase{{"Records"}, false},
           OutOfMemorySaveCase{{"Text"}, true});

// --- the stamp: the file as the model last read or wrote it ---

const uint64_t kYear2001 = 126227808000000000ull; // 2001-01-01, as a FILETIME
const uint64_t kYear2002 = kYear2001 + 365ull * 24 * 3600 * 10000000;

struct StampCase : NamedCase
{
    std::string rewrite;               // what another program writes meanwhile
    std::optional<uint64_t> writtenAt; // and the time it then gives the file
};
using HostsFileStamp = CaseTest<StampCase>;

TEST_P(HostsFileStamp, FollowsTheModelsOwnReadsAndWritesOnly)
{
    const StampCase& c = GetParam();
    const std::string old = "# old\r\n127.0.0.1 old.example\r\n";
    const CHostsOnDisk file(old);
    ASSERT_TRUE(testfiles::SetLastWrite(file.path, kYear2001));

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    EXPECT_FALSE(model.GetStamp().exists);
    ASSERT_EQ(LoadFinished(true), watched.Load(file.path).back());
    const CFileStamp loaded = model.GetStamp();
    EXPECT_TRUE(loaded.exists);
    EXPECT_EQ(kYear2001, loaded.lastWrite);
    EXPECT_EQ(old.size(), loaded.size);
    EXPECT_EQ(ReadFileStamp(file.path), loaded);

    ASSERT_TRUE(testfiles::WriteBytes(file.path, c.rewrite));
    if (c.writtenAt)
    {
        ASSERT_TRUE(testfiles::SetLastWrite(file.path, *c.writtenAt));
    }
    EXPECT_NE(ReadFileStamp(file.path), model.GetStamp());
    EXPECT_EQ(loaded, model.GetStamp());

    // Each save: the stamp is the file as it was just written.
    model.GetEntry(0)->m_strHost = L"new.example";
    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, watched.Save(false));
    EXPECT_EQ(ReadFileStamp(file.path), model.GetStamp());
    EXPECT_EQ(std::string("# old\r\n127.0.0.1 new.example").size(), model.GetStamp().size);
    model.SetTextToSave(L"# text");
    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, watched.Save(true));
    EXPECT_EQ(ReadFileStamp(file.path), model.GetStamp());
    EXPECT_EQ(6u, model.GetStamp().size);
}

CASE_TABLE(Rewrites, HostsFileStamp, StampCase{{"NewSizeAndTime"}, "# other\r\n", std::nullopt},
           StampCase{{"SameSizeNewTime"}, "# new\r\n127.0.0.1 new.example\r\n", kYear2002},
           StampCase{{"NewSizeSameTime"}, "# old\r\n", kYear2001});
} // namespace
