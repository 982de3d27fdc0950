#pragma once

#include "paths/PathRewriter.h"

#include <string>

// Turns path texts as Windows stores them in the registry (environment variables, the
// "\SystemRoot\" prefix, startup-folder macros) into plain file paths.
class CPathResolver
{
public:
    // The account Windows names as its default logon user; empty when not set or unusable.
    static std::wstring GetDefaultUserName();
    static bool FileExists(const std::wstring& path);
    static std::wstring ReplaceAll(const std::wstring& text, const std::wstring& needle,
                                   const std::wstring& replacement)
    {
        return CPathRewriter::ReplaceAll(text, needle, replacement);
    }

    // Reads the startup folders of the machine and of the account, and the tasks folder.
    void Initialize(const std::wstring& userName);
    std::wstring NormalizePath(const std::wstring& path) const;

    const std::wstring& GetUserSid() const { return m_strUserSid; }
    const std::map<std::wstring, std::wstring>& GetMacroFolders() const { return m_rewriter.GetMacroFolders(); }
    const std::wstring& GetTasksFolder() const { return m_rewriter.GetTasksFolder(); }

private:
    void LookUpUserSid();

    std::wstring m_strUserName;
    std::wstring m_strUserSid;
    CPathRewriter m_rewriter;
};
