#include "hosts/HostsFileAccess.h"

#include "CaseTable.h"
#include "FailurePrinting.h"
#include "HostsOnDisk.h"
#include "TestFiles.h"

#include <optional>
#include <string>

using testfiles::CTempFolder;
using testfiles::kShareAll;

namespace
{
// Where the file under test is, and what is there before the call.
enum class Place
{
    File,          // folder\hosts, created with `content` and `attributes`
    MissingFile,   // folder\hosts, not there
    MissingFolder, // folder\missing\hosts
    EmptyPath,     // no path at all, as when the registry value is unusable
};

struct Setup
{
    Place place = Place::File;
    std::string content;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
};

// Makes the file of `setup` in `folder` and returns its path.
std::wstring Prepare(const CTempFolder& folder, const Setup& setup)
{
    switch (setup.place)
    {
    case Place::File:
    {
        std::wstring path = folder / L"hosts";
        if (!testfiles::WriteBytes(path, setup.content) || !SetFileAttributesW(path.c_str(), setup.attributes))
            return std::wstring();
        return path;
    }
    case Place::MissingFile:
        return folder / L"hosts";
    case Place::MissingFolder:
        return folder / L"missing\\hosts";
    case Place::EmptyPath:
        break;
    }
    return std::wstring();
}

Setup File(std::string content, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    return {Place::File, std::move(content), attributes};
}

Setup Nowhere(Place place)
{
    return {place, "", FILE_ATTRIBUTE_NORMAL};
}

// --- ReadFileAttributesOrArchive ---

struct AttributesCase : NamedCase
{
    Setup setup;
    DWORD mustHave;
    DWORD mustLack;
};

using ReadAttributes = CaseTest<AttributesCase>;

TEST_P(ReadAttributes, ReadOnlyBitAsOnDisk)
{
    const AttributesCase& c = GetParam();
    CTempFolder folder;
    const std::wstring path = Prepare(folder, c.setup);
    ASSERT_TRUE(c.setup.place != Place::File || !path.empty());

    const DWORD attributes = ReadFileAttributesOrArchive(path);
    EXPECT_EQ(c.mustHave, attributes & c.mustHave);
    EXPECT_EQ(0u, attributes & c.mustLack);
}

const DWORD kAllBits = 0xFFFFFFFFu;

// clang-format off
CASE_TABLE(Files, ReadAttributes,
           // Nothing to read: exactly the archive bit, so the read-only box stays clear.
           AttributesCase{{"MissingFile"}, Nowhere(Place::MissingFile), FILE_ATTRIBUTE_ARCHIVE,
                          kAllBits & ~FILE_ATTRIBUTE_ARCHIVE},
           AttributesCase{{"MissingFolder"}, Nowhere(Place::MissingFolder), FILE_ATTRIBUTE_ARCHIVE,
                          kAllBits & ~FILE_ATTRIBUTE_ARCHIVE},
           AttributesCase{{"EmptyPath"}, Nowhere(Place::EmptyPath), FILE_ATTRIBUTE_ARCHIVE,
                          kAllBits & ~FILE_ATTRIBUTE_ARCHIVE},
           AttributesCase{{"Writable"}, File("x"), 0, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY},
           AttributesCase{{"ReadOnly"}, File("x", FILE_ATTRIBUTE_READONLY), FILE_ATTRIBUTE_READONLY,
                          FILE_ATTRIBUTE_DIRECTORY},
           AttributesCase{{"HiddenReadOnly"}, File("x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_DIRECTORY});
// clang-format on

// --- ProbeHostsFile ---

struct ProbeCase : NamedCase
{
    Setup setup;
    bool holdExclusively; // another program has the file open, sharing nothing
    bool ok;
    uint64_t size;
};

using Probe = CaseTest<ProbeCase>;

TEST_P(Probe, SizeOrFailure)
{
    const ProbeCase& c = GetParam();
    CTempFolder folder;
    const std::wstring path = Prepare(folder, c.setup);
    CFileHandle other;
    if (c.holdExclusively)
    {
        other = testfiles::HoldOpen(path, GENERIC_READ | GENERIC_WRITE, 0);
        ASSERT_TRUE(other);
    }

    uint64_t size = 12345;
    EXPECT_EQ(c.ok, ProbeHostsFile(path, size));
    if (c.ok)
    {
        EXPECT_EQ(c.size, size);
    }
    other.Reset();

    switch (c.setup.place)
    {
    case Place::File:
        // Probing never changes the file.
        EXPECT_EQ(c.setup.content, testfiles::ReadBytes(path));
        EXPECT_EQ(c.setup.attributes & FILE_ATTRIBUTE_READONLY,
                  GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
        break;
    case Place::MissingFile:
        // A missing hosts file is created empty, so the load that follows can read it.
        EXPECT_EQ(std::optional<std::string>(""), testfiles::ReadBytes(path));
        break;
    case Place::MissingFolder:
        EXPECT_FALSE(testfiles::Exists(folder / L"missing"));
        break;
    case Place::EmptyPath:
        break;
    }
}

CASE_TABLE(Files, Probe, ProbeCase{{"MissingFileCreatedEmpty"}, Nowhere(Place::MissingFile), false, true, 0},
           ProbeCase{{"SmallFile"}, File("127.0.0.1 localhost\r\n"), false, true, 21},
           ProbeCase{{"EmptyFile"}, File(""), false, true, 0},
           ProbeCase{{"JustAboveProgressThreshold"}, File(std::string(20481, 'x')), false, true, 20481},
           ProbeCase{{"ReadOnlyFile"}, File("abc", FILE_ATTRIBUTE_READONLY), false, true, 3},
           // The probe must get through so the load can report the locked file.
           ProbeCase{{"HeldExclusivelyElsewhere"}, File("abcd"), true, true, 4},
           ProbeCase{{"MissingFolder"}, Nowhere(Place::MissingFolder), false, false, 0},
           ProbeCase{{"EmptyPath"}, Nowhere(Place::EmptyPath), false, false, 0});

// --- ReadHostsText: conversion, and what failed and where ---

const size_t kChunkSizes[] = {size_t(1) << 20, 1, 2, 3};

struct FailureCase : NamedCase
{
    UINT codePage;
    std::string bytes;
    FileFailureKind kind; // None: the read succeeds and gives `text`
    int line;
    std::wstring text;
    TextEncoding encoding = TextEncoding::Ansi;
};

ReadResult ResultOf(FileFailureKind kind)
{
    switch (kind)
    {
    case FileFailureKind::None:
        return ReadResult::Ok;
    case FileFailureKind::NulByte:
        return ReadResult::NulByte;
    default:
        return ReadResult::ConversionFailed;
    }
}

using ReadTextFailure = CaseTest<FailureCase>;

TEST_P(ReadTextFailure, NamesKindAndLineAndStampsTheFileRead)
{
    const FailureCase& c = GetParam();
    const CHostsOnDisk file(c.bytes);

    for (const size_t chunk : kChunkSizes)
    {
        SCOPED_TRACE("pieces of " + std::to_string(chunk));
        std::wstring text = L"left over";
        TextEncoding encoding = TextEncoding::Utf8;
        CFileStamp stamp;
        CFileFailure failure;
        failure.kind = FileFailureKind::Access;
        failure.line = 99;
        EXPECT_EQ(ResultOf(c.kind),
                  ReadHostsText(file.path, CAnsiCodec(c.codePage), text, encoding, stamp, failure, nullptr, chunk));
        EXPECT_EQ(c.kind, failure.kind);
        EXPECT_EQ(c.line, failure.line);
        EXPECT_EQ(0u, failure.bytes);
        EXPECT_EQ(c.text, text);
        EXPECT_EQ(c.encoding, encoding);
        EXPECT_TRUE(stamp.exists);
        EXPECT_EQ(c.bytes.size(), stamp.size);
        EXPECT_TRUE(ReadFileStamp(file.path) == stamp);
    }
    // Reading leaves the file as it was.
    EXPECT_EQ(c.bytes, testfiles::ReadBytes(file.path));
}

const FileFailureKind kRead = FileFailureKind::None;
const FileFailureKind kUndefined = FileFailureKind::UndefinedByte;
const FileFailureKind kNul = FileFailureKind::NulByte;

// Lines end at CR LF and at a lone LF; a lone CR is part of the line. The first fault counts.
CASE_TABLE(
    Texts, ReadTextFailure, FailureCase{{"Ok"}, 1252, "a\r\nb", kRead, 0, L"a\r\nb"},
    FailureCase{
        {"LineBreaksKept"}, 1252, "# c\r\n127.0.0.1 a\r\n\r\nx\ny", kRead, 0, L"# c\r\n127.0.0.1 a\r\n\r\nx\ny"},
    FailureCase{{"EmptyFile"}, 1252, "", kRead, 0, L""},
    FailureCase{{"EuroIn1252"}, 1252, "1.2.3.4 a # \x80\xE9", kRead, 0, L"1.2.3.4 a # \x20AC\xE9"},
    // The mark is no part of the first line; a file that is not UTF-8 after it reads as ever.
    FailureCase{{"Utf8MarkIn1252"}, 1252, "\xEF\xBB\xBFx", kRead, 0, L"x", TextEncoding::Utf8WithMark},
    FailureCase{{"Utf8MarkInUtf8"}, CP_UTF8, "\xEF\xBB\xBFx", kRead, 0, L"x", TextEncoding::Utf8WithMark},
    FailureCase{{"MarkThenNotUtf8In1252"}, 1252, "\xEF\xBB\xBF\r\n\xE9", kRead, 0, L"\xEF\xBB\xBF\r\n\xE9"},
    FailureCase{{"Utf8In1252"}, 1252, "# \xC3\x81\r\n\xC5\x90", kRead, 0, L"# \xC1\r\n\x150", TextEncoding::Utf8},
    FailureCase{{"Utf8In932"}, 932, "# \xD0\x96\r\n\xE3\x81\x82", kRead, 0, L"# \x416\r\n\x3042", TextEncoding::Utf8},
    // UTF-8 on the first line, not on the last: the whole file in the code page.
    FailureCase{{"Utf8ThenNot"}, 1252, "\xC3\xA9\r\n\xE9", kRead, 0, L"\xC3\xA9\r\n\xE9"},
    FailureCase{{"ShiftJis"}, 932, "# \x82\xA0\r\n", kRead, 0, L"# \x3042\r\n"},
    FailureCase{{"Utf8OnEveryLine"},
                CP_UTF8,
                "\xE2\x82\xAC\r\n\xC3\xA9\n\xE2\x82\xAC",
                kRead,
                0,
                L"\x20AC\r\n\xE9\n\x20AC",
                TextEncoding::Utf8},
    FailureCase{{"ShiftJisLeadByteWithBadTrail"}, 932, "# \x81\x20x", kUndefined, 1, L""},
    FailureCase{{"ShiftJisLeadByteEndsTheFile"}, 932, "127.0.0.1 a\x82", kUndefined, 1, L""},
    FailureCase{{"Utf8Overlong"}, CP_UTF8, "a\xC0\x80", kUndefined, 1, L""},
    FailureCase{{"Utf8StrayContinuation"}, CP_UTF8, "a\x80z", kUndefined, 1, L""},
    FailureCase{{"Utf8Surrogate"}, CP_UTF8, "a\xED\xA0\x80", kUndefined, 1, L""},
    FailureCase{{"ShiftJisBadTrailOnThirdLine"}, 932, "a\r\nb\r\n# \x81\x20x\r\nc", kUndefined, 3, L""},
    FailureCase{{"ShiftJisLeadByteAtEnd"}, 932, "a\nb\x82", kUndefined, 2, L""},
    FailureCase{{"ShiftJisLeadByteBeforeBreak"}, 932, "a\x82\r\nb", kUndefined, 1, L""},
    FailureCase{{"Utf8StrayByteAfterLoneCr"}, CP_UTF8, "a\rb\x80\r\nc", kUndefined, 1, L""},
    FailureCase{{"Utf8GoodLinesBeforeBad"}, CP_UTF8, "\xC3\xA9\r\n\xE2\x82\xAC\r\na\x80", kUndefined, 3, L""},
    FailureCase{{"Utf8AfterEmptyLines"}, CP_UTF8, "a\n\r\n\nb\x80", kUndefined, 4, L""},
    FailureCase{{"Utf16"}, 1252, std::string("\xFF\xFE#\0 \0", 6), kNul, 1, L""},
    FailureCase{{"NulOnThirdLine"}, 1252, std::string("a\r\nb\r\nc\0", 8), kNul, 3, L""},
    FailureCase{{"NulAfterFinalBreak"}, 1252, std::string("a\r\n\0", 4), kNul, 2, L""},
    FailureCase{{"NulBeforeUndefinedOnOneLine"}, 932, std::string("x\0\x81\x20", 4), kNul, 1, L""},
    FailureCase{{"UndefinedLineBeforeNulLine"}, 932, std::string("\x81\x20\r\n\0", 5), kUndefined, 1, L""},
    FailureCase{{"NulLineBeforeUndefinedLine"}, CP_UTF8, std::string("\0\n\x80", 3), kNul, 1, L""});

// --- ReadHostsText: sharing ---

struct HolderCase : NamedCase
{
    DWORD access;
    DWORD share;
};

using ReadTextWhileHeld = CaseTest<HolderCase>;

// The reader shares nothing: any program with the file open makes it fail, however
// generously that program shares.
TEST_P(ReadTextWhileHeld, FailsUntilOtherHandleCloses)
{
    const HolderCase& c = GetParam();
    const CHostsOnDisk file("127.0.0.1 localhost");

    CFileHandle other = testfiles::HoldOpen(file.path, c.access, c.share);
    ASSERT_TRUE(other);
    std::wstring text;
    EXPECT_EQ(ReadResult::OpenFailed, ReadHostsText(file.path, CAnsiCodec(1252), text));
    CFileStamp stamp;
    stamp.exists = true;
    CFileFailure failure;
    TextEncoding encoding = TextEncoding::Ansi;
    EXPECT_EQ(ReadResult::OpenFailed, ReadHostsText(file.path, CAnsiCodec(1252), text, encoding, stamp, failure));
    EXPECT_EQ(FileFailureKind::Access, failure.kind);
    EXPECT_FALSE(stamp.exists);

    other.Reset();
    EXPECT_EQ(ReadResult::Ok, ReadHostsText(file.path, CAnsiCodec(1252), text));
    EXPECT_EQ(L"127.0.0.1 localhost", text);
}

CASE_TABLE(Holders, ReadTextWhileHeld, HolderCase{{"ReaderSharingAll"}, GENERIC_READ, kShareAll},
           HolderCase{{"ReaderSharingRead"}, GENERIC_READ, FILE_SHARE_READ},
           HolderCase{{"WriterSharingAll"}, GENERIC_WRITE, kShareAll},
           HolderCase{{"ReaderWriterSharingNothing"}, GENERIC_READ | GENERIC_WRITE, 0},
           HolderCase{{"DeleterSharingAll"}, DELETE, kShareAll});

TEST(ReadHostsText, MissingFileFailsToOpenAndStaysMissing)
{
    CTempFolder folder;
    std::wstring text;
    EXPECT_EQ(ReadResult::OpenFailed, ReadHostsText(folder / L"hosts", CAnsiCodec(1252), text));
    EXPECT_EQ(ReadResult::OpenFailed, ReadHostsText(L"", CAnsiCodec(1252), text));
    EXPECT_FALSE(testfiles::Exists(folder / L"hosts"));
}
} // namespace
