#include "hosts/FileReplacer.h"

#include "CaseTable.h"
#include "HostsOnDisk.h"
#include "TestFiles.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using testfiles::kShareAll;

namespace
{
WriteResult Replace(const std::wstring& path, std::string_view bytes)
{
    return ReplaceFileContents(path, bytes).result;
}

std::string AllByteValues()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

std::string Repeat(const std::string& piece, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

// What the replacement may leave in the folder: the file itself and nothing else.
void ExpectOnlyFile(const testfiles::CTempFolder& folder, bool fileExists)
{
    EXPECT_TRUE(testfiles::LeftoverTempFiles(folder.Path()).empty());
    const std::vector<std::wstring> expected =
        fileExists ? std::vector<std::wstring>{L"hosts"} : std::vector<std::wstring>{};
    EXPECT_EQ(expected, testfiles::ListNames(folder.Path()));
}

// --- successful replacements ---

struct ContentCase : NamedCase
{
    std::optional<std::string> old; // nothing: the file does not exist yet
    std::string replacement;
};
using ReplaceContents = CaseTest<ContentCase>;

TEST_P(ReplaceContents, FileHoldsExactlyNewBytes)
{
    const ContentCase& c = GetParam();
    const CHostsOnDisk file(c.old);

    EXPECT_EQ(WriteResult::Ok, Replace(file.path, c.replacement));
    const std::optional<std::string> now = testfiles::ReadBytes(file.path);
    ASSERT_TRUE(now);
    EXPECT_EQ(c.replacement.size(), now->size());
    EXPECT_TRUE(c.replacement == *now);
    ExpectOnlyFile(file.folder, true);
}

CASE_TABLE(Contents, ReplaceContents,
           ContentCase{{"Grows"}, std::string("127.0.0.1 a"), "127.0.0.1 a\r\n127.0.0.1 b\r\n"},
           ContentCase{{"ShrinksWithoutOldTail"}, Repeat("127.0.0.1 old.example\r\n", 200), "127.0.0.1 b"},
           ContentCase{{"EmptiedToZeroBytes"}, std::string("127.0.0.1 a\r\n"), ""},
           ContentCase{{"MissingFileCreated"}, std::nullopt, "127.0.0.1 localhost"},
           ContentCase{{"MissingFileCreatedEmpty"}, std::nullopt, ""},
           // Bytes go through untouched: no line-break translation, no end-of-file mark at 0x1A.
           ContentCase{{"EveryByteValue"}, std::string("x"), AllByteValues()},
           // Blocklist-sized hosts files run to megabytes; several write chunks.
           ContentCase{{"SeveralMegabytes"}, std::string("x"), Repeat("0.0.0.0 ads.tracker.example\r\n", 110000)});

// --- refused replacements ---

struct BlockCase : NamedCase
{
    DWORD holderAccess; // 0: nobody else has the file open
    DWORD holderShare;
    DWORD attributes;
};
using ReplaceBlocked = CaseTest<BlockCase>;

TEST_P(ReplaceBlocked, FailsAndKeepsOldBytes)
{
    const BlockCase& c = GetParam();
    const std::string old = "# old\r\n127.0.0.1 old.example\r\n";
    const CHostsOnDisk file(old);
    ASSERT_TRUE(SetFileAttributesW(file.path.c_str(), c.attributes));
    CFileHandle holder;
    if (c.holderAccess != 0)
    {
        holder = testfiles::HoldOpen(file.path, c.holderAccess, c.holderShare);
        ASSERT_TRUE(holder);
    }

    EXPECT_EQ(WriteResult::OpenFailed, Replace(file.path, "127.0.0.1 new.example\r\n"));
    holder.Reset();
    EXPECT_EQ(old, testfiles::ReadBytes(file.path));
    EXPECT_EQ(c.attributes & FILE_ATTRIBUTE_READONLY, GetFileAttributesW(file.path.c_str()) & FILE_ATTRIBUTE_READONLY);
    ExpectOnlyFile(file.folder, true);
}

CASE_TABLE(Blockers, ReplaceBlocked, BlockCase{{"ReaderSharingAll"}, GENERIC_READ, kShareAll, FILE_ATTRIBUTE_NORMAL},
           BlockCase{{"ReaderSharingRead"}, GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL},
           BlockCase{{"WriterSharingAll"}, GENERIC_WRITE, kShareAll, FILE_ATTRIBUTE_NORMAL},
           BlockCase{{"ReaderWriterSharingNothing"}, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL},
           // Wine run as root opens a read-only file for writing; the refusal then
           // comes from ReplaceFileW, after the temporary file was written.
           BlockCase{{"ReadOnlyFile"}, 0, 0, FILE_ATTRIBUTE_READONLY},
           BlockCase{{"ReadOnlyFileHeldOpen"}, GENERIC_READ, kShareAll, FILE_ATTRIBUTE_READONLY});

TEST(ReplaceFileContents, ReplacesOnceOtherHandleIsClosed)
{
    const CHostsOnDisk file("old");
    CFileHandle holder = testfiles::HoldOpen(file.path, GENERIC_READ, kShareAll);
    ASSERT_TRUE(holder);
    ASSERT_EQ(WriteResult::OpenFailed, Replace(file.path, "new"));
    holder.Reset();
    EXPECT_EQ(WriteResult::Ok, Replace(file.path, "new"));
    EXPECT_EQ("new", testfiles::ReadBytes(file.path));
    ExpectOnlyFile(file.folder, true);
}

TEST(ReplaceFileContents, NoFileWhereItCannotBeCreated)
{
    const testfiles::CTempFolder folder;
    EXPECT_EQ(WriteResult::OpenFailed, Replace(folder / L"missing\\hosts", "x"));
    EXPECT_EQ(WriteResult::OpenFailed, Replace(L"", "x"));
    ExpectOnlyFile(folder, false);
}

// --- attributes ---

struct AttributeCase : NamedCase
{
    DWORD attribute;
};
using ReplaceKeepsAttributes = CaseTest<AttributeCase>;

// The user's hidden or system hosts file stays so after a save (Wine's ReplaceFileW does not
// carry attributes over by itself).
TEST_P(ReplaceKeepsAttributes, AttributeSurvives)
{
    const DWORD attribute = GetParam().attribute;
    const CHostsOnDisk file("old");
    ASSERT_TRUE(SetFileAttributesW(file.path.c_str(), attribute));
    ASSERT_EQ(attribute, GetFileAttributesW(file.path.c_str()) & attribute);

    EXPECT_EQ(WriteResult::Ok, Replace(file.path, "127.0.0.1 localhost"));
    EXPECT_EQ("127.0.0.1 localhost", testfiles::ReadBytes(file.path));
    EXPECT_EQ(attribute, GetFileAttributesW(file.path.c_str()) & attribute)
        << "attributes now 0x" << std::hex << GetFileAttributesW(file.path.c_str());
    ExpectOnlyFile(file.folder, true);
}

CASE_TABLE(Attributes, ReplaceKeepsAttributes, AttributeCase{{"Hidden"}, FILE_ATTRIBUTE_HIDDEN},
           AttributeCase{{"System"}, FILE_ATTRIBUTE_SYSTEM},
           AttributeCase{{"HiddenSystem"}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});

// --- full disk ---

ULONGLONG FreeBytes(const std::wstring& folder)
{
    ULARGE_INTEGER available = {};
    GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr);
    return available.QuadPart;
}

struct FullDiskCase : NamedCase
{
    std::optional<std::string> old; // nothing: the file does not exist yet
};
using ReplaceOnFullDisk = CaseTest<FullDiskCase>;

// A save that runs out of disk half-way leaves the old hosts file whole (or no file at all
// when there was none), and no half-written file beside it.
TEST_P(ReplaceOnFullDisk, OldFileStaysWhole)
{
    const std::optional<std::string>& old = GetParam().old;
    std::string whyNot;
    const std::wstring disk = testfiles::SmallDiskFolder(whyNot);
    if (disk.empty())
        GTEST_SKIP() << whyNot;
    const CHostsOnDisk file(old, disk);

    // Leave 16 KiB free, so the new content fits part-way and then runs out.
    const std::wstring reserve = file.folder / L"reserve";
    ASSERT_TRUE(testfiles::WriteBytes(reserve, std::string(16 * 1024, 'r')));
    ASSERT_TRUE(testfiles::FillDisk(file.folder / L"filler"));
    ASSERT_TRUE(DeleteFileW(reserve.c_str()));
    const ULONGLONG freeBytes = FreeBytes(file.folder.Path());
    const std::string replacement = Repeat("127.0.0.1 new.example\r\n", 2000); // 46,000 bytes
    ASSERT_GT(freeBytes, 0u);
    ASSERT_LT(freeBytes, replacement.size());

    EXPECT_EQ(WriteResult::WriteFailed, Replace(file.path, replacement));
    EXPECT_EQ(old, testfiles::ReadBytes(file.path));
    EXPECT_EQ(old.has_value(), testfiles::Exists(file.path));
    EXPECT_TRUE(testfiles::LeftoverTempFiles(file.folder.Path()).empty());
    EXPECT_EQ(freeBytes, FreeBytes(file.folder.Path()));

    // The same disk takes a replacement that fits: the failure above was the full disk.
    EXPECT_EQ(WriteResult::Ok, Replace(file.path, "127.0.0.1 fits\r\n"));
    EXPECT_EQ("127.0.0.1 fits\r\n", testfiles::ReadBytes(file.path));
    EXPECT_TRUE(testfiles::LeftoverTempFiles(file.folder.Path()).empty());
}

CASE_TABLE(Files, ReplaceOnFullDisk, FullDiskCase{{"ExistingFile"}, "# old\r\n127.0.0.1 old.example\r\n"},
           FullDiskCase{{"MissingFile"}, std::nullopt});

// --- a folder that takes no new file ---

struct InPlaceCase : NamedCase
{
    std::string old;
    std::string replacement;
    WriteResult result;
};
using ReplaceInPlace = CaseTest<InPlaceCase>;

// With no room for a file beside it, the file is written where it is, keeping its attributes;
// when the new content does not fit, the old one is back whole.
TEST_P(ReplaceInPlace, WritesTheFileItselfOrPutsTheOldBack)
{
    const InPlaceCase& c = GetParam();
    std::string whyNot;
    const std::wstring disk = testfiles::OneFileDiskFolder(whyNot);
    if (disk.empty())
        GTEST_SKIP() << whyNot;
    // The disk's one file, in its root: a folder of its own would take the only entry.
    const std::wstring path = disk + L"\\hosts";
    const testfiles::CRemoveAtEnd remove{path};
    ASSERT_TRUE(testfiles::WriteBytes(path, c.old));
    ASSERT_FALSE(testfiles::WriteBytes(disk + L"\\second", "x")) << "the disk takes a second file";
    // Wine keeps such attributes in extended attributes, which not every tmpfs has.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const DWORD hidden = GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN;

    EXPECT_EQ(c.result, Replace(path, c.replacement));
    EXPECT_EQ(c.result == WriteResult::Ok ? c.replacement : c.old, testfiles::ReadBytes(path));
    EXPECT_EQ(hidden, GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::wstring>{L"hosts"}, testfiles::ListNames(disk));
}

// clang-format off
CASE_TABLE(Sizes, ReplaceInPlace,
           InPlaceCase{{"Shorter"}, Repeat("127.0.0.1 old.example\r\n", 100), "# new\r\n", WriteResult::Ok},
           InPlaceCase{{"Longer"}, "# old\r\n", Repeat("127.0.0.1 new.example\r\n", 1000), WriteResult::Ok},
           // 80,500 bytes on a 64 KiB disk.
           InPlaceCase{{"MoreThanTheDiskHolds"}, Repeat("127.0.0.1 old.example\r\n", 1600),
                       Repeat("127.0.0.1 new.example\r\n", 3500), WriteResult::WriteFailed});
// clang-format on

// --- leftovers of saves that never ended ---

struct LeftoverCase : NamedCase
{
    const wchar_t* file;
    int ageSeconds;
    bool removed;
    const wchar_t* twin = nullptr; // a file of the same age beside it, which stays
};
using ReplaceRemovesLeftovers = CaseTest<LeftoverCase>;

// A save first removes this file's own temporary files older than a minute, and nothing else.
TEST_P(ReplaceRemovesLeftovers, OnlyOurOldOnes)
{
    const LeftoverCase& c = GetParam();
    const CHostsOnDisk file("# old\r\n");
    const std::wstring leftover = file.folder / c.file;
    ASSERT_TRUE(testfiles::WriteBytes(leftover, "half a save"));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = ((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) - c.ageSeconds * 10000000ull;
    ASSERT_TRUE(testfiles::SetLastWrite(leftover, ticks));
    if (c.twin)
    {
        ASSERT_TRUE(testfiles::WriteBytes(file.folder / c.twin, "# old\r\n"));
        ASSERT_TRUE(testfiles::SetLastWrite(file.folder / c.twin, ticks));
    }

    EXPECT_EQ(WriteResult::Ok, Replace(file.path, "# new\r\n"));
    EXPECT_EQ(!c.removed, testfiles::Exists(leftover));
    EXPECT_EQ("# new\r\n", testfiles::ReadBytes(file.path));
    std::vector<std::wstring> expected =
        c.removed ? std::vector<std::wstring>{L"hosts"} : std::vector<std::wstring>{L"hosts", c.file};
    if (c.twin)
        expected.push_back(c.twin);
    std::vector<std::wstring> names = testfiles::ListNames(file.folder.Path());
    std::sort(names.begin(), names.end());
    std::vector<std::wstring> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, names);
}

// clang-format off
CASE_TABLE(Names, ReplaceRemovesLeftovers,
           LeftoverCase{{"OursTwoMinutesOld"}, L"hosts.norvik-save-0000ABCD.tmp", 120, true},
           LeftoverCase{{"OursInOtherCase"}, L"HOSTS.NORVIK-SAVE-0000abcd.TMP", 120, true},
           // The old content may be left nowhere else.
           LeftoverCase{{"OldFileOfOurs"}, L"hosts.norvik-save-0000ABCD.old", 120, false},
           // A save cut off between its renames: the new content may be the only copy of it.
           LeftoverCase{{"OursWithItsOldTwin"}, L"hosts.norvik-save-0000ABCD.tmp", 120, false,
                        L"hosts.norvik-save-0000ABCD.old"},
           LeftoverCase{{"OursStillFresh"}, L"hosts.norvik-save-0000ABCD.tmp", 10, false},
           LeftoverCase{{"AnotherFilesTemporary"}, L"hosts.bak.norvik-save-0000ABCD.tmp", 120, false},
           LeftoverCase{{"NotHexDigits"}, L"hosts.norvik-save-0000ABCG.tmp", 120, false},
           LeftoverCase{{"NineDigits"}, L"hosts.norvik-save-0000ABCDE.tmp", 120, false},
           LeftoverCase{{"MoreAfterTheSuffix"}, L"hosts.norvik-save-0000ABCD.tmp.txt", 120, false},
           LeftoverCase{{"OldStyleName"}, L"nvk1A2B.tmp", 120, false},
           LeftoverCase{{"UsersBackup"}, L"hosts.bak", 120, false});
// clang-format on
} // namespace
