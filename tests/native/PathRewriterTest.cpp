#include "paths/PathRewriter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
struct ReplaceCase
{
    std::wstring text, needle, replacement, expected;
};

TEST(PathRewriter, ReplaceAllMatchesLeftToRightWithoutOverlapOrRescan)
{
    const std::vector<ReplaceCase> cases = {
        {L"", L"a", L"b", L""},         {L"abc", L"x", L"y", L"abc"}, {L"a%X%b%X%c", L"%X%", L"1", L"a1b1c"},
        {L"aaaa", L"aa", L"b", L"bb"},  // no overlapping matches
        {L"aaa", L"aa", L"b", L"ba"},   // the first match wins
        {L"ab", L"a", L"aa", L"aab"},   // inserted text is not searched again
        {L"ab", L"a", L"", L"b"},       // an empty replacement deletes
        {L"ABC", L"abc", L"x", L"ABC"}, // case matters
        {L"end?", L"?", L"!", L"end!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CPathRewriter::ReplaceAll(c.text, c.needle, c.replacement)) << c.text.c_str();
}

TEST(PathRewriter, SystemRootPrefixIsTestedIgnoringCaseButReplacedOnlyAsWritten)
{
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"\\SystemRoot\\System32\\drivers\\etc\\hosts", L"%systemroot%\\System32\\drivers\\etc\\hosts"},
        // Passes the test, but the exact-case replacement finds nothing.
        {L"\\systemroot\\System32\\hosts", L"\\systemroot\\System32\\hosts"},
        {L"\\SYSTEMROOT\\x", L"\\SYSTEMROOT\\x"},
        // Only a leading prefix counts; once it does, every exact occurrence is replaced.
        {L"C:\\SystemRoot\\x", L"C:\\SystemRoot\\x"},
        {L"\\SystemRoot\\a\\SystemRoot\\b", L"%systemroot%\\a%systemroot%\\b"},
        {L"\\systemroot\\a\\SystemRoot\\b", L"\\systemroot\\a%systemroot%\\b"},
        {L"\\SystemRoot", L"\\SystemRoot"},
        {L"D:\\etc\\hosts", L"D:\\etc\\hosts"},
        {L"", L""},
    };
    const CPathRewriter rewriter;
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(expected, rewriter.Rewrite(path)) << path.c_str();
}

TEST(PathRewriter, MacrosAreReplacedInKeyOrderThenTasks)
{
    CPathRewriter rewriter;
    rewriter.SetMacroFolder(L"?userstartup?", L"C:\\Users\\u\\Startup");
    rewriter.SetMacroFolder(L"?commonstartup?", L"C:\\All\\Startup");
    rewriter.SetMacroFolder(L"?shellstartup?", L"");
    rewriter.SetTasksFolder(L"C:\\Windows\\Tasks");

    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"?userstartup?\\run.lnk", L"C:\\Users\\u\\Startup\\run.lnk"},
        {L"?commonstartup?\\a;?commonstartup?\\b", L"C:\\All\\Startup\\a;C:\\All\\Startup\\b"},
        // A macro without a folder disappears, leaving the rest.
        {L"?shellstartup?\\x.lnk", L"\\x.lnk"},
        {L"?tasks?\\job", L"C:\\Windows\\Tasks\\job"},
        {L"?unknown?\\x", L"?unknown?\\x"},
        {L"?USERSTARTUP?", L"?USERSTARTUP?"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(expected, rewriter.Rewrite(path)) << path.c_str();
}

TEST(PathRewriter, LaterPassesSeeWhatEarlierPassesInserted)
{
    CPathRewriter rewriter;
    // "?commonstartup?" sorts before "?userstartup?", so its folder is searched for the latter.
    rewriter.SetMacroFolder(L"?commonstartup?", L"?userstartup?\\common");
    rewriter.SetMacroFolder(L"?userstartup?", L"U");
    rewriter.SetTasksFolder(L"\\SystemRoot\\Tasks");
    EXPECT_EQ(L"U\\common", rewriter.Rewrite(L"?commonstartup?"));
    // "?tasks?" comes before the prefix rule, which then sees the inserted prefix.
    EXPECT_EQ(L"%systemroot%\\Tasks\\a", rewriter.Rewrite(L"?tasks?\\a"));
    // Within one pass the inserted text is not searched again.
    rewriter.SetMacroFolder(L"?useraltstartup?", L"?useraltstartup?x");
    EXPECT_EQ(L"?useraltstartup?x", rewriter.Rewrite(L"?useraltstartup?"));
}

TEST(PathRewriter, AFolderAlreadyTakenLeavesTheLaterMacroEmpty)
{
    CPathRewriter rewriter;
    rewriter.SetMacroFolder(L"?commonstartup?", L"C:\\All\\Startup");
    rewriter.SetMacroFolder(L"?usercommonstartup?", L"C:\\All\\Startup");
    rewriter.SetMacroFolder(L"?commonaltstartup?", L"c:\\all\\startup"); // differs in case: kept
    rewriter.SetMacroFolder(L"?userstartup?", L"");

    const auto& folders = rewriter.GetMacroFolders();
    EXPECT_EQ(L"C:\\All\\Startup", folders.at(L"?commonstartup?"));
    EXPECT_EQ(L"", folders.at(L"?usercommonstartup?"));
    EXPECT_EQ(L"c:\\all\\startup", folders.at(L"?commonaltstartup?"));
    EXPECT_EQ(L"", folders.at(L"?userstartup?"));
    EXPECT_EQ(L"\\x", rewriter.Rewrite(L"?usercommonstartup?\\x"));
}
} // namespace
