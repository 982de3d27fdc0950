#include "hosts/DefaultHostsFile.h"

#include "CaseTable.h"
#include "HostsOnDisk.h"
#include "TestFiles.h"

#include <optional>
#include <string>
#include <vector>

using testfiles::CModule;

namespace
{
// The real module, as a data file: the template is checked where the editor takes it from.
// The tests run in the folder holding norvik.dll.
CModule LoadNorvik()
{
    return CModule(LoadLibraryExW(L"norvik.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;)
    {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

TEST(DefaultHostsTemplate, CommentBlockBlankLineAndLoopback)
{
    CModule module = LoadNorvik();
    ASSERT_TRUE(module) << "norvik.dll not found in the working folder";
    const std::string text = CDefaultHostsFile::LoadTemplate(module.Get());

    EXPECT_EQ(std::string::npos, text.find('\0'));
    for (unsigned char c : text)
        EXPECT_LT(c, 0x80) << "not ASCII";
    const std::vector<std::string> lines = SplitCrLf(text);
    ASSERT_EQ(19u, lines.size());
    for (size_t i = 0; i < 17; ++i)
        EXPECT_TRUE(!lines[i].empty() && lines[i][0] == '#') << "line " << i + 1 << ": " << lines[i];
    EXPECT_EQ("", lines[17]);
    // Last line without a break after it.
    EXPECT_EQ("127.0.0.1 localhost", lines[18]);
    // Every break is CR LF: no lone CR or LF hides inside a line.
    for (const std::string& line : lines)
        EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << line;
}

TEST(DefaultHostsTemplate, ResourceIsTextAndTwoNuls)
{
    CModule module = LoadNorvik();
    ASSERT_TRUE(module);
    HRSRC info = FindResourceW(module.Get(), MAKEINTRESOURCEW(CDefaultHostsFile::kResourceId), L"Text");
    ASSERT_NE(nullptr, info);
    HGLOBAL loaded = LoadResource(module.Get(), info);
    ASSERT_NE(nullptr, loaded);
    const char* data = static_cast<const char*>(LockResource(loaded));
    ASSERT_NE(nullptr, data);
    const std::string raw(data, SizeofResource(module.Get(), info));

    EXPECT_EQ(CDefaultHostsFile::LoadTemplate(module.Get()) + std::string(2, '\0'), raw);
}

TEST(DefaultHostsTemplate, ModuleWithoutResourceGivesEmptyTemplate)
{
    EXPECT_EQ("", CDefaultHostsFile::LoadTemplate(GetModuleHandleW(nullptr)));
}

// --- Write ---

struct WriteCase : NamedCase
{
    bool exists;
    DWORD attributes; // of the existing file
    bool answer;      // the user's answer to the read-only question
    DefaultFileResult result;
    int questions;
    bool templateWritten;
    DWORD foundMustHave; // bits of the `attributes` handed back
    DWORD foundMustLack;
};

using DefaultWrite = CaseTest<WriteCase>;

TEST_P(DefaultWrite, WritesTemplateAfterAskingAboutReadOnly)
{
    const WriteCase& c = GetParam();
    CModule module = LoadNorvik();
    ASSERT_TRUE(module);
    const std::string templateText = CDefaultHostsFile::LoadTemplate(module.Get());
    ASSERT_FALSE(templateText.empty());
    const std::string old = "# mine\r\n10.0.0.1 nas.home\r\n";
    const CHostsOnDisk file(c.exists ? std::optional<std::string>(old) : std::nullopt);
    const std::wstring& path = file.path;
    if (c.exists)
    {
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
    }

    int questions = 0;
    DWORD found = 0xDEADBEEF;
    EXPECT_EQ(c.result, CDefaultHostsFile::Write(path, module.Get(), found, [&] {
                  ++questions;
                  return c.answer;
              }));
    EXPECT_EQ(c.questions, questions);
    EXPECT_EQ(c.foundMustHave, found & c.foundMustHave);
    EXPECT_EQ(0u, found & c.foundMustLack);

    const std::optional<std::string> now = testfiles::ReadBytes(path);
    ASSERT_TRUE(now);
    EXPECT_EQ(c.templateWritten ? templateText : old, *now);
    const DWORD after = GetFileAttributesW(path.c_str());
    EXPECT_EQ(c.templateWritten ? 0u : FILE_ATTRIBUTE_READONLY & c.attributes, after & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(testfiles::LeftoverTempFiles(file.folder.Path()).empty());
}

const DWORD kAllBits = 0xFFFFFFFFu;

// clang-format off
CASE_TABLE(Files, DefaultWrite,
           // Nothing on disk: created without a question; attributes fall back to archive only.
           WriteCase{{"MissingFileCreated"}, false, 0, true, DefaultFileResult::Written, 0, true,
                     FILE_ATTRIBUTE_ARCHIVE, kAllBits & ~FILE_ATTRIBUTE_ARCHIVE},
           WriteCase{{"WritableFileNoQuestion"}, true, FILE_ATTRIBUTE_NORMAL, false, DefaultFileResult::Written, 0,
                     true, 0, FILE_ATTRIBUTE_READONLY},
           WriteCase{{"HiddenFileNoQuestion"}, true, FILE_ATTRIBUTE_HIDDEN, false, DefaultFileResult::Written, 0, true,
                     FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY},
           WriteCase{{"ReadOnlyDeclined"}, true, FILE_ATTRIBUTE_READONLY, false, DefaultFileResult::ReadOnlyDeclined,
                     1, false, FILE_ATTRIBUTE_READONLY, 0},
           WriteCase{{"ReadOnlyAccepted"}, true, FILE_ATTRIBUTE_READONLY, true, DefaultFileResult::Written, 1, true,
                     FILE_ATTRIBUTE_READONLY, 0},
           WriteCase{{"HiddenReadOnlyAccepted"}, true, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, true,
                     DefaultFileResult::Written, 1, true, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 0});
// clang-format on

// A module without the template writes nothing: no question, no file touched or created.
TEST(DefaultHostsWrite, NoTemplateLeavesFileAlone)
{
    const CHostsOnDisk file("# mine");
    const std::wstring& existing = file.path;
    const std::wstring missing = file.folder / L"other";
    ASSERT_TRUE(SetFileAttributesW(existing.c_str(), FILE_ATTRIBUTE_READONLY));
    int questions = 0;
    auto confirm = [&] {
        ++questions;
        return true;
    };
    DWORD found = 0;

    EXPECT_EQ(DefaultFileResult::TemplateEmpty,
              CDefaultHostsFile::Write(existing, GetModuleHandleW(nullptr), found, confirm));
    EXPECT_EQ(DefaultFileResult::TemplateEmpty,
              CDefaultHostsFile::Write(missing, GetModuleHandleW(nullptr), found, confirm));
    EXPECT_EQ(0, questions);
    EXPECT_EQ("# mine", testfiles::ReadBytes(existing));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, GetFileAttributesW(existing.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(testfiles::Exists(missing));
}

// Another program has the hosts file open: the write fails and the old content stays.
TEST(DefaultHostsWrite, HeldFileKeepsOldContent)
{
    CModule module = LoadNorvik();
    ASSERT_TRUE(module);
    const CHostsOnDisk file("# mine");
    CFileHandle holder = testfiles::HoldOpen(file.path, GENERIC_READ, testfiles::kShareAll);
    ASSERT_TRUE(holder);

    DWORD found = 0;
    EXPECT_EQ(DefaultFileResult::WriteFailed,
              CDefaultHostsFile::Write(file.path, module.Get(), found, [] { return true; }));
    holder.Reset();
    EXPECT_EQ("# mine", testfiles::ReadBytes(file.path));
    EXPECT_TRUE(testfiles::LeftoverTempFiles(file.folder.Path()).empty());
}
} // namespace
