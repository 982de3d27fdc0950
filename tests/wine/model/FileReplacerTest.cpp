#include "hosts/FileReplacer.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

using testfiles::CTempFolder;

namespace
{
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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
void ExpectOnlyFile(const CTempFolder& folder, bool fileExists)
{
    EXPECT_TRUE(testfiles::ListNames(folder.Path(), L"nvk*.tmp").empty());
    const std::vector<std::wstring> expected =
        fileExists ? std::vector<std::wstring>{L"hosts"} : std::vector<std::wstring>{};
    EXPECT_EQ(expected, testfiles::ListNames(folder.Path()));
}

// --- successful replacements ---

struct ContentCase
{
    const char* name;
    std::optional<std::string> old; // nothing: the file does not exist yet
    std::string replacement;
};

void PrintTo(const ContentCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReplaceContents : public ::testing::TestWithParam<ContentCase>
{
};

TEST_P(ReplaceContents, FileHoldsExactlyNewBytes)
{
    const ContentCase& c = GetParam();
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    if (c.old)
    {
        ASSERT_TRUE(testfiles::WriteBytes(path, *c.old));
    }

    EXPECT_EQ(WriteResult::Ok, ReplaceFileContents(path, c.replacement));
    const std::optional<std::string> now = testfiles::ReadBytes(path);
    ASSERT_TRUE(now);
    EXPECT_EQ(c.replacement.size(), now->size());
    EXPECT_TRUE(c.replacement == *now);
    ExpectOnlyFile(folder, true);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, ReplaceContents,
    ::testing::Values(
        ContentCase{"Grows", std::string("127.0.0.1 a"), "127.0.0.1 a\r\n127.0.0.1 b\r\n"},
        ContentCase{"ShrinksWithoutOldTail", Repeat("127.0.0.1 old.example\r\n", 200), "127.0.0.1 b"},
        ContentCase{"EmptiedToZeroBytes", std::string("127.0.0.1 a\r\n"), ""},
        ContentCase{"MissingFileCreated", std::nullopt, "127.0.0.1 localhost"},
        ContentCase{"MissingFileCreatedEmpty", std::nullopt, ""},
        // Bytes go through untouched: no line-break translation, no end-of-file mark at 0x1A.
        ContentCase{"EveryByteValue", std::string("x"), AllByteValues()},
        // Blocklist-sized hosts files run to megabytes; several write chunks.
        ContentCase{"SeveralMegabytes", std::string("x"), Repeat("0.0.0.0 ads.tracker.example\r\n", 110000)}),
    [](const ::testing::TestParamInfo<ContentCase>& info) { return info.param.name; });

// --- refused replacements ---

struct BlockCase
{
    const char* name;
    DWORD holderAccess; // 0: nobody else has the file open
    DWORD holderShare;
    DWORD attributes;
};

void PrintTo(const BlockCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReplaceBlocked : public ::testing::TestWithParam<BlockCase>
{
};

TEST_P(ReplaceBlocked, FailsAndKeepsOldBytes)
{
    const BlockCase& c = GetParam();
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    const std::string old = "# old\r\n127.0.0.1 old.example\r\n";
    ASSERT_TRUE(testfiles::WriteBytes(path, old));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
    CFileHandle holder;
    if (c.holderAccess != 0)
    {
        holder = testfiles::HoldOpen(path, c.holderAccess, c.holderShare);
        ASSERT_TRUE(holder);
    }

    EXPECT_EQ(WriteResult::OpenFailed, ReplaceFileContents(path, "127.0.0.1 new.example\r\n"));
    holder.Reset();
    EXPECT_EQ(old, testfiles::ReadBytes(path));
    EXPECT_EQ(c.attributes & FILE_ATTRIBUTE_READONLY, GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    ExpectOnlyFile(folder, true);
}

INSTANTIATE_TEST_SUITE_P(
    Blockers, ReplaceBlocked,
    ::testing::Values(BlockCase{"ReaderSharingAll", GENERIC_READ, kShareAll, FILE_ATTRIBUTE_NORMAL},
                      BlockCase{"ReaderSharingRead", GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL},
                      BlockCase{"WriterSharingAll", GENERIC_WRITE, kShareAll, FILE_ATTRIBUTE_NORMAL},
                      BlockCase{"ReaderWriterSharingNothing", GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL},
                      // Wine run as root opens a read-only file for writing; the refusal then
                      // comes from ReplaceFileW, after the temporary file was written.
                      BlockCase{"ReadOnlyFile", 0, 0, FILE_ATTRIBUTE_READONLY},
                      BlockCase{"ReadOnlyFileHeldOpen", GENERIC_READ, kShareAll, FILE_ATTRIBUTE_READONLY}),
    [](const ::testing::TestParamInfo<BlockCase>& info) { return info.param.name; });

TEST(ReplaceFileContents, ReplacesOnceOtherHandleIsClosed)
{
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(testfiles::WriteBytes(path, "old"));
    CFileHandle holder = testfiles::HoldOpen(path, GENERIC_READ, kShareAll);
    ASSERT_TRUE(holder);
    ASSERT_EQ(WriteResult::OpenFailed, ReplaceFileContents(path, "new"));
    holder.Reset();
    EXPECT_EQ(WriteResult::Ok, ReplaceFileContents(path, "new"));
    EXPECT_EQ("new", testfiles::ReadBytes(path));
    ExpectOnlyFile(folder, true);
}

TEST(ReplaceFileContents, NoFileWhereItCannotBeCreated)
{
    CTempFolder folder;
    EXPECT_EQ(WriteResult::OpenFailed, ReplaceFileContents(folder / L"missing\\hosts", "x"));
    EXPECT_EQ(WriteResult::OpenFailed, ReplaceFileContents(L"", "x"));
    ExpectOnlyFile(folder, false);
}

// --- attributes ---

class ReplaceKeepsAttributes : public ::testing::TestWithParam<DWORD>
{
};

// The user's hidden or system hosts file stays so after a save (Wine's ReplaceFileW does not
// carry attributes over by itself).
TEST_P(ReplaceKeepsAttributes, AttributeSurvives)
{
    const DWORD attribute = GetParam();
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(testfiles::WriteBytes(path, "old"));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attribute));
    ASSERT_EQ(attribute, GetFileAttributesW(path.c_str()) & attribute);

    EXPECT_EQ(WriteResult::Ok, ReplaceFileContents(path, "127.0.0.1 localhost"));
    EXPECT_EQ("127.0.0.1 localhost", testfiles::ReadBytes(path));
    EXPECT_EQ(attribute, GetFileAttributesW(path.c_str()) & attribute)
        << "attributes now 0x" << std::hex << GetFileAttributesW(path.c_str());
    ExpectOnlyFile(folder, true);
}

INSTANTIATE_TEST_SUITE_P(Attributes, ReplaceKeepsAttributes,
                         ::testing::Values(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN),
                                           static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM),
                                           static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)),
                         [](const ::testing::TestParamInfo<DWORD>& info) {
                             switch (info.param)
                             {
                             case FILE_ATTRIBUTE_HIDDEN:
                                 return std::string("Hidden");
                             case FILE_ATTRIBUTE_SYSTEM:
                                 return std::string("System");
                             default:
                                 return std::string("HiddenSystem");
                             }
                         });

