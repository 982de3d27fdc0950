#pragma once

#include <map>
#include <string>

// The text side of path normalization: folder macros, "?tasks?" and the kernel's
// "\SystemRoot\" prefix. Environment variables are expanded afterwards by the caller.
class CPathRewriter
{
public:
    // Every occurrence, left to right; inserted text is not searched again.
    static std::wstring ReplaceAll(const std::wstring& text, const std::wstring& needle,
                                   const std::wstring& replacement);

    std::wstring Rewrite(const std::wstring& path) const;

    // The macro gets the folder unless another macro already stands for exactly that folder;
    // then it stands for nothing and is deleted from paths.
    void SetMacroFolder(const std::wstring& macro, const std::wstring& folder);
    void SetTasksFolder(const std::wstring& folder) { m_strTasksFolder = folder; }

    const std::map<std::wstring, std::wstring>& GetMacroFolders() const { return m_macroFolders; }
    const std::wstring& GetTasksFolder() const { return m_strTasksFolder; }

private:
    std::map<std::wstring, std::wstring> m_macroFolders;
    std::wstring m_strTasksFolder;
};
