// The hosts path and the startup folders are registry values that other programs write.
// The rewriter must take any of them, and do what its passes say: each macro in key order,
// then "?tasks?", then the "\SystemRoot\" prefix, every pass one left-to-right scan.
#include "paths/PathRewriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace
{
void Fail(int line)
{
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}
#define Check(condition) ((condition) ? (void)0 : Fail(__LINE__))

// In the order the resolver reads them, which is not their key order.
const wchar_t* const kMacros[] = {
    L"?commonstartup?",        L"?userstartup?",  L"?commonaltstartup?", L"?usercommonstartup?",
    L"?usercommonaltstartup?", L"?shellstartup?", L"?shellaltstartup?",  L"?useraltstartup?",
};
const wchar_t kSystemRoot[] = L"\\SystemRoot\\";

// ASCII stands for itself; the high bytes add letters that fold or pair in other ways.
wchar_t Unit(uint8_t byte)
{
    static const wchar_t kOthers[] = {0x017F, 0x0131, 0x0130, 0x212A, 0xFF3C, 0x00DF, 0xD800, 0xDC00,
                                      0xFEFF, 0xFFFF, 0x0000, 0x0416, 0x0053, 0x0073, 0x005C, 0x003F};
    return byte < 0xF0 ? static_cast<wchar_t>(byte) : kOthers[byte - 0xF0];
}

// Fields separated by line feeds: the path, the folders read for the macros, the tasks folder.
std::vector<std::wstring> Fields(const uint8_t* data, size_t size)
{
    std::vector<std::wstring> fields(1);
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '\n')
            fields.emplace_back();
        else
            fields.back() += Unit(data[i]);
    }
    return fields;
}

// One left-to-right scan, comparing unit by unit.
std::wstring ReplaceAllModel(const std::wstring& text, const std::wstring& needle, const std::wstring& replacement)
{
    std::wstring result;
    size_t i = 0;
    while (i < text.size())
    {
        if (text.size() - i >= needle.size() && text.compare(i, needle.size(), needle) == 0)
        {
            result += replacement;
            i += needle.size();
        }
        else
        {
            result += text[i++];
        }
    }
    return result;
}

size_t CountMatches(const std::wstring& text, const std::wstring& needle)
{
    size_t count = 0;
    for (size_t i = 0; i + needle.size() <= text.size();)
    {
        if (text.compare(i, needle.size(), needle) == 0)
        {
            ++count;
            i += needle.size();
        }
        else
        {
            ++i;
        }
    }
    return count;
}

void CheckReplaceAll(const std::wstring& text, const std::wstring& needle, const std::wstring& replacement)
{
    const std::wstring result = CPathRewriter::ReplaceAll(text, needle, replacement);
    // The passes never search for an empty needle: it only has to be survived.
    if (needle.empty())
        return;
    Check(result == ReplaceAllModel(text, needle, replacement));
    const size_t matches = CountMatches(text, needle);
    Check(result.size() == text.size() - matches * needle.size() + matches * replacement.size());
    if (matches == 0)
        Check(result == text);
    // Replacing with the needle itself changes nothing.
    Check(CPathRewriter::ReplaceAll(text, needle, needle) == text);
}

wchar_t Lower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c | 0x20) : c;
}

bool StartsWithSystemRootIgnoringCase(const std::wstring& text)
{
    if (text.size() < 12)
        return false;
    for (size_t i = 0; i < 12; ++i)
    {
        if (Lower(text[i]) != Lower(kSystemRoot[i]))
            return false;
    }
    return true;
}

std::wstring RewriteModel(const std::map<std::wstring, std::wstring>& folders, const std::wstring& tasks,
                          const std::wstring& path)
{
    std::wstring result = path;
    for (const auto& [macro, folder] : folders)
        result = ReplaceAllModel(result, macro, folder);
    result = ReplaceAllModel(result, L"?tasks?", tasks);
    if (StartsWithSystemRootIgnoringCase(result))
        result = ReplaceAllModel(result, kSystemRoot, L"%systemroot%\\");
    return result;
}

// A path that holds no macro with a folder entry, no "?tasks?" and no leading prefix.
bool NothingToRewrite(const CPathRewriter& rewriter, const std::wstring& path)
{
    for (const auto& entry : rewriter.GetMacroFolders())
    {
        if (path.find(entry.first) != std::wstring::npos)
            return false;
    }
    return path.find(L"?tasks?") == std::wstring::npos && !StartsWithSystemRootIgnoringCase(path);
}

// Not idempotent, and not meant to be: each pass scans once, so deleting "?tasks?" from
// "?tas?tasks?ks?" leaves a new "?tasks?" that only a second call would delete.
void CheckRewrite(const CPathRewriter& rewriter, const std::wstring& path)
{
    const std::wstring result = rewriter.Rewrite(path);
    Check(result == RewriteModel(rewriter.GetMacroFolders(), rewriter.GetTasksFolder(), path));
    if (NothingToRewrite(rewriter, path))
        Check(result == path);
    // The kernel's prefix never survives as written.
    Check(result.compare(0, 12, kSystemRoot) != 0);
}

// Sets a macro as the resolver does and checks that a folder taken already is not taken again.
void SetMacro(CPathRewriter& rewriter, const std::wstring& macro, const std::wstring& folder)
{
    const std::map<std::wstring, std::wstring> before = rewriter.GetMacroFolders();
    bool taken = folder.empty();
    for (const auto& [otherMacro, otherFolder] : before)
        taken = taken || (otherMacro != macro && otherFolder == folder);
    rewriter.SetMacroFolder(macro, folder);

    std::map<std::wstring, std::wstring> expected = before;
    expected[macro] = taken ? std::wstring() : folder;
    Check(rewriter.GetMacroFolders() == expected);
    // No two macros stand for the same folder.
    for (const auto& [first, firstFolder] : expected)
    {
        for (const auto& [second, secondFolder] : expected)
            Check(first == second || firstFolder.empty() || firstFolder != secondFolder);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::wstring> fields = Fields(data, size);
    const std::wstring& path = fields[0];
    const std::wstring& second = fields.size() > 1 ? fields[1] : path;
    const std::wstring& third = fields.size() > 2 ? fields[2] : std::wstring();
    CheckReplaceAll(path, second, third);
    CheckReplaceAll(path, L"?tasks?", second);
    CheckReplaceAll(path, kSystemRoot, L"%systemroot%\\");

    // Before the folders are read: only "?tasks?" (deleted) and the prefix.
    CPathRewriter rewriter;
    CheckRewrite(rewriter, path);

    // Each folder is rewritten with the macros read before it, as the resolver does.
    const size_t macroCount = sizeof(kMacros) / sizeof(kMacros[0]);
    for (size_t i = 0; i < macroCount && i + 1 < fields.size(); ++i)
    {
        const std::wstring folder = rewriter.Rewrite(fields[i + 1]);
        SetMacro(rewriter, kMacros[i], folder);
        CheckRewrite(rewriter, path);
    }
    if (fields.size() > macroCount + 1)
    {
        rewriter.SetTasksFolder(fields[macroCount + 1]);
        CheckRewrite(rewriter, path);
    }
    // The folders themselves as paths: they hold text inserted by earlier passes.
    for (const auto& entry : rewriter.GetMacroFolders())
        CheckRewrite(rewriter, entry.second);
    return 0;
}
