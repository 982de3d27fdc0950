#include "paths/PathRewriter.h"

namespace
{
const wchar_t kSystemRootPrefix[] = L"\\SystemRoot\\";
const size_t kSystemRootPrefixLength = 12;

wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool StartsWithSystemRootPrefix(const std::wstring& text)
{
    if (text.size() < kSystemRootPrefixLength)
        return false;
    for (size_t i = 0; i < kSystemRootPrefixLength; ++i)
    {
        if (FoldAscii(text[i]) != FoldAscii(kSystemRootPrefix[i]))
            return false;
    }
    return true;
}
} // namespace

std::wstring CPathRewriter::ReplaceAll(const std::wstring& text, const std::wstring& needle,
                                       const std::wstring& replacement)
{
    if (needle.empty())
        return text;
    std::wstring result;
    size_t from = 0;
    for (size_t match = text.find(needle); match != std::wstring::npos; match = text.find(needle, from))
    {
        result.append(text, from, match - from);
        result += replacement;
        from = match + needle.size();
    }
    result.append(text, from, std::wstring::npos);
    return result;
}

std::wstring CPathRewriter::Rewrite(const std::wstring& path) const
{
    std::wstring result = path;
    for (const auto& [macro, folder] : m_macroFolders)
        result = ReplaceAll(result, macro, folder);
    result = ReplaceAll(result, L"?tasks?", m_strTasksFolder);
    // The test ignores case, the replacement does not: "\systemroot\" passes on unchanged.
    if (StartsWithSystemRootPrefix(result))
        result = ReplaceAll(result, kSystemRootPrefix, L"%systemroot%\\");
    return result;
}

void CPathRewriter::SetMacroFolder(const std::wstring& macro, const std::wstring& folder)
{
    m_macroFolders[macro].clear();
    for (const auto& entry : m_macroFolders)
    {
        if (entry.second == folder)
            return;
    }
    m_macroFolders[macro] = folder;
}