// --- full disk ---

// The small tmpfs the test run mounts (scripts/small-disk.sh); its Unix path comes in
// NORVIK_SMALL_DISK and Wine reaches it through Z:.
std::wstring SmallDiskFolder()
{
    std::wstring folder = testfiles::EnvironmentValue(L"NORVIK_SMALL_DISK");
    if (folder.empty())
        return folder;
    for (wchar_t& c : folder)
        if (c == L'/')
            c = L'\\';
    return L"Z:" + folder;
}

// Fills the disk holding `path` to the last byte it takes.
bool FillDisk(const std::wstring& path)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (!file)
        return false;
    const std::string block(4096, 'f');
    for (DWORD size = 4096; size > 0; size /= 2)
    {
        DWORD written = size;
        while (WriteFile(file.Get(), block.data(), size, &written, nullptr) && written == size)
        {
        }
    }
    return true;
}

ULONGLONG FreeBytes(const std::wstring& folder)
{
    ULARGE_INTEGER available = {};
    GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr);
    return available.QuadPart;
}

class ReplaceOnFullDisk : public ::testing::TestWithParam<bool>
{
};

// A save that runs out of disk half-way leaves the old hosts file whole (or no file at all
// when there was none), and no half-written file beside it.
TEST_P(ReplaceOnFullDisk, OldFileStaysWhole)
{
    const bool oldExists = GetParam();
    const std::wstring disk = SmallDiskFolder();
    if (disk.empty())
        GTEST_SKIP() << "NORVIK_SMALL_DISK is not set";
    ULARGE_INTEGER total = {};
    if (!GetDiskFreeSpaceExW((disk + L"\\").c_str(), nullptr, &total, nullptr))
        GTEST_SKIP() << "small disk not reachable";
    // Never fill a real disk: the folder must be on the tiny tmpfs.
    if (total.QuadPart == 0 || total.QuadPart > 1024 * 1024)
        GTEST_SKIP() << "small disk not mounted (" << total.QuadPart << " bytes)";

    CTempFolder folder(disk);
    const std::wstring path = folder / L"hosts";
    const std::string old = "# old\r\n127.0.0.1 old.example\r\n";
    if (oldExists)
    {
        ASSERT_TRUE(testfiles::WriteBytes(path, old));
    }

    // Leave 16 KiB free, so the new content fits part-way and then runs out.
    const std::wstring reserve = folder / L"reserve";
    ASSERT_TRUE(testfiles::WriteBytes(reserve, std::string(16 * 1024, 'r')));
    ASSERT_TRUE(FillDisk(folder / L"filler"));
    ASSERT_TRUE(DeleteFileW(reserve.c_str()));
    const ULONGLONG freeBytes = FreeBytes(folder.Path());
    const std::string replacement = Repeat("127.0.0.1 new.example\r\n", 2000); // 46,000 bytes
    ASSERT_GT(freeBytes, 0u);
    ASSERT_LT(freeBytes, replacement.size());

    EXPECT_EQ(WriteResult::WriteFailed, ReplaceFileContents(path, replacement));
    if (oldExists)
    {
        EXPECT_EQ(old, testfiles::ReadBytes(path));
    }
    else
    {
        EXPECT_FALSE(testfiles::Exists(path));
    }
    EXPECT_TRUE(testfiles::ListNames(folder.Path(), L"nvk*.tmp").empty());
    EXPECT_EQ(freeBytes, FreeBytes(folder.Path()));

    // The same disk takes a replacement that fits: the failure above was the full disk.
    EXPECT_EQ(WriteResult::Ok, ReplaceFileContents(path, "127.0.0.1 fits\r\n"));
    EXPECT_EQ("127.0.0.1 fits\r\n", testfiles::ReadBytes(path));
    EXPECT_TRUE(testfiles::ListNames(folder.Path(), L"nvk*.tmp").empty());
}

INSTANTIATE_TEST_SUITE_P(Files, ReplaceOnFullDisk, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ExistingFile" : "MissingFile");
                         });
} // namespace
