#include "hosts/HostsFileAccess.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

using testfiles::CTempFolder;

namespace
{
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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
        const std::wstring path = folder / L"hosts";
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
    Setup setup;
    setup.content = std::move(content);
    setup.attributes = attributes;
    return setup;
}

Setup Nowhere(Place place)
{
    Setup setup;
    setup.place = place;
    return setup;
}

// --- ReadFileAttributesOrArchive ---

struct AttributesCase
{
    const char* name;
    Setup setup;
    DWORD mustHave;
    DWORD mustLack;
};

void PrintTo(const AttributesCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReadAttributes : public ::testing::TestWithParam<AttributesCase>
{
};

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

INSTANTIATE_TEST_SUITE_P(
    Files, ReadAttributes,
    ::testing::Values(
        // Nothing to read: exactly the archive bit, so the read-only box stays clear.
        AttributesCase{"MissingFile", Nowhere(Place::MissingFile), FILE_ATTRIBUTE_ARCHIVE,
                       kAllBits & ~FILE_ATTRIBUTE_ARCHIVE},
        AttributesCase{"MissingFolder", Nowhere(Place::MissingFolder), FILE_ATTRIBUTE_ARCHIVE,
                       kAllBits & ~FILE_ATTRIBUTE_ARCHIVE},
        AttributesCase{"EmptyPath", Nowhere(Place::EmptyPath), FILE_ATTRIBUTE_ARCHIVE,
                       kAllBits & ~FILE_ATTRIBUTE_ARCHIVE},
        AttributesCase{"Writable", File("x"), 0, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY},
        AttributesCase{"ReadOnly", File("x", FILE_ATTRIBUTE_READONLY), FILE_ATTRIBUTE_READONLY,
                       FILE_ATTRIBUTE_DIRECTORY},
        AttributesCase{"HiddenReadOnly", File("x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_DIRECTORY}),
    [](const ::testing::TestParamInfo<AttributesCase>& info) { return info.param.name; });

// --- ProbeHostsFile ---

struct ProbeCase
{
    const char* name;
    Setup setup;
    bool holdExclusively; // another program has the file open, sharing nothing
    bool ok;
    uint64_t size;
};

void PrintTo(const ProbeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Probe : public ::testing::TestWithParam<ProbeCase>
{
};

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

INSTANTIATE_TEST_SUITE_P(
    Files, Probe,
    ::testing::Values(ProbeCase{"MissingFileCreatedEmpty", Nowhere(Place::MissingFile), false, true, 0},
                      ProbeCase{"SmallFile", File("127.0.0.1 localhost\r\n"), false, true, 21},
                      ProbeCase{"EmptyFile", File(""), false, true, 0},
                      ProbeCase{"JustAboveProgressThreshold", File(std::string(20481, 'x')), false, true, 20481},
                      ProbeCase{"ReadOnlyFile", File("abc", FILE_ATTRIBUTE_READONLY), false, true, 3},
                      // The probe must get through so the load can report the locked file.
                      ProbeCase{"HeldExclusivelyElsewhere", File("abcd"), true, true, 4},
                      ProbeCase{"MissingFolder", Nowhere(Place::MissingFolder), false, false, 0},
                      ProbeCase{"EmptyPath", Nowhere(Place::EmptyPath), false, false, 0}),
    [](const ::testing::TestParamInfo<ProbeCase>& info) { return info.param.name; });

// --- ReadHostsText: conversion ---

struct DecodeCase
{
    const char* name;
    UINT codePage;
    std::string bytes;
    ReadResult result;
    std::wstring text;
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReadTextConversion : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(ReadTextConversion, ConvertsWithCodePage)
{
    const DecodeCase& c = GetParam();
    CTempFolder folder;
    const std::wstring path = Prepare(folder, File(c.bytes));
    ASSERT_FALSE(path.empty());

    std::wstring text = L"left over";
    EXPECT_EQ(c.result, ReadHostsText(path, CAnsiCodec(c.codePage), text));
    if (c.result == ReadResult::Ok)
    {
        EXPECT_EQ(c.text, text);
    }
    // Reading leaves the file as it was.
    EXPECT_EQ(c.bytes, testfiles::ReadBytes(path));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadTextConversion,
    ::testing::Values(
        DecodeCase{"LineBreaksKept", 1252, "# c\r\n127.0.0.1 a\r\n\r\nx\ny", ReadResult::Ok,
                   L"# c\r\n127.0.0.1 a\r\n\r\nx\ny"},
        DecodeCase{"EmptyFile", 1252, "", ReadResult::Ok, L""},
        DecodeCase{"EuroIn1252", 1252, "1.2.3.4 a # \x80\xE9", ReadResult::Ok, L"1.2.3.4 a # \x20AC\xE9"},
        // No byte order mark handling: the bytes are text like any other.
        DecodeCase{"Utf8MarkIn1252", 1252, "\xEF\xBB\xBFx", ReadResult::Ok, L"\xEF\xBB\xBFx"},
        DecodeCase{"Utf8MarkInUtf8", CP_UTF8, "\xEF\xBB\xBFx", ReadResult::Ok, L"\xFEFFx"},
        DecodeCase{"ShiftJis", 932, "# \x82\xA0\r\n", ReadResult::Ok, L"# \x3042\r\n"},
        DecodeCase{"ShiftJisLeadByteWithBadTrail", 932, "# \x81\x20x", ReadResult::ConversionFailed, L""},
        DecodeCase{"ShiftJisLeadByteAtEnd", 932, "127.0.0.1 a\x82", ReadResult::ConversionFailed, L""},
        DecodeCase{"Utf8Overlong", CP_UTF8, "a\xC0\x80", ReadResult::ConversionFailed, L""},
        DecodeCase{"Utf8StrayContinuation", CP_UTF8, "a\x80z", ReadResult::ConversionFailed, L""},
        DecodeCase{"Utf8Surrogate", CP_UTF8, "a\xED\xA0\x80", ReadResult::ConversionFailed, L""}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

// --- ReadHostsText: sharing ---

struct HolderCase
{
    const char* name;
    DWORD access;
    DWORD share;
};

void PrintTo(const HolderCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReadTextWhileHeld : public ::testing::TestWithParam<HolderCase>
{
};

// The reader shares nothing: any program with the file open makes it fail, however
// generously that program shares.
TEST_P(ReadTextWhileHeld, FailsUntilOtherHandleCloses)
{
    const HolderCase& c = GetParam();
    CTempFolder folder;
    const std::string content = "127.0.0.1 localhost";
    const std::wstring path = Prepare(folder, File(content));
    ASSERT_FALSE(path.empty());

    CFileHandle other = testfiles::HoldOpen(path, c.access, c.share);
    ASSERT_TRUE(other);
    std::wstring text;
    EXPECT_EQ(ReadResult::OpenFailed, ReadHostsText(path, CAnsiCodec(1252), text));

    other.Reset();
    EXPECT_EQ(ReadResult::Ok, ReadHostsText(path, CAnsiCodec(1252), text));
    EXPECT_EQ(L"127.0.0.1 localhost", text);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, ReadTextWhileHeld,
    ::testing::Values(HolderCase{"ReaderSharingAll", GENERIC_READ, kShareAll},
                      HolderCase{"ReaderSharingRead", GENERIC_READ, FILE_SHARE_READ},
                      HolderCase{"WriterSharingAll", GENERIC_WRITE, kShareAll},
                      HolderCase{"ReaderWriterSharingNothing", GENERIC_READ | GENERIC_WRITE, 0},
                      HolderCase{"DeleterSharingAll", DELETE, kShareAll}),
    [](const ::testing::TestParamInfo<HolderCase>& info) { return info.param.name; });

TEST(ReadHostsText, MissingFileFailsToOpenAndStaysMissing)
{
    CTempFolder folder;
    std::wstring text;
    EXPECT_EQ(ReadResult::OpenFailed, ReadHostsText(folder / L"hosts", CAnsiCodec(1252), text));
    EXPECT_EQ(ReadResult::OpenFailed, ReadHostsText(L"", CAnsiCodec(1252), text));
    EXPECT_FALSE(testfiles::Exists(folder / L"hosts"));
}
} // namespace
